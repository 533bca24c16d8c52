#include "imaging/PxConvert.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "imaging/PxDIB.h"
#include "imaging/PxReduce.h"

namespace {

using R = TPxRoutine;

// What each routine reads and writes. Every routine takes uncompressed pixels only.
struct TRoutineInfo {
    R Routine;
    const wchar_t* Name;
    uint16_t SourceBits;
    int TargetBits;
    const wchar_t* BadType;  // the message when the bit count or compression is wrong
};

constexpr const wchar_t* kCombination = L": Invalid Bitcount & Compression Combination";
constexpr const wchar_t* kBitcountOrCompression = L": Invalid Bitcount or Compression";
constexpr const wchar_t* kBitcount = L": Invalid Bitcount";

const TRoutineInfo kRoutines[] = {
    {R::Convert1BitRGBTo4BitRGB, L"Convert1BitRGBTo4BitRGB", 1, 4, kCombination},
    {R::Convert1BitRGBTo8BitRGB, L"Convert1BitRGBTo8BitRGB", 1, 8, kCombination},
    {R::Convert4BitRGBTo8BitRGB, L"Convert4BitRGBTo8BitRGB", 4, 8, kCombination},
    {R::Convert1BitRGBToTrueColor, L"Convert1BitRGBToTrueColor", 1, 24, kCombination},
    {R::Convert4BitRGBToTrueColor, L"Convert4BitRGBToTrueColor", 4, 24, kCombination},
    {R::Convert8BitRGBToTrueColor, L"Convert8BitRGBToTrueColor", 8, 24, kCombination},
    {R::Convert8BitRGBTo4BitRGB, L"Convert8BitRGBTo4BitRGB", 8, 4, kBitcountOrCompression},
    {R::ConvertTrueColorTo1BitRGB, L"ConvertTrueColorTo1BitRGB", 24, 1, kBitcount},
    {R::Convert8BitTo1BitRGB, L"Convert8BitTo1BitRGB", 8, 1, kBitcountOrCompression},
    {R::Convert4BitRGBTo1BitRGB, L"Convert4BitRGBTo1BitRGB", 4, 1, kBitcount},
    {R::ConvertTrueColorTo8BitRGBLow, L"ConvertTrueColorTo8BitRGBLow", 24, 8, kBitcount},
    {R::ConvertTrueColorTo4BitRGBLow, L"ConvertTrueColorTo4BitRGBLow", 24, 4, kBitcount},
    {R::ConvertTrueColorTo8BitRGBHigh, L"ConvertTrueColorTo8BitRGBHigh", 24, 8, kBitcount},
    {R::ConvertTrueColorTo4BitRGBHigh, L"ConvertTrueColorTo4BitRGBHigh", 24, 4, kBitcount},
    {R::CreateTrueColorPaletteLow, L"TPxInternalDIB.CreateTrueColorPalette", 24, 24, L": Bad DIB Type"},
    {R::CreateTrueColorPaletteHigh, L"TPxInternalDIB.CreateTrueColorPalette", 24, 24, L": Bad DIB Type"},
};

const TRoutineInfo& Info(R routine) {
    for (const TRoutineInfo& info : kRoutines) {
        if (info.Routine == routine)
            return info;
    }
    throw EPxConvertError(TPxFaultKind::pfkAssert, L"PxConvert: Unknown Routine");
}

std::wstring Message(R routine, const wchar_t* problem) {
    return std::wstring(Info(routine).Name) + problem;
}

uint64_t MultiplySaturated(uint64_t a, uint64_t b) {
    if (a != 0 && b > std::numeric_limits<uint64_t>::max() / a)
        return std::numeric_limits<uint64_t>::max();
    return a * b;
}

// Sizes of one run, once the source has passed its checks.
struct TGeometry {
    size_t Width;
    size_t Height;
    size_t SourceStride;
    size_t TargetStride;
};

// Checks the source and the destination's room; throws what CheckSource or the room finds wrong.
TGeometry Prepare(R routine, const TPxSource& src, size_t targetSize) {
    TPxFault fault = CheckSource(routine, src);
    if (fault.Kind != TPxFaultKind::pfkNone)
        throw EPxConvertError(fault.Kind, std::move(fault.Message));
    if (targetSize < PxTargetBitsSize(routine, src))
        throw EPxConvertError(TPxFaultKind::pfkAssert, Message(routine, L": Destination Too Small"));
    // Both sizes fit in memory that exists, so the strides and their products fit in size_t.
    return TGeometry{static_cast<size_t>(src.Width), static_cast<size_t>(src.Height),
                     static_cast<size_t>(PxRowStride(src.Width, src.BitCount)),
                     static_cast<size_t>(PxRowStride(src.Width, Info(routine).TargetBits))};
}

// A zeroed heap buffer of count items, or EOutOfMemory when there is no room for it.
template <class T>
std::vector<T> HeapBuffer(R routine, uint64_t count) {
    if (count > std::numeric_limits<ptrdiff_t>::max() / sizeof(T))
        throw EOutOfMemory(Message(routine, L": Out Of Memory"));
    try {
        return std::vector<T>(static_cast<size_t>(count));
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(Message(routine, L": Out Of Memory"));
    }
}

// A buffer of count items, not cleared, for one that is overwritten at once; EOutOfMemory names the
// routine when there is no room for it. The buffer is handed back kept from an earlier conversion
// of the same size where there is one.
template <class T>
TPxTempBuffer TempArray(R routine, uint64_t count) {
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__, "a temporary buffer is aligned as new aligns");
    if (count > std::numeric_limits<ptrdiff_t>::max() / sizeof(T))
        throw EOutOfMemory(Message(routine, L": Out Of Memory"));
    try {
        return TPxTempBuffer(static_cast<size_t>(count) * sizeof(T));
    } catch (const EOutOfMemory&) {
        throw EOutOfMemory(Message(routine, L": Out Of Memory"));
    }
}

