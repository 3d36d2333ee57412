// Checks the committed picture and icons byte by byte: the resource compiler
// takes whatever is in assets/, and a file in the wrong layout only shows up
// at run time as a missing or garbled picture.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::FILE* OpenForReading(const std::string& path) {
#ifdef _MSC_VER  // /sdl turns the plain fopen's deprecation warning into an error
    std::FILE* file = nullptr;
    return fopen_s(&file, path.c_str(), "rb") == 0 ? file : nullptr;
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

Bytes ReadAsset(const char* name) {
    const std::string path = std::string(TIMBUS_ASSETS_DIR) + "/" + name;
    Bytes bytes;
    std::FILE* file = OpenForReading(path);
    if (file == nullptr) {
        ADD_FAILURE() << "cannot open " << path;
        return bytes;
    }
    std::uint8_t chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    std::fclose(file);
    return bytes;
}

// Little-endian fields. Callers check the length first.
std::uint32_t U16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t U32(const Bytes& b, std::size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }
std::int32_t I32(const Bytes& b, std::size_t at) {
    const std::uint32_t u = U32(b, at);
    std::int32_t i = 0;
    std::memcpy(&i, &u, sizeof i);
    return i;
}

constexpr std::size_t kIconDirSize = 6;
constexpr std::size_t kIconEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;

// ---------------------------------------------------------------------------
// Icons

struct ImageCase {
    int width;
    int height;
    int bits;
    int palette;         // RGBQUAD entries after the header
    bool mask_all_zero;  // fully opaque
};

struct IconCase {
    const char* file;
    std::vector<ImageCase> images;
};

const std::vector<IconCase>& IconCases() {
    static const std::vector<IconCase> cases = {
        {"calendar.ico", {{16, 16, 8, 256, false}}},
        {"about.ico", {{16, 16, 24, 0, false}, {32, 32, 24, 0, false}, {48, 48, 24, 0, false}}},
        {"computer.ico", {{33, 32, 24, 0, true}}},
    };
    return cases;
}

std::size_t RowBytes(int width, int bits) {
    return static_cast<std::size_t>((width * bits + 31) / 32) * 4;
}

TEST(IconFiles, EntriesTileTheFileExactly) {
    for (const IconCase& icon : IconCases()) {
        SCOPED_TRACE(icon.file);
        const Bytes b = ReadAsset(icon.file);
        ASSERT_GE(b.size(), kIconDirSize);
        EXPECT_EQ(U16(b, 0), 0u);  // reserved
        EXPECT_EQ(U16(b, 2), 1u);  // 1 = icon, 2 = cursor
        const std::size_t count = U16(b, 4);
        ASSERT_EQ(count, icon.images.size());
        ASSERT_GE(b.size(), kIconDirSize + count * kIconEntrySize);

        // The images follow the directory back to back, in entry order, and
        // the last one ends where the file ends.
        std::size_t expected_offset = kIconDirSize + count * kIconEntrySize;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = kIconDirSize + i * kIconEntrySize;
            const std::size_t size = U32(b, entry + 8);
            const std::size_t offset = U32(b, entry + 12);
            EXPECT_EQ(offset, expected_offset) << "image " << i;
            EXPECT_GT(size, 0u) << "image " << i;
            expected_offset = offset + size;
        }
        EXPECT_EQ(expected_offset, b.size());
    }
}

