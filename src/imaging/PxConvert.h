#pragma once
// Pixel-format conversion and colour reduction on plain memory. Each routine reads one source
// picture (a DIB's pixels and colour table, described by TPxSource) and writes the converted rows
// into a buffer its caller owns and sizes with PxTargetBitsSize; the routines that make a new
// colour table fill a TPxPalette. The DIB storage wraps these cores: it checks the source with
// CheckSource, takes the destination pixel store and copies the palette into its record.
//
// Rows are processed in memory order, so the destination keeps the source's row order. Every byte
// of each destination row is written, its fill bytes as zero.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "toolkit/Exceptions.h"

// One colour-table entry as a DIB stores it (RGBQUAD).
struct TPxColor {
    uint8_t Blue = 0;
    uint8_t Green = 0;
    uint8_t Red = 0;
    uint8_t Reserved = 0;
    friend bool operator==(const TPxColor&, const TPxColor&) = default;
};
static_assert(sizeof(TPxColor) == 4);

// The picture a routine reads.
struct TPxSource {
    int32_t Width = 0;         // pixels, biWidth
    int32_t Height = 0;        // rows, the absolute value of biHeight
    uint16_t BitCount = 0;     // biBitCount
    uint32_t Compression = 0;  // biCompression
    const uint8_t* Bits = nullptr;
    size_t BitsSize = 0;  // bytes readable at Bits; rows are PxRowStride bytes apart
    // The colour table; entries from ColorCount up (to 256) read as black.
    const TPxColor* Colors = nullptr;
    uint32_t ColorCount = 0;
};

// A colour table made by a routine: Count entries in use, the rest zero.
struct TPxPalette {
    std::array<TPxColor, 256> Colors{};
    uint32_t Count = 0;
};

// Called once for every leaf of the palette split: 256 times for 8 bits, 16 for 4 bits.
using TPxProgress = std::function<void()>;

// The routines, for the checks and the sizes that the caller needs before it runs one.
enum class TPxRoutine {
    Convert1BitRGBTo4BitRGB,
    Convert1BitRGBTo8BitRGB,
    Convert4BitRGBTo8BitRGB,
    Convert1BitRGBToTrueColor,
    Convert4BitRGBToTrueColor,
    Convert8BitRGBToTrueColor,
    Convert8BitRGBTo4BitRGB,
    ConvertTrueColorTo1BitRGB,
    Convert8BitTo1BitRGB,
    Convert4BitRGBTo1BitRGB,
    ConvertTrueColorTo8BitRGBLow,
    ConvertTrueColorTo4BitRGBLow,
    ConvertTrueColorTo8BitRGBHigh,
    ConvertTrueColorTo4BitRGBHigh,
    CreateTrueColorPaletteLow,  // palette only: the pixels stay 24-bit
    CreateTrueColorPaletteHigh,
};

// What is wrong with a source, mapped by the DIB storage onto its own exception classes.
enum class TPxFaultKind {
    pfkNone,
    pfkBadDIBType,  // wrong bit count or compression for the routine
    pfkInvalidDIB,  // the size or the pixel data do not fit each other
    pfkAssert,      // a broken internal invariant (our own fault, or a caller's buffer too small)
};

struct TPxFault {
    TPxFaultKind Kind = TPxFaultKind::pfkNone;
    std::wstring Message;
};

// Raised by the routines themselves when they are handed a source that CheckSource rejects, a
// destination that is too small, or when an internal check fails. Heap buffers that cannot be had
// raise EOutOfMemory.
class EPxConvertError : public Exception {
public:
    EPxConvertError(TPxFaultKind kind, std::wstring message) : Exception(std::move(message)), kind_(kind) {}
    const char* ClassName() const noexcept override { return "EPxConvertError"; }
    TPxFaultKind Kind() const noexcept { return kind_; }

private:
    TPxFaultKind kind_;
};

// The routine's name as its messages begin ("ConvertTrueColorTo8BitRGBLow").
std::wstring PxRoutineName(TPxRoutine routine);
// Bits per pixel of what the routine writes (24 for the palette-only builders).
int PxTargetBitCount(TPxRoutine routine);
// ((width x bitCount + 31) div 32) x 4, without overflow.
uint64_t PxRowStride(int32_t width, int bitCount);
// Row stride x height, saturating at UINT64_MAX.
uint64_t PxBitsSize(int32_t width, int32_t height, int bitCount);
// Bytes the routine writes for this source (0 for the palette-only builders).
uint64_t PxTargetBitsSize(TPxRoutine routine, const TPxSource& src);

// Checks the source first for the bit count and compression the routine takes (with the routine's
// own message), then that its size is positive and its pixel data holds every row.
TPxFault CheckSource(TPxRoutine routine, const TPxSource& src);

// Widening: indices are carried over (1 or 4 to more bits) or looked up in the colour table (to
// 24 bits). The caller keeps the colour table and its count as they are.
void Convert1BitRGBTo4BitRGB(const TPxSource& src, std::span<uint8_t> dst);
void Convert1BitRGBTo8BitRGB(const TPxSource& src, std::span<uint8_t> dst);
void Convert4BitRGBTo8BitRGB(const TPxSource& src, std::span<uint8_t> dst);
void Convert1BitRGBToTrueColor(const TPxSource& src, std::span<uint8_t> dst);
void Convert4BitRGBToTrueColor(const TPxSource& src, std::span<uint8_t> dst);
void Convert8BitRGBToTrueColor(const TPxSource& src, std::span<uint8_t> dst);

// To 1 bit: a pixel of the key colour (an RGB value, 0x00BBGGRR) becomes 1, every other 0; the
// palette becomes black, white.
void ConvertTrueColorTo1BitRGB(const TPxSource& src, uint32_t keyColor, std::span<uint8_t> dst, TPxPalette& palette);
void Convert8BitTo1BitRGB(const TPxSource& src, uint32_t keyColor, std::span<uint8_t> dst, TPxPalette& palette);
void Convert4BitRGBTo1BitRGB(const TPxSource& src, uint32_t keyColor, std::span<uint8_t> dst, TPxPalette& palette);

// Colour reduction: a new palette by recursive splitting, and every pixel mapped to it.
void Convert8BitRGBTo4BitRGB(const TPxSource& src,
                             std::span<uint8_t> dst,
                             TPxPalette& palette,
                             const TPxProgress& progress);
void ConvertTrueColorTo8BitRGBLow(const TPxSource& src,
                                  std::span<uint8_t> dst,
                                  TPxPalette& palette,
                                  const TPxProgress& progress);
void ConvertTrueColorTo4BitRGBLow(const TPxSource& src,
                                  std::span<uint8_t> dst,
                                  TPxPalette& palette,
                                  const TPxProgress& progress);
void ConvertTrueColorTo8BitRGBHigh(const TPxSource& src,
                                   std::span<uint8_t> dst,
                                   TPxPalette& palette,
                                   const TPxProgress& progress);
void ConvertTrueColorTo4BitRGBHigh(const TPxSource& src,
                                   std::span<uint8_t> dst,
                                   TPxPalette& palette,
                                   const TPxProgress& progress);

// A palette of up to 256 colours for a 24-bit picture, whose pixels are left as they are.
TPxPalette CreateTrueColorPaletteLow(const TPxSource& src, const TPxProgress& progress);
TPxPalette CreateTrueColorPaletteHigh(const TPxSource& src, const TPxProgress& progress);