// The source's colour table widened to 256 entries; those past its count are black.
std::array<TPxColor, 256> FullColorTable(const TPxSource& src) {
    std::array<TPxColor, 256> table{};
    const uint32_t count = std::min<uint32_t>(src.ColorCount, 256);
    if (src.Colors != nullptr)
        std::copy(src.Colors, src.Colors + count, table.begin());
    return table;
}

// Pixel readers: pixel x of a row.
inline uint8_t Bit1(const uint8_t* row, size_t x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}
inline uint8_t Nibble(const uint8_t* row, size_t x) {
    return (x & 1) != 0 ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
}
inline uint8_t Byte8(const uint8_t* row, size_t x) {
    return row[x];
}

// The 16-bit colour code of the Low method: 5 bits red, 6 green, 5 blue.
inline uint32_t ColorCode(const uint8_t* bgr) {
    return (static_cast<uint32_t>(bgr[2] >> 3) << 11) | (static_cast<uint32_t>(bgr[1] >> 2) << 5) | (bgr[0] >> 3);
}

// Writes index rows of targetBits (1, 4 or 8) bits, indexOf(row, x) giving pixel x's index;
// 1 and 4 bits are packed most significant first. Fill bytes become zero.
template <class IndexOf>
void WriteIndexRows(const TGeometry& g, const TPxSource& src, int targetBits, uint8_t* dst, IndexOf indexOf) {
    for (size_t y = 0; y < g.Height; ++y) {
        const uint8_t* s = src.Bits + y * g.SourceStride;
        uint8_t* d = dst + y * g.TargetStride;
        size_t used;
        if (targetBits == 8) {
            for (size_t x = 0; x < g.Width; ++x)
                d[x] = indexOf(s, x);
            used = g.Width;
        } else if (targetBits == 4) {
            size_t x = 0;
            for (; x + 1 < g.Width; x += 2)
                d[x >> 1] = static_cast<uint8_t>((indexOf(s, x) << 4) | indexOf(s, x + 1));
            if (x < g.Width)
                d[x >> 1] = static_cast<uint8_t>(indexOf(s, x) << 4);
            used = (g.Width + 1) / 2;
        } else {
            size_t x = 0;
            for (; x + 8 <= g.Width; x += 8) {
                unsigned byte = 0;
                for (size_t k = 0; k < 8; ++k)
                    byte = (byte << 1) | indexOf(s, x + k);
                d[x >> 3] = static_cast<uint8_t>(byte);
            }
            if (x < g.Width) {
                unsigned byte = 0;
                for (size_t k = 0; x + k < g.Width; ++k)
                    byte |= static_cast<unsigned>(indexOf(s, x + k)) << (7 - k);
                d[x >> 3] = static_cast<uint8_t>(byte);
            }
            used = (g.Width + 7) / 8;
        }
        std::memset(d + used, 0, g.TargetStride - used);
    }
}

