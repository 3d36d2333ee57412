// Resource numbers shared by resources.rc and the code that loads them.
#pragma once

#define IDI_CALENDAR 1
#define IDI_ABOUT 2
#define IDI_COMPUTER 3
#define IDB_MONITOR 101
