#include "PictureScaling.h"

#include <algorithm>
#include <cmath>

int PictureScaleFor(int Dpi)
{
    for (int scale : PictureScales)
        if (scale * 96 >= Dpi * 100)
            return scale;
    return PictureScales[sizeof PictureScales / sizeof PictureScales[0] - 1];
}

int LengthAt100(int Length, int Scale)
{
    // The versions were drawn at the lengths of 100% times their scale, rounded half up.
    return (Length * 100 + Scale / 2) / Scale;
}

size_t DibStride(int Width)
{
    return (static_cast<size_t>(Width) * 3 + 3) & ~size_t(3);
}

namespace {

struct Tap {
    int Index;
    double Weight;
};

// For each of Out pixels along an axis, the source pixels of In that it mixes and their
// weights, which add up to one.
std::vector<std::vector<Tap>> AxisTaps(int In, int Out)
{
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(Out));
    const double ratio = static_cast<double>(In) / Out;
    const double reach = std::max(1.0, ratio); // a reduction mixes all the pixels it covers
    for (int i = 0; i < Out; ++i) {
        const double centre = (i + 0.5) * ratio - 0.5; // pixel centres in source coordinates
        const int first = static_cast<int>(std::floor(centre - reach)) + 1;
        const int last = static_cast<int>(std::ceil(centre + reach)) - 1;
        double total = 0;
        auto& row = taps[static_cast<size_t>(i)];
        for (int j = first; j <= last; ++j) {
            const double weight = 1.0 - std::fabs(j - centre) / reach;
            if (weight <= 0)
                continue;
            row.push_back({std::clamp(j, 0, In - 1), weight}); // the edge pixels continue outwards
            total += weight;
        }
        for (Tap& tap : row)
            tap.Weight /= total;
    }
    return taps;
}

} // namespace

PixelPicture ResizePicture(const PixelPicture& Source, int Width, int Height)
{
    PixelPicture result;
    result.Width = Width;
    result.Height = Height;
    result.Stride = DibStride(Width);
    if (Width <= 0 || Height <= 0 || Source.Width <= 0 || Source.Height <= 0)
        return result;
    result.Bits.assign(result.Stride * static_cast<size_t>(Height), 0);

    // Across first, into rows of the new width and the old height; then down.
    const auto across = AxisTaps(Source.Width, Width);
    const auto down = AxisTaps(Source.Height, Height);
    const size_t wide = static_cast<size_t>(Width) * 3;
    std::vector<double> between(wide * static_cast<size_t>(Source.Height));
    for (int y = 0; y < Source.Height; ++y) {
        const uint8_t* in = Source.Bits.data() + Source.Stride * static_cast<size_t>(y);
        double* out = between.data() + wide * static_cast<size_t>(y);
        for (int x = 0; x < Width; ++x)
            for (const Tap& tap : across[static_cast<size_t>(x)])
                for (int c = 0; c < 3; ++c)
                    out[x * 3 + c] += tap.Weight * in[tap.Index * 3 + c];
    }
    for (int y = 0; y < Height; ++y) {
        uint8_t* out = result.Bits.data() + result.Stride * static_cast<size_t>(y);
        for (size_t i = 0; i < wide; ++i) {
            double value = 0;
            for (const Tap& tap : down[static_cast<size_t>(y)])
                value += tap.Weight * between[wide * static_cast<size_t>(tap.Index) + i];
            out[i] = static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
        }
    }
    return result;
}
