// The colours the calendar paints with: one value per painted part, each a
// fixed colour or a system colour looked up when painting.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>

#include "toolkit/colour.h"

namespace tk::cal {

enum class ColourPart : int {
    Background,       // the box around the calendar
    MonthBackground,  // behind the weekday names and the days
    Text,             // the shown month's days, the zoomed views' cells
    TitleBackground,
    TitleText,     // the title and its arrows
    TrailingText,  // days of the neighbouring months, cells of the neighbouring periods
    WeekdayText,   // weekday names and the line under them
    SelectionBackground,
    SelectionText,
    TodayFrame,
    Count,
};

inline constexpr std::size_t kColourPartCount = static_cast<std::size_t>(ColourPart::Count);
using Palette = std::array<ColourValue, kColourPartCount>;

// The part an MCSC_* colour slot stands for; nothing for an unknown slot.
std::optional<ColourPart> PartForSlot(int slot);

// System colours throughout: what the calendar shows before any settings.
Palette DefaultPalette();
// The system's own colours, used instead of any set ones while high contrast is on.
Palette HighContrastPalette();

// The program's seven stored colour values and the parts each one paints.
struct StoredColourUse {
    std::size_t stored;
    ColourPart part;
};
inline constexpr std::size_t kStoredColourCount = 7;
inline constexpr std::array<StoredColourUse, 10> kStoredColourUses{{
    {0, ColourPart::Text},
    {0, ColourPart::SelectionText},
    {1, ColourPart::Background},
    {1, ColourPart::MonthBackground},
    {2, ColourPart::TitleBackground},
    {2, ColourPart::TrailingText},
    {3, ColourPart::TitleText},
    {4, ColourPart::TodayFrame},
    {5, ColourPart::SelectionBackground},
    {6, ColourPart::WeekdayText},
}};

Palette PaletteFromStored(const std::array<ColourValue, kStoredColourCount>& stored);

// Every text the calendar draws, the background it is drawn on, and the
// contrast ratio the pair must keep: the full 4.5:1 for what must be read,
// 3:1 for the dimmed days of the neighbouring months.
struct TextOnBackground {
    ColourPart text;
    ColourPart background;
    double minimum_contrast;
};
inline constexpr std::array<TextOnBackground, 5> kTextOnBackground{{
    {ColourPart::Text, ColourPart::MonthBackground, 4.5},
    {ColourPart::TitleText, ColourPart::TitleBackground, 4.5},
    {ColourPart::WeekdayText, ColourPart::MonthBackground, 4.5},
    {ColourPart::SelectionText, ColourPart::SelectionBackground, 4.5},
    {ColourPart::TrailingText, ColourPart::MonthBackground, 3.0},
}};

struct ResolvedColours {
    std::array<COLORREF, kColourPartCount> colours{};
    COLORREF operator[](ColourPart part) const { return colours[static_cast<std::size_t>(part)]; }
};

ResolvedColours Resolve(const Palette& palette);

// a mixed with b; weight 0 gives a, 256 gives b.
COLORREF Blend(COLORREF a, COLORREF b, int weight);

}  // namespace tk::cal
