#include "toolkit/month_calendar/calendar_colours.h"

#include <commctrl.h>

namespace tk::cal {

namespace {

Palette SystemPalette(int title_background, int title_text) {
    Palette p{};
    const auto set = [&p](ColourPart part, int index) {
        p[static_cast<std::size_t>(part)] = SystemColour(index);
    };
    set(ColourPart::Background, COLOR_WINDOW);
    set(ColourPart::MonthBackground, COLOR_WINDOW);
    set(ColourPart::Text, COLOR_WINDOWTEXT);
    set(ColourPart::TitleBackground, title_background);
    set(ColourPart::TitleText, title_text);
    set(ColourPart::TrailingText, COLOR_GRAYTEXT);
    set(ColourPart::WeekdayText, COLOR_WINDOWTEXT);
    set(ColourPart::SelectionBackground, COLOR_HIGHLIGHT);
    set(ColourPart::SelectionText, COLOR_HIGHLIGHTTEXT);
    set(ColourPart::TodayFrame, COLOR_WINDOWTEXT);
    return p;
}

}  // namespace

std::optional<ColourPart> PartForSlot(int slot) {
    switch (slot) {
        case MCSC_BACKGROUND:
            return ColourPart::Background;
        case MCSC_TEXT:
            return ColourPart::Text;
        case MCSC_TITLEBK:
            return ColourPart::TitleBackground;
        case MCSC_TITLETEXT:
            return ColourPart::TitleText;
        case MCSC_MONTHBK:
            return ColourPart::MonthBackground;
        case MCSC_TRAILINGTEXT:
            return ColourPart::TrailingText;
        default:
            return std::nullopt;
    }
}

Palette DefaultPalette() { return SystemPalette(COLOR_ACTIVECAPTION, COLOR_CAPTIONTEXT); }

Palette HighContrastPalette() { return SystemPalette(COLOR_BTNFACE, COLOR_BTNTEXT); }

Palette PaletteFromStored(const std::array<ColourValue, kStoredColourCount>& stored) {
    Palette p = DefaultPalette();
    for (const StoredColourUse& use : kStoredColourUses) {
        p[static_cast<std::size_t>(use.part)] = stored[use.stored];
    }
    return p;
}

ResolvedColours Resolve(const Palette& palette) {
    ResolvedColours resolved;
    for (std::size_t i = 0; i < kColourPartCount; ++i)
        resolved.colours[i] = ResolveColour(palette[i]);
    return resolved;
}

COLORREF Blend(COLORREF a, COLORREF b, int weight) {
    const auto mix = [weight](int x, int y) { return (x * (256 - weight) + y * weight) / 256; };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
               mix(GetBValue(a), GetBValue(b)));
}

}  // namespace tk::cal
