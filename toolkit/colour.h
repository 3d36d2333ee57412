// Stored colour values: 0x00BBGGRR for a fixed colour, 0x800000nn for the
// system colour number nn, looked up when painting so that a change of the
// system colours shows at once.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tk {

using ColourValue = std::uint32_t;

inline constexpr ColourValue kSystemColourFlag = 0x80000000u;

constexpr bool IsSystemColour(ColourValue value) { return (value & kSystemColourFlag) != 0; }
constexpr int SystemColourIndex(ColourValue value) { return static_cast<int>(value & 0xFFu); }
constexpr ColourValue SystemColour(int index) {
    return kSystemColourFlag | static_cast<ColourValue>(index & 0xFF);
}

// The COLORREF to paint with now.
inline COLORREF ResolveColour(ColourValue value) {
    return IsSystemColour(value) ? GetSysColor(SystemColourIndex(value))
                                 : static_cast<COLORREF>(value & 0x00FFFFFFu);
}

// Stands in for the system's high-contrast switch where there is none to
// flip (Wine has no high-contrast themes): set by tests only, never by the
// program, which always asks the system.
enum class HighContrastOverride { None, On, Off };
inline HighContrastOverride& HighContrastOverrideForTests() {
    static HighContrastOverride value = HighContrastOverride::None;
    return value;
}

// With a high-contrast theme on, fixed colours give way to the system's.
inline bool HighContrastOn() {
    if (HighContrastOverrideForTests() != HighContrastOverride::None) {
        return HighContrastOverrideForTests() == HighContrastOverride::On;
    }
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace tk
