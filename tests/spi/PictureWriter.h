#pragma once
// Pictures the tests write themselves: PNG, TGA, JPEG and HDR through stb_image_write, GIF and
// PNM by hand. Pixels are top-down, channels bytes each (1 grey, 2 grey+alpha, 3 RGB, 4 RGBA).
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

using TBytes = std::vector<uint8_t>;

struct TPixels {
    int width = 0;
    int height = 0;
    int channels = 0;
    TBytes data;
    const uint8_t* At(int x, int y) const { return &data[(static_cast<size_t>(y) * width + x) * channels]; }
};

// A picture whose every pixel differs from its neighbours; with alpha, some pixels are fully
// transparent, some half and the rest opaque.
TPixels MakePixels(int width, int height, int channels);

TBytes WritePng(const TPixels& p);
TBytes WriteTga(const TPixels& p, bool rle);
TBytes WriteJpeg(const TPixels& p, int quality);
TBytes WriteHdr(const TPixels& p);
TBytes WritePnm(const TPixels& p);  // P5 for grey, P6 for RGB
// An RGB or RGBA picture of at most 255 colours, in uncompressed LZW. Pixels with alpha 0 take
// palette entry 0, which is marked transparent; other alpha is ignored (GIF has none).
TBytes WriteGif(const TPixels& p);

// Binary PPM or PGM as make_fixtures.py writes them: "P6\n<w> <h>\n255\n" and the pixels.
TPixels ReadNetpbm(const TBytes& file);
// The colour a decoder should give a pixel once it is composed over white; with binaryAlpha any
// alpha but 0 counts as opaque.
std::array<int, 3> OverWhite(const TPixels& p, int x, int y, bool binaryAlpha);