// Writes 24-bit rows (blue, green, red) from the colour table, indexOf giving each pixel's index.
template <class IndexOf>
void WriteColorRows(const TGeometry& g, const TPxSource& src, uint8_t* dst, IndexOf indexOf) {
    const std::array<TPxColor, 256> table = FullColorTable(src);
    for (size_t y = 0; y < g.Height; ++y) {
        const uint8_t* s = src.Bits + y * g.SourceStride;
        uint8_t* d = dst + y * g.TargetStride;
        for (size_t x = 0; x < g.Width; ++x, d += 3) {
            const TPxColor& c = table[indexOf(s, x)];
            d[0] = c.Blue;
            d[1] = c.Green;
            d[2] = c.Red;
        }
        const size_t used = g.Width * 3;
        std::memset(d, 0, g.TargetStride - used);
    }
}

TPxPalette BlackAndWhite() {
    TPxPalette palette;
    palette.Colors[0] = TPxColor{0, 0, 0, 0};
    palette.Colors[1] = TPxColor{255, 255, 255, 0};
    palette.Count = 2;
    return palette;
}

// For 4 and 8 bits: which indices have the key colour in the colour table.
std::array<uint8_t, 256> KeyIndices(const TPxSource& src, uint32_t keyColor) {
    const std::array<TPxColor, 256> table = FullColorTable(src);
    std::array<uint8_t, 256> isKey{};
    for (size_t i = 0; i < table.size(); ++i) {
        const TPxColor& c = table[i];
        isKey[i] =
            c.Red == (keyColor & 0xFF) && c.Green == ((keyColor >> 8) & 0xFF) && c.Blue == ((keyColor >> 16) & 0xFF);
    }
    return isKey;
}

// ---- Low method: 16-bit colour cells ------------------------------------------------------------

constexpr size_t kCellCount = 65536;

// Pixel count and the sums of the low bits a 16-bit code drops. 64-bit sums: a picture of more
// than 613 million pixels of one cell would overflow 32 bits.
struct TLowSums {
    uint64_t Red;
    uint64_t Green;
    uint64_t Blue;
    uint32_t Count;
};

// Counts the pixels into 65536 cells and returns the non-empty ones in code order, each with the
// mean colour of its pixels.
std::vector<TPxColorCell> CountLowCells(R routine, const TGeometry& g, const TPxSource& src) {
    // Kept between conversions (2 MB): cleared here rather than fresh from the system.
    const TPxTempBuffer sumsBuffer = TempArray<TLowSums>(routine, kCellCount);
    const std::span<TLowSums> sums(reinterpret_cast<TLowSums*>(sumsBuffer.Data()), kCellCount);
    std::memset(sumsBuffer.Data(), 0, sumsBuffer.Size());
    for (size_t y = 0; y < g.Height; ++y) {
        const uint8_t* p = src.Bits + y * g.SourceStride;
        for (size_t x = 0; x < g.Width; ++x, p += 3) {
            TLowSums& cell = sums[ColorCode(p)];
            ++cell.Count;
            cell.Red += p[2] & 7;
            cell.Green += p[1] & 3;
            cell.Blue += p[0] & 7;
        }
    }
    size_t used = 0;
    for (const TLowSums& cell : sums)
        used += cell.Count != 0;
    std::vector<TPxColorCell> cells = HeapBuffer<TPxColorCell>(routine, used);
    size_t next = 0;
    for (uint32_t code = 0; code < kCellCount; ++code) {
        const TLowSums& s = sums[code];
        if (s.Count == 0)
            continue;
        TPxColorCell& c = cells[next++];
        c.Red = static_cast<int32_t>(s.Red / s.Count + (code >> 11) * 8);
        c.Green = static_cast<int32_t>(s.Green / s.Count + ((code >> 5) & 0x3F) * 4);
        c.Blue = static_cast<int32_t>(s.Blue / s.Count + (code & 0x1F) * 8);
        c.Count = s.Count;
        c.Key = code;
    }
    return cells;
}

