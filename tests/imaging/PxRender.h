#pragma once
// Reads a DIB record back as the colours a viewer would show, whatever its pixel format, so that
// conversion tests compare pictures rather than bytes. Rows are counted from the top of the
// picture, whichever way they are stored.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "imaging/PxDIB.h"
#include "imaging/PxRLE.h"

struct TRgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const TRgb&, const TRgb&) = default;
};

constexpr TRgb kBlackRgb{0, 0, 0};
constexpr TRgb kWhiteRgb{255, 255, 255};

// Start of the memory row that shows picture row y.
inline uint8_t* RowOf(const DIBInfos& infos, int y) {
    const int32_t height = std::abs(infos.Header.biHeight);
    const int row = infos.Header.biHeight < 0 ? y : height - 1 - y;
    return infos.Bits + RowStride(static_cast<uint64_t>(infos.Header.biWidth), infos.Header.biBitCount) * row;
}

// The colour-table index of pixel (x, y) of an uncompressed 1-, 4- or 8-bit record.
inline int IndexAt(const DIBInfos& infos, int x, int y) {
    const uint8_t* row = RowOf(infos, y);
    switch (infos.Header.biBitCount) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    default: return row[x];
    }
}

inline TRgb RgbAt(const DIBInfos& infos, int x, int y) {
    if (infos.Header.biBitCount == 24) {
        const uint8_t* p = RowOf(infos, y) + 3 * x;
        return TRgb{p[2], p[1], p[0]};
    }
    const TRGBQuad& c = infos.Colors[IndexAt(infos, x, y)];
    return TRgb{c.rgbRed, c.rgbGreen, c.rgbBlue};
}

inline void SetRgbAt(DIBInfos& infos, int x, int y, TRgb c) {
    uint8_t* p = RowOf(infos, y) + 3 * x;
    p[0] = c.b, p[1] = c.g, p[2] = c.r;
}

// All pixels, row by row from the top; RLE data is decoded first.
inline std::vector<TRgb> Render(const DIBInfos& infos) {
    if (infos.Header.biCompression == kBiRle8 || infos.Header.biCompression == kBiRle4) {
        DIBInfos plain{};
        if (infos.Header.biCompression == kBiRle8) {
            Convert8BitRLETo8BitRGB(infos, plain);
        } else {
            Convert4BitRLETo4BitRGB(infos, plain);
        }
        const std::vector<TRgb> pixels = Render(plain);
        FreeDIBInfosBits(plain);
        return pixels;
    }
    std::vector<TRgb> pixels;
    const int height = std::abs(infos.Header.biHeight);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < infos.Header.biWidth; ++x) pixels.push_back(RgbAt(infos, x, y));
    }
    return pixels;
}

// A 24-bit storage of width x |height| (negative: stored top-down) painted by paint(x, y).
inline std::unique_ptr<TPxInternalDIB> Make24(int32_t width, int32_t height, const std::function<TRgb(int, int)>& paint) {
    auto dib = std::make_unique<TPxInternalDIB>();
    dib->CreateDIB(width, height, 0, 24);
    for (int y = 0; y < std::abs(height); ++y) {
        for (int x = 0; x < width; ++x) SetRgbAt(dib->Infos(), x, y, paint(x, y));
    }
    return dib;
}

// A deterministic noise colour for pixel (x, y).
inline TRgb NoiseRgb(int x, int y) {
    uint32_t v = static_cast<uint32_t>(x) * 2654435761u ^ static_cast<uint32_t>(y) * 40503u;
    v ^= v >> 13;
    v *= 0x5bd1e995u;
    v ^= v >> 15;
    return TRgb{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16)};
}
