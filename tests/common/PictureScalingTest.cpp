#include <gtest/gtest.h>

#include <algorithm>

#include "PictureScaling.h"

namespace {

// A picture of Width x Height whose pixels Shade gives (the same value in all three colours).
template <typename F> PixelPicture Picture(int Width, int Height, F Shade)
{
    PixelPicture p;
    p.Width = Width;
    p.Height = Height;
    p.Stride = DibStride(Width);
    p.Bits.assign(p.Stride * static_cast<size_t>(Height), 0);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            for (int c = 0; c < 3; ++c)
                p.Bits[p.Stride * static_cast<size_t>(y) + static_cast<size_t>(x) * 3 + static_cast<size_t>(c)] =
                    static_cast<uint8_t>(Shade(x, y));
    return p;
}

int Shade(const PixelPicture& P, int X, int Y, int Colour = 0)
{
    return P.Bits[P.Stride * static_cast<size_t>(Y) + static_cast<size_t>(X) * 3 + static_cast<size_t>(Colour)];
}

} // namespace

TEST(PictureScaleFor, TakesTheSmallestVersionThatIsNotSmallerThanTheScale)
{
    EXPECT_EQ(100, PictureScaleFor(96));
    EXPECT_EQ(150, PictureScaleFor(97));
    EXPECT_EQ(150, PictureScaleFor(120)); // 125% from 150%
    EXPECT_EQ(150, PictureScaleFor(144));
    EXPECT_EQ(200, PictureScaleFor(168)); // 175% from 200%
    EXPECT_EQ(200, PictureScaleFor(192));
    EXPECT_EQ(200, PictureScaleFor(288)); // beyond the largest: the largest
    EXPECT_EQ(100, PictureScaleFor(72));
}

TEST(ResizePicture, KeepsASameSizedPictureAndPadsRowsAsDibsDo)
{
    const PixelPicture source = Picture(5, 3, [](int x, int y) { return x * 40 + y * 7; });
    const PixelPicture same = ResizePicture(source, 5, 3);
    EXPECT_EQ(16u, same.Stride); // 15 bytes of pixels, padded to 16
    EXPECT_EQ(source.Bits, same.Bits);
    EXPECT_TRUE(ResizePicture(source, 0, 3).Bits.empty());
}

TEST(ResizePicture, AReductionMixesThePixelsItCovers)
{
    // One-pixel stripes of black and white: dropping pixels would give black or white, the
    // mean of what each new pixel covers is grey.
    const PixelPicture stripes = Picture(40, 4, [](int x, int) { return x % 2 ? 255 : 0; });
    for (int width : {30, 20, 13}) {
        const PixelPicture smaller = ResizePicture(stripes, width, 4);
        ASSERT_EQ(width, smaller.Width);
        for (int x = 1; x < width - 1; ++x)
            EXPECT_NEAR(128, Shade(smaller, x, 2), 40) << "width " << width << ", pixel " << x;
    }
}

TEST(ResizePicture, AnEnlargementRisesSmoothlyInsteadOfInSteps)
{
    // A step from black to white between pixels 1 and 2 of four, made twice as wide: repeated
    // pixels would jump from 0 to 255; the smooth picture climbs through values in between
    // and never goes back down.
    const PixelPicture step = Picture(4, 1, [](int x, int) { return x < 2 ? 0 : 255; });
    const PixelPicture wide = ResizePicture(step, 8, 1);
    int between = 0;
    for (int x = 0; x < 8; ++x) {
        if (x > 0) {
            EXPECT_GE(Shade(wide, x, 0), Shade(wide, x - 1, 0));
        }
        between += Shade(wide, x, 0) > 0 && Shade(wide, x, 0) < 255;
    }
    EXPECT_GE(between, 2);
    EXPECT_EQ(0, Shade(wide, 0, 0));
    EXPECT_EQ(255, Shade(wide, 7, 0));
}

TEST(ResizePicture, KeepsTheColoursApartAndAFlatPictureFlat)
{
    PixelPicture source = Picture(9, 9, [](int, int) { return 0; });
    for (int y = 0; y < 9; ++y) {
        uint8_t* row = source.Bits.data() + source.Stride * static_cast<size_t>(y);
        for (int x = 0; x < 9; ++x)
            row[x * 3] = 10, row[x * 3 + 1] = 120, row[x * 3 + 2] = 250; // blue, green, red
    }
    const PixelPicture resized = ResizePicture(source, 11, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 11; ++x) {
            EXPECT_EQ(10, Shade(resized, x, y, 0));
            EXPECT_EQ(120, Shade(resized, x, y, 1));
            EXPECT_EQ(250, Shade(resized, x, y, 2));
        }
}
