#pragma once
// Builds BMP files and packed DIBs byte by byte, well-formed or not, for the imaging tests, the
// fuzz seeds and the benchmark.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using TBytes = std::vector<uint8_t>;

struct TBmpLayout {
    uint16_t type = 0x4D42;
    std::optional<uint32_t> fileSize;  // bfSize; by default the length of the file
    std::optional<uint32_t> offBits;   // bfOffBits; by default where the pixels start
    uint32_t headerSize = 40;          // 12 writes a core header; 108 and 124 pad with extraHeader
    int32_t width = 1;
    int32_t height = 1;
    uint16_t planes = 1;
    uint16_t bitCount = 8;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    uint32_t clrUsed = 0;
    TBytes extraHeader;  // bytes 40.. of a larger header (masks of a V4/V5 header first)
    TBytes colors;       // colour data as it appears in the file (masks, quads or triples)
    TBytes gap;          // bytes between the colour data and the pixels
    TBytes pixels;
};

TBytes BuildBmp(const TBmpLayout& layout);
// The same picture as a packed DIB: the file without its 14-byte file header.
TBytes BuildPackedDib(const TBmpLayout& layout);

// Little-endian helpers for test data.
void Put16(TBytes& out, uint16_t v);
void Put32(TBytes& out, uint32_t v);
uint32_t Get32At(const TBytes& bytes, size_t offset);
// n colour-table entries (blue, green, red, 0) with distinct values.
TBytes ColorQuads(uint32_t n);
// Rows of a picture: height rows of stride bytes, each filled by a deterministic pattern.
TBytes PatternRows(uint32_t stride, uint32_t height, uint32_t seed);

// Named inputs that the tests read and that seed the fuzz corpus.
struct TSample {
    std::string name;
    TBytes bytes;
};
// Well-formed BMP files of every kind the reader accepts.
std::vector<TSample> BmpSamples();
// One of BmpSamples by name.
TBytes BmpSample(const std::string& name);
// RLE8 and RLE4 streams of small pictures; the picture's width and height are the first two bytes.
std::vector<TSample> Rle8Samples();
std::vector<TSample> Rle4Samples();