void ReduceLow(R routine,
               const TPxSource& src,
               std::span<uint8_t> dst,
               TPxPalette& palette,
               const TPxProgress& progress) {
    const TGeometry g = Prepare(routine, src, dst.size());
    const int bits = Info(routine).TargetBits;
    TPxPalette made;
    std::vector<TPxColorCell> cells = CountLowCells(routine, g, src);
    SplitColorCells(cells, bits, made, progress);
    std::vector<uint8_t> lookup = HeapBuffer<uint8_t>(routine, kCellCount);  // codes no pixel has map to 0
    for (const TPxColorCell& c : cells)
        lookup[c.Key] = static_cast<uint8_t>(c.Count);
    cells = {};
    WriteIndexRows(g, src, bits, dst.data(),
                   [&](const uint8_t* row, size_t x) { return lookup[ColorCode(row + 3 * x)]; });
    palette = made;
}

// ---- High method: every pixel split on its own ----------------------------------------------------

void BuildHighTree(R routine,
                   const TGeometry& g,
                   const TPxSource& src,
                   int depth,
                   TPxPalette& palette,
                   TPxSplitTree& tree,
                   const TPxProgress& progress) {
    const uint64_t count = static_cast<uint64_t>(g.Width) * g.Height;
    const TPxTempBuffer buffer = TempArray<TPxTriple>(routine, count);
    const std::span<TPxTriple> pixels(reinterpret_cast<TPxTriple*>(buffer.Data()), static_cast<size_t>(count));
    for (size_t y = 0; y < g.Height; ++y)
        std::memcpy(&pixels[y * g.Width], src.Bits + y * g.SourceStride, g.Width * sizeof(TPxTriple));
    // A second buffer lets each split write its halves without a branch per pixel; without room
    // for it the pixels are split in place, slower but to the same palette and tree.
    std::optional<TPxTempBuffer> scratch;
    try {
        scratch.emplace(pixels.size_bytes());
    } catch (const EOutOfMemory&) {
    }
    SplitPixels(pixels,
                std::span<TPxTriple>(scratch ? reinterpret_cast<TPxTriple*>(scratch->Data()) : nullptr,
                                     scratch ? pixels.size() : 0),
                depth, palette, tree, progress);
}

void ReduceHigh(R routine,
                const TPxSource& src,
                std::span<uint8_t> dst,
                TPxPalette& palette,
                const TPxProgress& progress) {
    const TGeometry g = Prepare(routine, src, dst.size());
    const int bits = Info(routine).TargetBits;
    TPxPalette made;
    TPxSplitTree tree;
    BuildHighTree(routine, g, src, bits, made, tree, progress);  // the pixel copy is freed on return
    const auto map = [&](const auto& indexOf) {
        WriteIndexRows(g, src, bits, dst.data(), [&](const uint8_t* row, size_t x) {
            const uint8_t* p = row + 3 * x;
            const int index = indexOf(p[2], p[1], p[0]);
            if (index < 0)
                throw EPxConvertError(TPxFaultKind::pfkAssert, Message(routine, L": Invalid DivideID"));
            return static_cast<uint8_t>(index);
        });
    };
    // The table costs a walk per cell: it is made when the pixels outnumber the cells well.
    TPxSplitGrid grid;
    if (grid.Build(tree, static_cast<size_t>(g.Width) * g.Height / 8))
        map(grid);
    else
        map([&](uint8_t red, uint8_t green, uint8_t blue) { return WalkSplitTree(tree, red, green, blue); });
    palette = made;
}

}  // namespace

std::wstring PxRoutineName(TPxRoutine routine) {
    return Info(routine).Name;
}

int PxTargetBitCount(TPxRoutine routine) {
    return Info(routine).TargetBits;
}

uint64_t PxRowStride(int32_t width, int bitCount) {
    if (width <= 0 || bitCount <= 0)
        return 0;
    return (static_cast<uint64_t>(width) * static_cast<uint64_t>(bitCount) + 31) / 32 * 4;
}

