// Readability of the colours the calendar paints with, worked out from its
// own table of parts and the program's stored values.
#include "toolkit/month_calendar/calendar_colours.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace tk::cal {
namespace {

// WCAG 2 relative luminance and contrast ratio.
double Luminance(COLORREF c) {
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) +
           0.0722 * channel(GetBValue(c));
}

double Contrast(COLORREF a, COLORREF b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

const std::array<ColourValue, kStoredColourCount> kProgramColours{
    0x80000012, 0x00FFC0C0, 0x0063783C, 0x00C0FFC0, 0x00000000, 0x0000C000, 0x80000012};

TEST(CalendarColourCheck, ContrastFormulaKnowsTheExtremes) {
    EXPECT_NEAR(Contrast(RGB(0, 0, 0), RGB(255, 255, 255)), 21.0, 1e-9);
    EXPECT_NEAR(Contrast(RGB(119, 119, 119), RGB(255, 255, 255)), 4.48, 0.01);
}

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Checks every text against its background; `short_by_system` names the
// pairs that the system's own colour scheme leaves below the mark.
void ExpectReadable(const Palette& palette, const char* which,
                    std::set<ColourPart> short_by_system = {}) {
    const ResolvedColours colours = Resolve(palette);
    for (const TextOnBackground& pair : kTextOnBackground) {
        const double ratio = Contrast(colours[pair.text], colours[pair.background]);
        const std::string name = std::string(which) + ": text part " +
                                 std::to_string(static_cast<int>(pair.text)) + " on part " +
                                 std::to_string(static_cast<int>(pair.background)) + ", ratio " +
                                 std::to_string(ratio);
        if (short_by_system.count(pair.text) != 0) {
            EXPECT_LT(ratio, pair.minimum_contrast)
                << name << ": Wine's scheme was fixed; drop the exception";
        } else {
            EXPECT_GE(ratio, pair.minimum_contrast) << name;
        }
        ::testing::Test::RecordProperty(name, std::to_string(ratio));
    }
}

TEST(CalendarColours, ProgramColoursKeepEveryTextReadable) {
    ExpectReadable(PaletteFromStored(kProgramColours), "program");
}

// Without settings, and in high contrast, the calendar paints with the
// system's colours, so their contrast is the colour scheme's. Wine 8's
// default scheme has white on a mid blue for the highlight (about 3:1) and a
// light grey for grey text (about 2.4:1 on white); Windows' default scheme
// passes both.
TEST(CalendarColours, SystemColourPalettesKeepEveryTextReadable) {
    std::set<ColourPart> wine_scheme;
    if (UnderWine()) wine_scheme = {ColourPart::SelectionText, ColourPart::TrailingText};
    ExpectReadable(DefaultPalette(), "default", wine_scheme);
    ExpectReadable(HighContrastPalette(), "high contrast", wine_scheme);
}

TEST(CalendarColours, EveryStoredValuePaintsSomething) {
    std::set<std::size_t> used;
    std::set<ColourPart> parts;
    for (const StoredColourUse& use : kStoredColourUses) {
        used.insert(use.stored);
        EXPECT_TRUE(parts.insert(use.part).second) << "part painted by two values";
    }
    EXPECT_EQ(used.size(), kStoredColourCount);
    // Each stored value lands in the parts the table names, and nowhere else.
    const Palette palette = PaletteFromStored(kProgramColours);
    for (const StoredColourUse& use : kStoredColourUses) {
        EXPECT_EQ(palette[static_cast<std::size_t>(use.part)], kProgramColours[use.stored]);
    }
    // Text of the neighbouring months is dimmer than the month's own.
    const ResolvedColours c = Resolve(palette);
    EXPECT_LT(Contrast(c[ColourPart::TrailingText], c[ColourPart::MonthBackground]),
              Contrast(c[ColourPart::Text], c[ColourPart::MonthBackground]));
}

TEST(CalendarColours, SlotsMapToDistinctParts) {
    std::set<ColourPart> parts;
    for (int slot = MCSC_BACKGROUND; slot <= MCSC_TRAILINGTEXT; ++slot) {
        ASSERT_TRUE(PartForSlot(slot)) << slot;
        parts.insert(*PartForSlot(slot));
    }
    EXPECT_EQ(parts.size(), 6u);
    EXPECT_FALSE(PartForSlot(-1));
    EXPECT_FALSE(PartForSlot(6));
    EXPECT_EQ(PartForSlot(MCSC_TITLEBK), ColourPart::TitleBackground);
    EXPECT_EQ(PartForSlot(MCSC_TRAILINGTEXT), ColourPart::TrailingText);
}

TEST(CalendarColours, SystemValuesResolveWhenAsked) {
    Palette palette = DefaultPalette();
    palette[static_cast<std::size_t>(ColourPart::Text)] = SystemColour(COLOR_BTNTEXT);
    palette[static_cast<std::size_t>(ColourPart::TitleText)] = 0x00123456;
    const ResolvedColours c = Resolve(palette);
    EXPECT_EQ(c[ColourPart::Text], GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(c[ColourPart::TitleText], 0x00123456u);
    EXPECT_EQ(Blend(RGB(0, 0, 0), RGB(255, 255, 255), 0), RGB(0, 0, 0));
    EXPECT_EQ(Blend(RGB(0, 100, 200), RGB(200, 100, 0), 128), RGB(100, 100, 100));
}

}  // namespace
}  // namespace tk::cal