TEST(IconFiles, ImagesHaveTheExpectedLayout) {
    for (const IconCase& icon : IconCases()) {
        const Bytes b = ReadAsset(icon.file);
        ASSERT_GE(b.size(), kIconDirSize + icon.images.size() * kIconEntrySize) << icon.file;
        ASSERT_EQ(U16(b, 4), icon.images.size()) << icon.file;

        for (std::size_t i = 0; i < icon.images.size(); ++i) {
            const ImageCase& want = icon.images[i];
            SCOPED_TRACE(std::string(icon.file) + " image " + std::to_string(i));
            const std::size_t entry = kIconDirSize + i * kIconEntrySize;

            // ICONDIRENTRY
            EXPECT_EQ(b[entry + 0], want.width);
            EXPECT_EQ(b[entry + 1], want.height);
            EXPECT_EQ(b[entry + 2], 0);  // colour count: 0 for 256 colours and more
            EXPECT_EQ(b[entry + 3], 0);
            EXPECT_EQ(U16(b, entry + 4), 1u);
            EXPECT_EQ(U16(b, entry + 6), static_cast<std::uint32_t>(want.bits));

            const std::size_t size = U32(b, entry + 8);
            const std::size_t at = U32(b, entry + 12);
            ASSERT_LE(at, b.size());
            ASSERT_LE(size, b.size() - at);
            ASSERT_GE(size, kInfoHeaderSize);

            // BITMAPINFOHEADER: the height counts the XOR bitmap and the AND mask.
            EXPECT_EQ(U32(b, at + 0), kInfoHeaderSize);
            EXPECT_EQ(I32(b, at + 4), want.width);
            EXPECT_EQ(I32(b, at + 8), 2 * want.height);
            EXPECT_EQ(U16(b, at + 12), 1u);
            EXPECT_EQ(U16(b, at + 14), static_cast<std::uint32_t>(want.bits));
            EXPECT_EQ(U32(b, at + 16), 0u);  // BI_RGB
            const std::uint32_t used = U32(b, at + 32);
            const int palette = want.bits <= 8
                                    ? (used != 0 ? static_cast<int>(used) : 1 << want.bits)
                                    : static_cast<int>(used);
            EXPECT_EQ(palette, want.palette);

            const std::size_t xor_row = RowBytes(want.width, want.bits);
            const std::size_t and_row = RowBytes(want.width, 1);
            const std::size_t h = static_cast<std::size_t>(want.height);
            const std::size_t colours =
                kInfoHeaderSize + static_cast<std::size_t>(want.palette) * 4;
            ASSERT_EQ(size, colours + xor_row * h + and_row * h);

            const std::uint8_t* xor_bits = b.data() + at + colours;
            const std::uint8_t* and_bits = xor_bits + xor_row * h;
            auto transparent = [&](int x, int y_bottom_up) {
                return (and_bits[static_cast<std::size_t>(y_bottom_up) * and_row + x / 8] &
                        (0x80 >> (x % 8))) != 0;
            };

            bool all_zero = true;
            for (int y = 0; y < want.height; ++y) {
                for (int x = 0; x < want.width; ++x) {
                    if (!transparent(x, y)) continue;
                    all_zero = false;
                    // A transparent pixel must be black in the XOR bitmap, or Windows
                    // inverts the background behind it.
                    const std::uint8_t* p = xor_bits + static_cast<std::size_t>(y) * xor_row;
                    if (want.bits == 8) {
                        const std::uint8_t* quad = b.data() + at + kInfoHeaderSize + p[x] * 4;
                        EXPECT_EQ(quad[0] | quad[1] | quad[2], 0) << "at " << x << "," << y;
                    } else {
                        const std::uint8_t* bgr = p + static_cast<std::size_t>(x) * 3;
                        EXPECT_EQ(bgr[0] | bgr[1] | bgr[2], 0) << "at " << x << "," << y;
                    }
                }
            }
            EXPECT_EQ(all_zero, want.mask_all_zero);
            // Each icon's subject fills its middle; a mask that came out inverted
            // would hide it.
            EXPECT_FALSE(transparent(want.width / 2, want.height / 2));
        }
    }
}

// ---------------------------------------------------------------------------
// The main window's picture

constexpr int kBmpWidth = 405;
constexpr int kBmpHeight = 390;
constexpr std::size_t kBmpRow = 1216;  // 405 * 3 = 1215, padded to 4
constexpr std::size_t kBmpPixels = 54;
constexpr std::size_t kBmpFileSize = kBmpPixels + kBmpRow * kBmpHeight;  // 474,294

