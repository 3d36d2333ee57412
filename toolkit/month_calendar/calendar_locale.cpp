#include "toolkit/month_calendar/calendar_locale.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace tk::cal {

namespace {

std::wstring LocaleString(const wchar_t* locale, LCTYPE type) {
    wchar_t buffer[128];
    const int length = GetLocaleInfoEx(locale, type, buffer, static_cast<int>(std::size(buffer)));
    return length > 1 ? std::wstring(buffer, static_cast<size_t>(length - 1)) : std::wstring();
}

// Wine reads on past the end of a picture (or of the one it looks up for a
// DATE_ flag) and takes a day letter it finds there as a reason for the
// genitive month name: "июля 2004 г." for July 2004, depending on what was
// in memory before. So a picture is always passed, followed by zeros.
std::wstring FormatDate(const wchar_t* locale, const SYSTEMTIME& date,
                        const std::wstring& picture) {
    wchar_t padded[256]{};
    if (picture.empty() || picture.size() >= std::size(padded) / 2) return {};
    std::copy(picture.begin(), picture.end(), padded);
    wchar_t buffer[128]{};
    const int length = GetDateFormatEx(locale, 0, &date, padded, buffer,
                                       static_cast<int>(std::size(buffer)), nullptr);
    return length > 1 ? std::wstring(buffer, static_cast<size_t>(length - 1)) : std::wstring();
}

std::wstring Lowercase(const wchar_t* locale, const std::wstring& text) {
    if (text.empty()) return text;
    std::wstring lower(text.size(), L'\0');
    const int length =
        LCMapStringEx(locale, LCMAP_LOWERCASE, text.c_str(), static_cast<int>(text.size()),
                      lower.data(), static_cast<int>(lower.size()), nullptr, nullptr, 0);
    // Only a mapping that keeps every character in place keeps the spans valid.
    return length == static_cast<int>(text.size()) ? lower : text;
}

TextSpan Find(const std::wstring& text, const std::wstring& part) {
    if (part.empty()) return {};
    const size_t at = text.find(part);
    return at == std::wstring::npos ? TextSpan{} : TextSpan{at, at + part.size()};
}

// A piece of a date picture such as "MMMM yyyy 'г'.": a run of one pattern
// letter, or literal text.
struct PictureSegment {
    wchar_t letter = 0;  // 'M', 'y', 'd', 'g'; 0 for literal text
    std::wstring text;   // the run of letters, or the literal text
};

std::vector<PictureSegment> ParsePicture(const std::wstring& picture) {
    std::vector<PictureSegment> segments;
    const auto literal = [&segments](wchar_t c) {
        if (segments.empty() || segments.back().letter != 0) segments.push_back({});
        segments.back().text += c;
    };
    for (size_t i = 0; i < picture.size();) {
        const wchar_t c = picture[i];
        if (c == L'\'') {
            ++i;
            if (i < picture.size() && picture[i] == L'\'') {  // '' is one quote
                literal(L'\'');
                ++i;
                continue;
            }
            while (i < picture.size()) {
                if (picture[i] == L'\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == L'\'') {
                        literal(L'\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal(picture[i++]);
            }
        } else if (c == L'M' || c == L'y' || c == L'd' || c == L'g') {
            size_t j = i;
            while (j < picture.size() && picture[j] == c)
                ++j;
            segments.push_back({c, picture.substr(i, j - i)});
            i = j;
        } else {
            literal(c);
            ++i;
        }
    }
    return segments;
}

// Finds the parts by rebuilding the title from the locale's picture one piece
// at a time; that only counts when it gives back the very same text.
bool SpansFromPicture(const wchar_t* locale, const SYSTEMTIME& date, MonthTitle& title) {
    const std::wstring picture = LocaleString(locale, LOCALE_SYEARMONTH);
    if (picture.empty()) return false;
    std::wstring rebuilt;
    TextSpan month;
    TextSpan year;
    for (const PictureSegment& segment : ParsePicture(picture)) {
        const size_t begin = rebuilt.size();
        if (segment.letter == 0) {
            rebuilt += segment.text;
            continue;
        }
        const std::wstring piece = FormatDate(locale, date, segment.text);
        if (piece.empty()) return false;
        rebuilt += piece;
        if (segment.letter == L'M' && month.empty()) month = {begin, rebuilt.size()};
        if (segment.letter == L'y' && year.empty()) year = {begin, rebuilt.size()};
    }
    if (rebuilt != title.text || month.empty() || year.empty()) return false;
    title.month = month;
    title.year = year;
    return true;
}

// Otherwise looks the month's names and the year's digits up in the text.
void SpansBySearch(const wchar_t* locale, int year, unsigned month, MonthTitle& title) {
    const std::wstring text = Lowercase(locale, title.text);
    title.year = Find(text, YearText(year));
    const LCTYPE names[] = {LOCALE_SMONTHNAME1 + month - 1, LOCALE_SABBREVMONTHNAME1 + month - 1};
    for (const LCTYPE type : names) {
        title.month = Find(text, Lowercase(locale, LocaleString(locale, type)));
        if (!title.month.empty()) break;
    }
    if (title.month.empty()) {
        // The title names the month some other way: all but the year is the month.
        title.month = title.year.empty()      ? TextSpan{0, text.size()}
                      : title.year.begin == 0 ? TextSpan{title.year.end, text.size()}
                                              : TextSpan{0, title.year.begin};
    }
}

}  // namespace

LocaleTexts LoadLocaleTexts(const wchar_t* locale) {
    LocaleTexts texts;
    for (unsigned i = 0; i < 12; ++i) {
        texts.month_names[i] = LocaleString(locale, LOCALE_SMONTHNAME1 + i);
        texts.short_month_names[i] = LocaleString(locale, LOCALE_SABBREVMONTHNAME1 + i);
        if (texts.month_names[i].empty()) texts.month_names[i] = YearText(static_cast<int>(i + 1));
        if (texts.short_month_names[i].empty()) texts.short_month_names[i] = texts.month_names[i];
    }
    for (unsigned i = 0; i < 7; ++i) {
        std::wstring name = LocaleString(locale, LOCALE_SSHORTESTDAYNAME1 + i);
        if (name.empty()) name = LocaleString(locale, LOCALE_SABBREVDAYNAME1 + i);
        texts.day_names[i] = name;
    }
    const std::wstring first = LocaleString(locale, LOCALE_IFIRSTDAYOFWEEK);
    if (first.size() == 1 && first[0] >= L'0' && first[0] <= L'6') {
        texts.first_day_of_week = first[0] - L'0';
    }
    return texts;
}

std::chrono::weekday WeekdayFromLocaleNumber(int number) {
    return std::chrono::weekday{static_cast<unsigned>((number % 7 + 7 + 1) % 7)};
}

int LocaleNumberOf(std::chrono::weekday day) { return static_cast<int>(day.iso_encoding()) - 1; }

MonthTitle FormatMonthTitle(const wchar_t* locale, int year, unsigned month) {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = 1;
    MonthTitle title;
    title.text = FormatDate(locale, date, LocaleString(locale, LOCALE_SYEARMONTH));
    if (title.text.empty()) {
        title.text = LocaleString(locale, LOCALE_SMONTHNAME1 + month - 1) + L' ' + YearText(year);
    }
    if (!SpansFromPicture(locale, date, title)) SpansBySearch(locale, year, month, title);
    return title;
}

std::wstring LongDatePictureWithWeekday(std::wstring picture) {
    if (picture.empty()) picture = L"yyyy-MM-dd";
    const std::vector<PictureSegment> segments = ParsePicture(picture);
    const bool has_weekday =
        std::any_of(segments.begin(), segments.end(), [](const PictureSegment& segment) {
            return segment.letter == L'd' && segment.text.size() >= 4;
        });
    if (!has_weekday) picture.insert(0, L"dddd, ");
    return picture;
}

std::wstring FormatLongDate(const wchar_t* locale, int year, unsigned month, unsigned day) {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    std::wstring text = FormatDate(
        locale, date, LongDatePictureWithWeekday(LocaleString(locale, LOCALE_SLONGDATE)));
    if (text.empty()) {
        // A locale the system does not know: the digits, year first.
        const auto two = [](unsigned n) {
            return (n < 10 ? L"0" : L"") + YearText(static_cast<int>(n));
        };
        text = YearText(year) + L'-' + two(month) + L'-' + two(day);
    }
    return text;
}

// Digits by hand: std::to_wstring would bring the whole printf family into
// the exe (about 20 KB) for these few numbers.
std::wstring YearText(int year) {
    wchar_t digits[12];
    wchar_t* end = digits + std::size(digits);
    wchar_t* at = end;
    unsigned magnitude = year < 0 ? 0u - static_cast<unsigned>(year) : static_cast<unsigned>(year);
    do {
        *--at = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (year < 0) *--at = L'-';
    return std::wstring(at, end);
}

std::wstring YearSpanText(int first_year, int last_year) {
    return YearText(first_year) + L'\x2013' + YearText(last_year);
}

}  // namespace tk::cal
