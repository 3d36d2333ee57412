#include "toolkit/colour.h"

#include <gtest/gtest.h>

namespace {

TEST(Colour, FixedValuesAreBgrAndSystemValuesFollowTheSystem) {
    struct Case {
        tk::ColourValue value;
        COLORREF expected;
    };
    const Case cases[] = {
        {0x00FFC0C0, RGB(192, 192, 255)},
        {0x0063783C, RGB(60, 120, 99)},
        {0x00000000, RGB(0, 0, 0)},
        {0x80000012, GetSysColor(COLOR_BTNTEXT)},
        {0x8000000F, GetSysColor(COLOR_BTNFACE)},
        {0x80000005, GetSysColor(COLOR_WINDOW)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tk::ResolveColour(c.value), c.expected) << std::hex << c.value;
    }
    EXPECT_TRUE(tk::IsSystemColour(0x80000012));
    EXPECT_EQ(tk::SystemColourIndex(0x80000012), COLOR_BTNTEXT);
    EXPECT_FALSE(tk::IsSystemColour(0x00FFC0C0));
    EXPECT_EQ(tk::SystemColour(COLOR_BTNFACE), 0x8000000Fu);
}

TEST(Colour, SystemValuesAreLookedUpWhenResolvedNotWhenStored) {
    // Change a system colour of this session, resolve, and put it back.
    const int element = COLOR_BTNTEXT;
    const COLORREF old = GetSysColor(element);
    const COLORREF changed = old == RGB(1, 2, 3) ? RGB(4, 5, 6) : RGB(1, 2, 3);
    ASSERT_TRUE(SetSysColors(1, &element, &changed));
    const COLORREF seen = tk::ResolveColour(tk::SystemColour(element));
    SetSysColors(1, &element, &old);
    EXPECT_EQ(seen, changed);
}

}  // namespace