struct Rgb {
    int r, g, b;
};

// (x, y) counted from the top left, as the window sees it.
Rgb PixelAt(const Bytes& b, int x, int y) {
    const std::size_t at = kBmpPixels + static_cast<std::size_t>(kBmpHeight - 1 - y) * kBmpRow +
                           static_cast<std::size_t>(x) * 3;
    return {b[at + 2], b[at + 1], b[at]};
}

TEST(MonitorBitmap, HeadersAndRowLayout) {
    const Bytes b = ReadAsset("monitor.bmp");
    ASSERT_EQ(b.size(), kBmpFileSize);

    // BITMAPFILEHEADER
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), kBmpFileSize);
    EXPECT_EQ(U16(b, 6), 0u);
    EXPECT_EQ(U16(b, 8), 0u);
    EXPECT_EQ(U32(b, 10), kBmpPixels);

    // BITMAPINFOHEADER: positive height, so rows are stored bottom-up.
    EXPECT_EQ(U32(b, 14), kInfoHeaderSize);
    EXPECT_EQ(I32(b, 18), kBmpWidth);
    EXPECT_EQ(I32(b, 22), kBmpHeight);
    EXPECT_EQ(U16(b, 26), 1u);
    EXPECT_EQ(U16(b, 28), 24u);
    EXPECT_EQ(U32(b, 30), 0u);  // BI_RGB
    EXPECT_EQ(U32(b, 34), kBmpRow * kBmpHeight);
    for (std::size_t field : {38u, 42u}) {  // pixels per metre: 96 dpi or unset
        const std::uint32_t ppm = U32(b, field);
        EXPECT_TRUE(ppm == 0 || ppm == 3780) << "offset " << field << ": " << ppm;
    }
    EXPECT_EQ(U32(b, 46), 0u);  // no palette
    EXPECT_EQ(U32(b, 50), 0u);

    for (int row = 0; row < kBmpHeight; ++row) {
        EXPECT_EQ(b[kBmpPixels + static_cast<std::size_t>(row) * kBmpRow + 1215], 0)
            << "row " << row;
    }
}

// The program draws the month calendar over the glass at (80,56)-(245,213)
// and relies on glass showing round it, and on pale wallpaper at the top
// right. Probing both also catches a flipped or garbled bitmap.
TEST(MonitorBitmap, CalendarSitsOnTheGlass) {
    const Bytes b = ReadAsset("monitor.bmp");
    ASSERT_EQ(b.size(), kBmpFileSize);

    enum class Looks { Glass, Wallpaper };
    struct Probe {
        int x, y;
        Looks looks;
    };
    const Probe probes[] = {
        {167, 140, Looks::Glass},  // middle of the screen
        {76, 52, Looks::Glass},    // just outside the calendar's corners
        {249, 52, Looks::Glass},    {76, 217, Looks::Glass},
        {249, 217, Looks::Glass},   {380, 30, Looks::Wallpaper},  // right of the cabinet
        {340, 8, Looks::Wallpaper},  // beside the cabinet's corner, under the button
    };
    for (const Probe& p : probes) {
        const Rgb c = PixelAt(b, p.x, p.y);
        SCOPED_TRACE("pixel " + std::to_string(p.x) + "," + std::to_string(p.y) + " = " +
                     std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b));
        if (p.looks == Looks::Glass) {
            // Dark, cool glass.
            EXPECT_LT(c.r, 120);
            EXPECT_LT(c.g, 120);
            EXPECT_LT(c.b, 120);
            EXPECT_GT(c.b, c.r);
        } else {
            // Pale paper.
            EXPECT_GT(c.r, 180);
            EXPECT_GT(c.g, 180);
            EXPECT_GT(c.b, 180);
        }
    }
}

}  // namespace
