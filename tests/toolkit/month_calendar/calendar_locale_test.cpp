// The calendar's words for several locales, asked for in-process.
#include "toolkit/month_calendar/calendar_locale.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <iterator>
#include <string>

namespace tk::cal {
namespace {

std::string Utf8(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring Part(const MonthTitle& title, const TextSpan& span) {
    return title.text.substr(span.begin, span.end - span.begin);
}

struct LocaleCase {
    const wchar_t* locale;
    const wchar_t* july;         // nominative
    const wchar_t* monday;       // shortest name
    int first_day;               // 0 Monday ... 6 Sunday
    const wchar_t* title_month;  // the month as the title writes it
    bool year_first;
};

const LocaleCase kLocales[] = {
    {L"ru-RU", L"июль", L"пн", 0, L"июль", false},
    {L"en-US", L"July", L"Mo", 6, L"July", false},
    {L"en-GB", L"July", L"Mo", 0, L"July", false},
    {L"de-DE", L"Juli", L"Mo.", 0, L"Juli", false},
    {L"hu-HU", L"július", L"H", 0, L"július", true},
    {L"ja-JP", L"7月", L"月", 6, L"7", true},  // "yyyy年M月": 月 is literal text
};

TEST(CalendarLocale, NamesAndFirstDayComeFromTheLocale) {
    for (const LocaleCase& c : kLocales) {
        const LocaleTexts texts = LoadLocaleTexts(c.locale);
        SCOPED_TRACE(Utf8(c.locale));
        EXPECT_EQ(texts.month_names[6], c.july);
        EXPECT_EQ(texts.day_names[0], c.monday);
        EXPECT_EQ(texts.first_day_of_week, c.first_day);
        for (const std::wstring& name : texts.day_names)
            EXPECT_FALSE(name.empty());
        for (const std::wstring& name : texts.short_month_names)
            EXPECT_FALSE(name.empty());
    }
}

TEST(CalendarLocale, TitleFindsTheMonthAndTheYearInEitherOrder) {
    for (const LocaleCase& c : kLocales) {
        const MonthTitle title = FormatMonthTitle(c.locale, 2004, 7);
        SCOPED_TRACE(Utf8(c.locale) + ": " + Utf8(title.text));
        EXPECT_EQ(Part(title, title.month), c.title_month);
        EXPECT_EQ(Part(title, title.year), L"2004");
        EXPECT_EQ(title.year.begin < title.month.begin, c.year_first);
        EXPECT_TRUE(title.month.end <= title.year.begin || title.year.end <= title.month.begin);
    }
}

TEST(CalendarLocale, TitlesOfSomeMonths) {
    struct Case {
        const wchar_t* locale;
        int year;
        unsigned month;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"en-US", 2004, 7, L"July 2004"},         {L"en-US", 1753, 1, L"January 1753"},
        {L"de-DE", 9999, 12, L"Dezember 9999"},    {L"ru-RU", 2004, 7, L"июль 2004\x202Fг."},
        {L"ru-RU", 2004, 3, L"март 2004\x202Fг."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatMonthTitle(c.locale, c.year, c.month).text, c.text) << Utf8(c.text);
    }
}

#if defined(_MSC_VER)
#define TIMBUS_NOINLINE __declspec(noinline)
#else
#define TIMBUS_NOINLINE __attribute__((noinline))
#endif

// Fills the stack below the caller with a date picture, the garbage that a
// call before could leave there.
TIMBUS_NOINLINE void FillStack(const wchar_t* pattern) {
    volatile wchar_t junk[16384];
    const size_t length = std::wcslen(pattern);
    for (size_t i = 0; i < std::size(junk); ++i)
        junk[i] = pattern[i % length];
    (void)junk[0];
}

TIMBUS_NOINLINE std::wstring Title(const wchar_t* locale) {
    return FormatMonthTitle(locale, 2004, 7).text;
}

// Wine, asked for the locale's year-month form, reads past the picture into
// the stack: after "d MMMM" there, the Russian title came out genitive
// ("июля 2004 г."). The title must not depend on what ran before.
TEST(CalendarLocale, TitleDoesNotDependOnWhatIsOnTheStack) {
    for (const wchar_t* pattern : {L"d", L"dd MMMM", L"d MMMM yyyy", L"dddd, d MMMM yyyy"}) {
        FillStack(pattern);
        EXPECT_EQ(Title(L"ru-RU"), L"июль 2004\x202Fг.") << Utf8(pattern);
        FillStack(pattern);
        EXPECT_EQ(Title(L"de-DE"), L"Juli 2004") << Utf8(pattern);
    }
}

// The long date always names the weekday: the locale's own picture where it
// has one, the weekday put before it where it has none (Windows' Russian);
// a locale the system does not know gets the digits. Wine's pictures all
// name the weekday, so the prepending is checked on pictures below.
TEST(CalendarLocale, LongDatesCarryTheWeekday) {
    struct Case {
        const wchar_t* locale;
        int year;
        unsigned month, day;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"en-US", 2004, 7, 19, L"Monday, July 19, 2004"},
        {L"en-US", 1753, 1, 1, L"Monday, January 1, 1753"},
        {L"en-GB", 9999, 12, 31, L"Friday, 31 December 9999"},
        {L"de-DE", 2004, 7, 19, L"Montag, 19. Juli 2004"},
        {L"hu-HU", 2004, 7, 19, L"2004. július 19., hétfő"},
        {L"ru-RU", 2004, 7, 19, L"понедельник, 19 июля 2004\x202Fг."},
        {L"ru-RU", 2004, 3, 1, L"понедельник, 1 марта 2004\x202Fг."},
        {L"ru-RU", 9999, 12, 31, L"пятница, 31 декабря 9999\x202Fг."},
        {L"xx-NOWHERE", 2004, 7, 9, L"2004-07-09"},
    };
    for (const Case& c : cases) {
        const std::wstring text = FormatLongDate(c.locale, c.year, c.month, c.day);
        EXPECT_EQ(text, c.text) << Utf8(c.locale) << ": " << Utf8(text);
    }
}

TEST(CalendarLocale, LongDatePictureGetsAWeekdayOnlyWhenItHasNone) {
    struct Case {
        const wchar_t* picture;
        const wchar_t* taken;
    };
    const Case cases[] = {
        {L"d MMMM yyyy 'г.'", L"dddd, d MMMM yyyy 'г.'"},
        {L"dddd, MMMM d, yyyy", L"dddd, MMMM d, yyyy"},
        {L"yyyy. MMMM d., dddd", L"yyyy. MMMM d., dddd"},
        {L"yyyy'年'M'月'd'日'", L"dddd, yyyy'年'M'月'd'日'"},
        {L"d MMMM yyyy 'dddd'", L"dddd, d MMMM yyyy 'dddd'"},  // quoted: only text
        {L"ddd d MMM yyyy", L"dddd, ddd d MMM yyyy"},          // a short name is not it
        {L"", L"dddd, yyyy-MM-dd"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LongDatePictureWithWeekday(c.picture), c.taken) << Utf8(c.picture);
}

TEST(CalendarLocale, WeekdayNumbersMatchTheLocalesCounting) {
    EXPECT_EQ(WeekdayFromLocaleNumber(0), std::chrono::Monday);
    EXPECT_EQ(WeekdayFromLocaleNumber(5), std::chrono::Saturday);
    EXPECT_EQ(WeekdayFromLocaleNumber(6), std::chrono::Sunday);
    for (int n = 0; n < 7; ++n)
        EXPECT_EQ(LocaleNumberOf(WeekdayFromLocaleNumber(n)), n);
    EXPECT_EQ(YearSpanText(2000, 2009),
              L"2000\x2013"
              L"2009");
    for (const int year : {0, 7, 10, 1753, 9999, 10000, -1000, 2147483647, -2147483647 - 1}) {
        EXPECT_EQ(YearText(year), std::to_wstring(year));
    }
}

}  // namespace
}  // namespace tk::cal
