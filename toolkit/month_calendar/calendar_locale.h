// The calendar's words from the user's locale: month and weekday names, the
// title's wording and order, and the first day of the week. Every function
// takes the locale's name, so that tests can ask for any locale in-process;
// the control passes LOCALE_NAME_USER_DEFAULT.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <string>

namespace tk::cal {

struct LocaleTexts {
    std::array<std::wstring, 12> month_names;        // nominative, January first
    std::array<std::wstring, 12> short_month_names;  // for the year view
    std::array<std::wstring, 7> day_names;           // shortest names, Monday first
    int first_day_of_week = 0;                       // 0 Monday ... 6 Sunday
};

LocaleTexts LoadLocaleTexts(const wchar_t* locale);

// The locale numbers weekdays from Monday (0) to Sunday (6).
std::chrono::weekday WeekdayFromLocaleNumber(int number);
int LocaleNumberOf(std::chrono::weekday day);

// Characters [begin, end) of a text.
struct TextSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool empty() const { return end <= begin; }
};

// The month view's title ("July 2004", "июль 2004 г.", "2004年7月") and
// where the month and the year sit in it, whichever comes first.
struct MonthTitle {
    std::wstring text;
    TextSpan month;
    TextSpan year;
};

MonthTitle FormatMonthTitle(const wchar_t* locale, int year, unsigned month);

// A day as the locale writes it in full, always with its weekday: the
// locale's long-date picture, led by the weekday's name when the picture
// has none ("Monday, July 19, 2004", "понедельник, 19 июля 2004 г.").
std::wstring FormatLongDate(const wchar_t* locale, int year, unsigned month, unsigned day);
// The picture that takes: the weekday ("dddd") leads one without it, a
// quoted "dddd" being only text; no picture at all gives the digits.
std::wstring LongDatePictureWithWeekday(std::wstring picture);

// Years are written with plain digits in every view.
std::wstring YearText(int year);
std::wstring YearSpanText(int first_year, int last_year);

}  // namespace tk::cal