uint64_t PxBitsSize(int32_t width, int32_t height, int bitCount) {
    if (height <= 0)
        return 0;
    return MultiplySaturated(PxRowStride(width, bitCount), static_cast<uint64_t>(height));
}

uint64_t PxTargetBitsSize(TPxRoutine routine, const TPxSource& src) {
    if (routine == R::CreateTrueColorPaletteLow || routine == R::CreateTrueColorPaletteHigh)
        return 0;
    return PxBitsSize(src.Width, src.Height, Info(routine).TargetBits);
}

TPxFault CheckSource(TPxRoutine routine, const TPxSource& src) {
    const TRoutineInfo& info = Info(routine);
    if (src.BitCount != info.SourceBits || src.Compression != 0)
        return {TPxFaultKind::pfkBadDIBType, std::wstring(info.Name) + info.BadType};
    if (src.Width <= 0 || src.Height <= 0)
        return {TPxFaultKind::pfkInvalidDIB, std::wstring(info.Name) + L": Invalid Width or Height"};
    if (src.Bits == nullptr || src.BitsSize < PxBitsSize(src.Width, src.Height, src.BitCount))
        return {TPxFaultKind::pfkInvalidDIB, std::wstring(info.Name) + L": Invalid Bits Size"};
    if (src.Colors == nullptr && src.ColorCount != 0)
        return {TPxFaultKind::pfkAssert, std::wstring(info.Name) + L": No Color Table"};
    return {};
}

void Convert1BitRGBTo4BitRGB(const TPxSource& src, std::span<uint8_t> dst) {
    const TGeometry g = Prepare(R::Convert1BitRGBTo4BitRGB, src, dst.size());
    WriteIndexRows(g, src, 4, dst.data(), Bit1);
}

void Convert1BitRGBTo8BitRGB(const TPxSource& src, std::span<uint8_t> dst) {
    const TGeometry g = Prepare(R::Convert1BitRGBTo8BitRGB, src, dst.size());
    WriteIndexRows(g, src, 8, dst.data(), Bit1);
}

void Convert4BitRGBTo8BitRGB(const TPxSource& src, std::span<uint8_t> dst) {
    const TGeometry g = Prepare(R::Convert4BitRGBTo8BitRGB, src, dst.size());
    WriteIndexRows(g, src, 8, dst.data(), Nibble);
}

void Convert1BitRGBToTrueColor(const TPxSource& src, std::span<uint8_t> dst) {
    const TGeometry g = Prepare(R::Convert1BitRGBToTrueColor, src, dst.size());
    WriteColorRows(g, src, dst.data(), Bit1);
}

void Convert4BitRGBToTrueColor(const TPxSource& src, std::span<uint8_t> dst) {
    const TGeometry g = Prepare(R::Convert4BitRGBToTrueColor, src, dst.size());
    WriteColorRows(g, src, dst.data(), Nibble);
}

void Convert8BitRGBToTrueColor(const TPxSource& src, std::span<uint8_t> dst) {
    const TGeometry g = Prepare(R::Convert8BitRGBToTrueColor, src, dst.size());
    WriteColorRows(g, src, dst.data(), Byte8);
}

void ConvertTrueColorTo1BitRGB(const TPxSource& src, uint32_t keyColor, std::span<uint8_t> dst, TPxPalette& palette) {
    const TGeometry g = Prepare(R::ConvertTrueColorTo1BitRGB, src, dst.size());
    const uint8_t red = keyColor & 0xFF, green = (keyColor >> 8) & 0xFF, blue = (keyColor >> 16) & 0xFF;
    WriteIndexRows(g, src, 1, dst.data(), [&](const uint8_t* row, size_t x) {
        const uint8_t* p = row + 3 * x;
        return static_cast<uint8_t>(p[0] == blue && p[1] == green && p[2] == red);
    });
    palette = BlackAndWhite();
}

void Convert8BitTo1BitRGB(const TPxSource& src, uint32_t keyColor, std::span<uint8_t> dst, TPxPalette& palette) {
    const TGeometry g = Prepare(R::Convert8BitTo1BitRGB, src, dst.size());
    const std::array<uint8_t, 256> isKey = KeyIndices(src, keyColor);
    WriteIndexRows(g, src, 1, dst.data(), [&](const uint8_t* row, size_t x) { return isKey[row[x]]; });
    palette = BlackAndWhite();
}

