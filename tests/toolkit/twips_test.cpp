#include "toolkit/twips.h"

#include <gtest/gtest.h>

namespace {

struct TwipsCase {
    int twips;
    unsigned dpi;
    int pixels;
};

TEST(Twips, ConvertsAtCommonDpis) {
    const TwipsCase cases[] = {
        {15, 96, 1},      {5295, 96, 353},  {5895, 96, 393},  {2265, 96, 151},
        {1950, 96, 130},  {7, 96, 0},       {8, 96, 1},       {-8, 96, -1},
        {5295, 120, 441}, {2265, 120, 189}, {1335, 120, 111}, {5295, 144, 530},
        {1200, 144, 120}, {1950, 144, 195}, {0, 144, 0},      {1440, 192, 192},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tk::TwipsToPixels(c.twips, c.dpi), c.pixels)
            << c.twips << " twips at " << c.dpi << " dpi";
    }
}

TEST(Twips, AdjacentRectanglesStillTouchInPixels) {
    // Two controls that share an edge in twips must share it in pixels at any
    // DPI, even when each width alone would round differently.
    for (unsigned dpi : {96u, 120u, 144u, 168u}) {
        const tk::TwipsRect a{100, 0, 1337, 10};
        const tk::TwipsRect b{100 + 1337, 0, 851, 10};
        const auto pa = tk::ToPixels(a, dpi);
        const auto pb = tk::ToPixels(b, dpi);
        EXPECT_EQ(pa.left_px + pa.width_px, pb.left_px) << dpi;
    }
}

}  // namespace
