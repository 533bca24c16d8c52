// Decoding time of the image plug-in's two paths on a 4000 x 3000 picture (12 Mpx) stored as JPEG
// and as PNG: the system's decoders (what vvimage.spi uses for these formats) and stb_image (what
// it used before), each into the plug-in's bottom-up 24-bit DIB. memcpy of a DIB of the same size,
// measured in the same run, is the reference that makes figures from different machines comparable.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "BenchPictures.h"
#include "spi/image/PictureDecoder.h"
#include "spi/image/WicPicture_win.h"

// A private copy of stb_image with the formats the plug-in no longer gives it, and of its writer.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#include <stb_image.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kRepeats = 5;

using TBytes = std::vector<uint8_t>;

void Append(void* context, void* data, int size) {
    auto* out = static_cast<TBytes*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

double Now() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Best wall-clock milliseconds of fn over kRepeats runs, after one warm-up run.
double BestMs(const std::function<void()>& fn) {
    fn();
    double best = 1e30;
    for (int i = 0; i < kRepeats; ++i) {
        const double start = Now();
        fn();
        best = std::min(best, (Now() - start) * 1000);
    }
    return best;
}

bool DecodeWic(const TBytes& file, TBytes& dib) {
    TWicPicture picture;
    if (picture.Decode(file) != srSuccess) return false;
    dib.resize(picture.Layout().bitsSize);
    return picture.WriteBits(dib.data()) == srSuccess;
}

bool DecodeStb(const TBytes& file, TBytes& dib) {
    int width = 0, height = 0, channels = 0;
    uint8_t* pixels = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width, &height, &channels, 3);
    if (!pixels) return false;
    TDibLayout layout;
    PlanDib(width, height, false, layout);
    dib.resize(layout.bitsSize);
    for (int y = 0; y < height; ++y)
        WriteDibRow(pixels + static_cast<size_t>(y) * width * 3, TPixelOrder::poRgb, layout,
                    dib.data() + static_cast<size_t>(height - 1 - y) * layout.stride);
    stbi_image_free(pixels);
    return true;
}

}  // namespace

int main() {
    std::printf("System decoders:");
    for (const TWicFormat& f : WicFormats()) std::printf(" %s (%s)", f.description.c_str(), f.patterns.c_str());
    std::printf("\n");
    const TBytes rgb = PhotoLikeRgb(kWidth, kHeight, 12345);
    TBytes jpeg, png;
    stbi_write_jpg_to_func(Append, &jpeg, kWidth, kHeight, 3, rgb.data(), 90);
    stbi_write_png_to_func(Append, &png, kWidth, kHeight, 3, rgb.data(), kWidth * 3);

    TDibLayout layout;
    PlanDib(kWidth, kHeight, false, layout);
    TBytes source(layout.bitsSize, 1), target(layout.bitsSize, 0);
    const double copy = BestMs([&] { std::memcpy(target.data(), source.data(), source.size()); });
    std::printf("%d x %d, DIB %u bytes; memcpy of the DIB: %.2f ms\n", kWidth, kHeight, layout.bitsSize, copy);

    const struct {
        const char* name;
        const TBytes& file;
    } files[] = {{"JPEG", jpeg}, {"PNG", png}};
    for (const auto& f : files) {
        TBytes wicDib, stbDib;
        if (!DecodeWic(f.file, wicDib) || !DecodeStb(f.file, stbDib)) {
            std::printf("%s: a decoder failed\n", f.name);
            return 1;
        }
        const double wic = BestMs([&] { DecodeWic(f.file, wicDib); });
        const double stb = BestMs([&] { DecodeStb(f.file, stbDib); });
        std::printf("%-4s %9zu bytes: system decoders %8.1f ms (%5.1f x memcpy), stb_image %8.1f ms (%5.1f x memcpy)\n",
                    f.name, f.file.size(), wic, wic / copy, stb, stb / copy);
    }
    // IsSupported asks the installed decoders about every head its own checks do not know.
    TBytes words(2048, 'w');
    const double ask = BestMs([&] { WicRecognises(words); });
    std::printf("asking the system's decoders about a 2 KB head none of them claims: %.2f ms\n", ask);
    return 0;
}