void Convert4BitRGBTo1BitRGB(const TPxSource& src, uint32_t keyColor, std::span<uint8_t> dst, TPxPalette& palette) {
    const TGeometry g = Prepare(R::Convert4BitRGBTo1BitRGB, src, dst.size());
    const std::array<uint8_t, 256> isKey = KeyIndices(src, keyColor);
    WriteIndexRows(g, src, 1, dst.data(), [&](const uint8_t* row, size_t x) { return isKey[Nibble(row, x)]; });
    palette = BlackAndWhite();
}

// One cell per colour-table entry (all 256, whatever the count says), weighted by the pixels that
// use it; the non-empty ones are split to 16 colours and the pixels mapped old index -> new.
void Convert8BitRGBTo4BitRGB(const TPxSource& src,
                             std::span<uint8_t> dst,
                             TPxPalette& palette,
                             const TPxProgress& progress) {
    const R routine = R::Convert8BitRGBTo4BitRGB;
    const TGeometry g = Prepare(routine, src, dst.size());
    std::array<uint32_t, 256> counts{};
    for (size_t y = 0; y < g.Height; ++y) {
        const uint8_t* s = src.Bits + y * g.SourceStride;
        for (size_t x = 0; x < g.Width; ++x)
            ++counts[s[x]];
    }
    const std::array<TPxColor, 256> table = FullColorTable(src);
    std::vector<TPxColorCell> cells;
    cells.reserve(256);
    for (uint32_t i = 0; i < 256; ++i) {
        if (counts[i] != 0)
            cells.push_back(TPxColorCell{table[i].Red, table[i].Green, table[i].Blue, counts[i], i});
    }
    TPxPalette made;
    SplitColorCells(cells, 4, made, progress);
    std::array<uint8_t, 256> newIndex{};  // indices no pixel uses map to 0
    for (const TPxColorCell& c : cells)
        newIndex[c.Key] = static_cast<uint8_t>(c.Count);
    WriteIndexRows(g, src, 4, dst.data(), [&](const uint8_t* row, size_t x) { return newIndex[row[x]]; });
    palette = made;
}

void ConvertTrueColorTo8BitRGBLow(const TPxSource& src,
                                  std::span<uint8_t> dst,
                                  TPxPalette& palette,
                                  const TPxProgress& progress) {
    ReduceLow(R::ConvertTrueColorTo8BitRGBLow, src, dst, palette, progress);
}

void ConvertTrueColorTo4BitRGBLow(const TPxSource& src,
                                  std::span<uint8_t> dst,
                                  TPxPalette& palette,
                                  const TPxProgress& progress) {
    ReduceLow(R::ConvertTrueColorTo4BitRGBLow, src, dst, palette, progress);
}

void ConvertTrueColorTo8BitRGBHigh(const TPxSource& src,
                                   std::span<uint8_t> dst,
                                   TPxPalette& palette,
                                   const TPxProgress& progress) {
    ReduceHigh(R::ConvertTrueColorTo8BitRGBHigh, src, dst, palette, progress);
}

void ConvertTrueColorTo4BitRGBHigh(const TPxSource& src,
                                   std::span<uint8_t> dst,
                                   TPxPalette& palette,
                                   const TPxProgress& progress) {
    ReduceHigh(R::ConvertTrueColorTo4BitRGBHigh, src, dst, palette, progress);
}

TPxPalette CreateTrueColorPaletteLow(const TPxSource& src, const TPxProgress& progress) {
    const R routine = R::CreateTrueColorPaletteLow;
    const TGeometry g = Prepare(routine, src, 0);
    std::vector<TPxColorCell> cells = CountLowCells(routine, g, src);
    TPxPalette palette;
    SplitColorCells(cells, 8, palette, progress);
    return palette;
}

TPxPalette CreateTrueColorPaletteHigh(const TPxSource& src, const TPxProgress& progress) {
    const R routine = R::CreateTrueColorPaletteHigh;
    const TGeometry g = Prepare(routine, src, 0);
    TPxPalette palette;
    TPxSplitTree tree;
    BuildHighTree(routine, g, src, 8, palette, tree, progress);
    return palette;
}
