// The one place the version lives: the version record and every version text.
#pragma once

#define TIMBUS_FILE_VERSION_BINARY 1, 0, 0, 0
#define TIMBUS_FILE_VERSION_TEXT "1.00"
#define TIMBUS_PRODUCT_NAME "Тимбус"
#define TIMBUS_VERSION_MARK "V 1.3"
