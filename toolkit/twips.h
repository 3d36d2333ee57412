// Window descriptions measure everything in twips (1/1440 inch); the screen
// works in pixels at the window's DPI. This is the one place they meet.
#pragma once

namespace tk {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kDefaultDpi = 96;

// Rounds half away from zero, so that 15 twips are exactly one pixel at 96 DPI
// and negative offsets mirror positive ones.
constexpr int TwipsToPixels(int twips, unsigned dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : -((-scaled + half) / kTwipsPerInch));
}

struct TwipsRect {
    int left_twips = 0;
    int top_twips = 0;
    int width_twips = 0;
    int height_twips = 0;
};

struct PixelRect {
    int left_px = 0;
    int top_px = 0;
    int width_px = 0;
    int height_px = 0;
};

// Edges are converted, not sizes, so that neighbouring controls that touch in
// twips still touch in pixels.
constexpr PixelRect ToPixels(const TwipsRect& r, unsigned dpi) {
    const int left = TwipsToPixels(r.left_twips, dpi);
    const int top = TwipsToPixels(r.top_twips, dpi);
    const int right = TwipsToPixels(r.left_twips + r.width_twips, dpi);
    const int bottom = TwipsToPixels(r.top_twips + r.height_twips, dpi);
    return {left, top, right - left, bottom - top};
}

}  // namespace tk
