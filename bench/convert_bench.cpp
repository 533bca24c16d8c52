// Throughput of the pixel-format conversions and colour reductions on a deterministic photo-like
// picture (4000 x 3000) and on one a quarter of its size, with memcpy bandwidth over the same
// buffer size measured in the same run as the reference figure.
//
//   convert_bench [repeats]     (best of `repeats` runs per figure, 3 by default)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "imaging/PxConvert.h"

namespace {

using TClock = std::chrono::steady_clock;

struct TPicture {
    int32_t Width;
    int32_t Height;
    uint16_t BitCount;
    std::vector<uint8_t> Bits;
    std::vector<TPxColor> Colors;

    TPxSource Source() const {
        TPxSource s;
        s.Width = Width;
        s.Height = Height;
        s.BitCount = BitCount;
        s.Bits = Bits.data();
        s.BitsSize = Bits.size();
        s.Colors = Colors.empty() ? nullptr : Colors.data();
        s.ColorCount = static_cast<uint32_t>(Colors.size());
        return s;
    }
};

// Smooth gradients, a few soft-edged discs, fine texture and sensor-like noise: many thousands of
// distinct colours with the clustering of a photograph, the same on every run.
TPicture PhotoLike(int32_t width, int32_t height) {
    TPicture p{width, height, 24, {}, {}};
    const size_t stride = (static_cast<size_t>(width) * 24 + 31) / 32 * 4;
    p.Bits.assign(stride * static_cast<size_t>(height), 0);
    uint32_t noise = 12345;
    struct Disc {
        double x, y, r, red, green, blue;
    };
    const Disc discs[] = {{0.30, 0.40, 0.18, 220, 60, 40},
                          {0.70, 0.55, 0.22, 40, 160, 70},
                          {0.55, 0.20, 0.12, 250, 220, 120},
                          {0.20, 0.80, 0.15, 60, 80, 200}};
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = p.Bits.data() + stride * static_cast<size_t>(y);
        const double v = static_cast<double>(y) / height;
        for (int32_t x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            // Sky-to-ground gradient with a slow ripple.
            double red = 90 + 100 * v + 20 * std::sin(6.0 * u + 3.0 * v);
            double green = 130 + 60 * (1 - v) + 25 * std::sin(9.0 * u * v);
            double blue = 200 - 140 * v + 15 * std::cos(5.0 * u);
            for (const Disc& d : discs) {
                const double dx = (u - d.x) * width / height, dy = v - d.y;
                const double edge = std::clamp((d.r - std::sqrt(dx * dx + dy * dy)) * 40.0, 0.0, 1.0);
                const double shade = 0.75 + 0.25 * std::cos(30.0 * dx) * std::cos(30.0 * dy);
                red += edge * (d.red * shade - red);
                green += edge * (d.green * shade - green);
                blue += edge * (d.blue * shade - blue);
            }
            noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
            const double grain = static_cast<double>(noise % 13) - 6.0;
            row[3 * x + 0] = static_cast<uint8_t>(std::clamp(blue + grain, 0.0, 255.0));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(green + grain, 0.0, 255.0));
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(red + grain, 0.0, 255.0));
        }
    }
    return p;
}

std::vector<uint8_t> Target(TPxRoutine routine, const TPicture& p) {
    return std::vector<uint8_t>(static_cast<size_t>(PxTargetBitsSize(routine, p.Source())));
}

// Best wall-clock seconds of `repeats` runs.
double Best(int repeats, const std::function<void()>& run) {
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const auto start = TClock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(TClock::now() - start).count());
    }
    return best;
}

void Report(const char* what, const TPicture& p, double seconds) {
    const double megapixels = static_cast<double>(p.Width) * p.Height / 1e6;
    std::printf("  %-28s %8.1f ms  %8.1f MP/s\n", what, seconds * 1e3, megapixels / seconds);
}

void RunSize(int32_t width, int32_t height, int repeats) {
    const TPicture rgb = PhotoLike(width, height);
    std::printf("%d x %d (%.1f MP, %.1f MB of 24-bit pixels)\n", width, height,
                static_cast<double>(width) * height / 1e6, static_cast<double>(rgb.Bits.size()) / 1e6);

    // The reference: memcpy over a buffer the size of the 24-bit picture.
    std::vector<uint8_t> copy(rgb.Bits.size());
    const double copySeconds = Best(repeats, [&] { std::memcpy(copy.data(), rgb.Bits.data(), rgb.Bits.size()); });
    std::printf("  %-28s %8.1f ms  %8.1f GB/s\n", "memcpy (same bytes)", copySeconds * 1e3,
                static_cast<double>(rgb.Bits.size()) / copySeconds / 1e9);

    TPxPalette palette;
    uint32_t colours = 0;
    const TPxProgress none;
    struct Reduction {
        const char* name;
        TPxRoutine routine;
        void (*fn)(const TPxSource&, std::span<uint8_t>, TPxPalette&, const TPxProgress&);
    };
    const Reduction reductions[] = {
        {"24 -> 8 Low", TPxRoutine::ConvertTrueColorTo8BitRGBLow, ConvertTrueColorTo8BitRGBLow},
        {"24 -> 4 Low", TPxRoutine::ConvertTrueColorTo4BitRGBLow, ConvertTrueColorTo4BitRGBLow},
        {"24 -> 8 High", TPxRoutine::ConvertTrueColorTo8BitRGBHigh, ConvertTrueColorTo8BitRGBHigh},
        {"24 -> 4 High", TPxRoutine::ConvertTrueColorTo4BitRGBHigh, ConvertTrueColorTo4BitRGBHigh},
    };
    TPicture eight{width, height, 8, {}, {}};
    for (const Reduction& r : reductions) {
        std::vector<uint8_t> dst = Target(r.routine, rgb);
        const double s = Best(repeats, [&] { r.fn(rgb.Source(), dst, palette, none); });
        colours = palette.Count;
        Report((std::string(r.name) + " (" + std::to_string(colours) + " colours)").c_str(), rgb, s);
        if (r.routine == TPxRoutine::ConvertTrueColorTo8BitRGBLow) {
            eight.Bits = dst;
            eight.Colors.assign(palette.Colors.begin(), palette.Colors.end());
        }
    }
    {
        std::vector<uint8_t> dst = Target(TPxRoutine::Convert8BitRGBTo4BitRGB, eight);
        const double s = Best(repeats, [&] { Convert8BitRGBTo4BitRGB(eight.Source(), dst, palette, none); });
        Report("8 -> 4", eight, s);
    }
    {
        std::vector<uint8_t> dst = Target(TPxRoutine::ConvertTrueColorTo1BitRGB, rgb);
        const double s = Best(repeats, [&] { ConvertTrueColorTo1BitRGB(rgb.Source(), 0xFFFFFF, dst, palette); });
        Report("24 -> 1", rgb, s);
    }
    {
        std::vector<uint8_t> dst = Target(TPxRoutine::Convert8BitRGBToTrueColor, eight);
        const double s = Best(repeats, [&] { Convert8BitRGBToTrueColor(eight.Source(), dst); });
        Report("8 -> 24", eight, s);
    }
    {
        const double s = Best(repeats, [&] { palette = CreateTrueColorPaletteLow(rgb.Source(), none); });
        Report("palette only, Low", rgb, s);
    }
    {
        const double s = Best(repeats, [&] { palette = CreateTrueColorPaletteHigh(rgb.Source(), none); });
        Report("palette only, High", rgb, s);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::printf("best of %d runs each\n", repeats);
    RunSize(4000, 3000, repeats);
    RunSize(2000, 1500, repeats);
    return 0;
}
