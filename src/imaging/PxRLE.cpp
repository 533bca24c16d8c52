#include "imaging/PxRLE.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Escape codes that follow a zero first byte.
constexpr uint8_t kEndOfLine = 0;
constexpr uint8_t kEndOfBitmap = 1;
constexpr uint8_t kDelta = 2;

// Room kept free behind every emission for the end of line and end of bitmap that must still
// follow: a run (2 bytes) needs 6 left, a literal its length + 6, an end of line 4, the end 2.
constexpr size_t kRunRoom = 6;
constexpr size_t kLiteralRoomExtra = 6;
constexpr size_t kEndOfLineRoom = 4;
constexpr size_t kEndOfBitmapRoom = 2;

[[noreturn]] void BadData(const wchar_t* message) { throw EPxDIBInvalidDIB(message); }

uint64_t AbsHeight(int32_t height) { return static_cast<uint64_t>(height < 0 ? -int64_t{height} : int64_t{height}); }

// Checks a record's dimensions for a routine and returns height and the size of its rows.
struct TGeometry {
    uint32_t width, height;
    uint64_t rowsSize;
};

TGeometry CheckGeometry(const DIBInfos& src, uint32_t bitCount, const wchar_t* invalidSize) {
    const int32_t width = src.Header.biWidth;
    const uint64_t height = AbsHeight(src.Header.biHeight);
    if (width <= 0 || height == 0) BadData(invalidSize);
    const uint64_t rows = RowStride(static_cast<uint32_t>(width), bitCount) * height;
    if (rows > INT32_MAX) BadData(invalidSize);
    return {static_cast<uint32_t>(width), static_cast<uint32_t>(height), rows};
}

std::span<const uint8_t> SourceBytes(const DIBInfos& src) {
    if (!src.Bits || src.BitsSize <= 0) return {};
    return {src.Bits, static_cast<size_t>(src.BitsSize)};
}

// Writes the output of an encoder, checking the room left before each emission.
class TRLEWriter {
public:
    TRLEWriter(std::span<uint8_t> out, const wchar_t* failed) : out_(out), failed_(failed) {}

    void Need(size_t room) const {
        if (out_.size() - pos_ < room) throw EPxDIBCompressionFailed(failed_);
    }
    void Run(uint8_t count, uint8_t value) {
        Need(kRunRoom);
        Put(count, value);
    }
    // An absolute run: the escape, the pixel count, the bytes and a pad byte to a 16-bit boundary.
    void Absolute(uint8_t pixels, const uint8_t* bytes, size_t count) {
        Need((count + 1) / 2 * 2 + kLiteralRoomExtra);
        Put(0, pixels);
        std::memcpy(out_.data() + pos_, bytes, count);
        pos_ += count;
        if (count & 1) out_[pos_++] = 0;
    }
    // Runs of one for the first count (1 or 2) of bytes; bytes[1] must be readable.
    void OneOrTwoSingles(const uint8_t* bytes, size_t count) {
        Need(2 * count + kRunRoom - 2);  // at least 6: room for the spare pair too
        uint8_t* p = out_.data() + pos_;
        p[0] = 1, p[1] = bytes[0], p[2] = 1, p[3] = bytes[1];
        pos_ += 2 * count;
    }
    void EndOfLine() {
        Need(kEndOfLineRoom);
        Put(0, kEndOfLine);
    }
    void EndOfBitmap() {
        Need(kEndOfBitmapRoom);
        Put(0, kEndOfBitmap);
    }
    size_t Length() const { return pos_; }

private:
    void Put(uint8_t a, uint8_t b) {
        out_[pos_] = a;
        out_[pos_ + 1] = b;
        pos_ += 2;
    }
    std::span<uint8_t> out_;
    const wchar_t* failed_;
    size_t pos_ = 0;
};

// Where a row repeats itself: bit k of the map is set when byte k equals byte k - 1 (bit 0 is
// clear). Made sixteen bytes at a time where SSE2 is there (every x86-64 and the 32-bit Windows
// build); the encoder then finds the ends of runs and literals as the next clear or set bit, many
// bytes at a time, without reading the row again.
class TRepeatMap {
public:
    void Build(const uint8_t* row, size_t count) {
        words_.assign(count / 64 + 2, 0);  // one word more: a look-up reads the word after its own
        size_t k = 1;
#if defined(__SSE2__)
        if (count >= 64) {
            // Whole words from four comparisons each, each word written once. In the first, the
            // first sixteen bytes are compared with themselves moved up one byte (bit 0 stays clear).
            const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
            uint64_t word = RepeatBits(first, _mm_slli_si128(first, 1)) & ~uint64_t{1};
            for (size_t q = 16; q < 64; q += 16) word |= RepeatBits(row + q) << q;
            words_[0] = word;
            for (k = 64; k + 64 <= count; k += 64) {
                words_[k / 64] = RepeatBits(row + k) | RepeatBits(row + k + 16) << 16 | RepeatBits(row + k + 32) << 32 |
                                 RepeatBits(row + k + 48) << 48;
            }
        }
#endif
        for (; k < count; ++k) {
            if (row[k] == row[k - 1]) words_[k / 64] |= uint64_t{1} << (k % 64);
        }
    }

    bool operator[](size_t k) const { return (words_[k / 64] >> (k % 64)) & 1; }
    // The first k in [from, limit) whose bit is set (NextSet) or clear (NextClear), or limit; limit
    // is at most the row's byte count.
    size_t NextSet(size_t from, size_t limit) const { return Next(from, limit, 0); }
    size_t NextClear(size_t from, size_t limit) const { return Next(from, limit, ~uint64_t{0}); }

private:
    size_t Next(size_t from, size_t limit, uint64_t flip) const {
        if (from >= limit) return limit;
        // The 64 bits from `from` on, across the word boundary: most stretches end within them.
        size_t w = from / 64;
        const unsigned shift = from % 64;
        const uint64_t window = ((words_[w] >> shift) | ((words_[w + 1] << 1) << (63 - shift))) ^ flip;
        if (window != 0) return std::min(limit, from + static_cast<size_t>(std::countr_zero(window)));
        ++w;
        uint64_t bits = (words_[w] ^ flip) & (~uint64_t{0} << shift);  // the positions past the window
        while (bits == 0) {
            if (++w * 64 >= limit) return limit;
            bits = words_[w] ^ flip;
        }
        return std::min(limit, w * 64 + static_cast<size_t>(std::countr_zero(bits)));
    }

#if defined(__SSE2__)
    // Bit i set when byte i of x equals byte i of before.
    static uint64_t RepeatBits(__m128i x, __m128i before) {
        return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, before)));
    }
    // The same for the sixteen bytes at p against the sixteen before them by one.
    static uint64_t RepeatBits(const uint8_t* p) {
        return RepeatBits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 1)));
    }
#endif

    std::vector<uint64_t> words_;
};

// The state machine both encoders share, over the bytes of one row (pixels for RLE8, pixel pairs
// for RLE4). Equal neighbours form runs of up to maxRun; differing ones collect in a literal
// buffer of up to maxRun bytes, which is always a stretch of the row itself. Emit receives runs as
// (length, value) and literals as (start, length).
//
// The machine is written as a loop over its stretches rather than over single bytes: from a
// pending byte at i, an equal neighbour starts a run and a different one a literal, and each is
// measured in one look-up of the repeat map. A literal that ends on an equal pair gives its last
// byte to the run that follows (the pair is where the loop picks up again); one that reaches
// maxRun ends where it is.
template <class Emit>
void EncodeRowBytes(const uint8_t* row, size_t count, size_t maxRun, TRepeatMap& repeats, Emit& emit) {
    repeats.Build(row, count);
    size_t i = 0;
    while (i < count) {
        if (i + 1 == count) {
            emit.Run(1, row[i]);
            break;
        }
        const size_t stop = std::min(count, i + maxRun);
        if (repeats[i + 1]) {
            const size_t end = repeats.NextClear(i + 2, stop);
            emit.Run(end - i, row[i]);
            i = end;
            continue;
        }
        const size_t end = repeats.NextSet(i + 2, stop);
        if (end < count && repeats[end]) {
            emit.Literal(i, end - 1 - i);
            i = end - 1;
        } else {
            emit.Literal(i, end - i);
            i = end;
        }
    }
}

struct TEmit8 {
    TRLEWriter& w;
    const uint8_t* row;
    void Run(size_t k, uint8_t v) { w.Run(static_cast<uint8_t>(k), v); }
    void Literal(size_t start, size_t m) {
        if (m < 1) throw EPxDIBAssert(L"Convert8BitRGBTo8BitRLE: WriteAbsolute Error");
        // An absolute run needs at least 3 pixels: escapes 0..2 mean something else. One or two
        // pixels become runs of one, written as two without a branch (a literal of one pixel is
        // never the row's last byte, so the byte after it can be read).
        if (m < 3) {
            w.OneOrTwoSingles(row + start, m);
        } else {
            w.Absolute(static_cast<uint8_t>(m), row + start, m);
        }
    }
};

struct TEmit4 {
    TRLEWriter& w;
    const uint8_t* row;
    uint32_t pixelsLeft;  // of this row; the last byte of an odd row holds one pixel
    uint8_t Pixels(size_t bytes) {
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(bytes * 2, pixelsLeft));
        pixelsLeft -= n;
        return static_cast<uint8_t>(n);
    }
    void Run(size_t k, uint8_t v) { w.Run(Pixels(k), v); }
    void Literal(size_t start, size_t m) {
        if (m < 1) throw EPxDIBAssert(L"Convert4BitRGBTo4BitRLE: WriteAbsolute Error");
        if (m == 1) {
            Run(1, row[start]);
        } else {
            w.Absolute(Pixels(m), row + start, m);
        }
    }
};

// Memory row of encoded row r.
const uint8_t* SourceRow(std::span<const uint8_t> pixels, uint64_t stride, uint32_t height, bool topDown, uint32_t r) {
    return pixels.data() + (topDown ? height - 1 - r : r) * stride;
}

// Writes the nibbles of a 4-bit row: an even pixel sets the high nibble and clears the low one,
// an odd pixel ORs in the low nibble.
inline void PutNibble(uint8_t* row, uint64_t x, uint8_t colour) {
    if (x & 1) {
        row[x / 2] |= colour & 0x0F;
    } else {
        row[x / 2] = static_cast<uint8_t>(colour << 4);
    }
}

}  // namespace

// ---- Decoders ------------------------------------------------------------------------------------

namespace {

// One row of 8-bit pixels decoded in a staging buffer with sixteen bytes to spare. Runs and literals
// are written there sixteen bytes at a time, spilling past their ends onto bytes that are either
// written again or never copied out; each stretch of a row goes to the pixels once it is complete
// (at the end of the row, a move, or the end of the data), so bytes the data skips keep what the
// pixels held. A short run then costs one store instead of a call to memset or a string
// instruction, which cost more than most runs.
class TStagedRow {
public:
    static constexpr size_t kSpill = 16;

    TStagedRow(std::span<uint8_t> pixels, uint64_t stride, uint32_t width)
        : pixels_(pixels), stride_(stride), row_(size_t{width} + kSpill) {}

    void Run(uint64_t x, uint8_t c, size_t n) {
        uint8_t* const p = row_.Data() + x;
#if defined(__SSE2__)
        const __m128i v = _mm_set1_epi8(static_cast<char>(c));
        size_t k = 0;
        do {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + k), v);
            k += 16;
        } while (k < n);
#else
        std::memset(p, c, n);
#endif
    }

    // n bytes from src, of which readable can be read.
    void Literal(uint64_t x, const uint8_t* src, size_t n, size_t readable) {
        uint8_t* const p = row_.Data() + x;
#if defined(__SSE2__)
        if (readable >= (n + 15) / 16 * 16) {
            for (size_t k = 0; k < n; k += 16) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p + k),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + k)));
            }
            return;
        }
#else
        (void)readable;
#endif
        std::memcpy(p, src, n);
    }

    // Copies what row y holds from the last flush up to x into the pixels; the next stretch starts
    // at x.
    void Flush(uint64_t y, uint64_t x) {
        if (x > from_) std::memcpy(pixels_.data() + y * stride_ + from_, row_.Data() + from_, x - from_);
        from_ = x;
    }
    void StartAt(uint64_t x) { from_ = x; }

private:
    std::span<uint8_t> pixels_;
    uint64_t stride_;
    TPxTempBuffer row_;
    uint64_t from_ = 0;
};

}  // namespace

void DecodeRLE8(std::span<const uint8_t> data, uint32_t width, uint32_t height, std::span<uint8_t> pixels) {
    const uint64_t stride = RowStride(width, 8);
    if (pixels.size() < stride * height) throw EPxDIBAssert(L"Convert8BitRLETo8BitRGB: Buffer Too Small");
    TStagedRow row(pixels, stride, width);
    const uint8_t* p = data.data();
    const uint8_t* const end = p + data.size();
    uint64_t x = 0, y = 0;
    // What was decoded before a failure stays in the pixels, as it would without the staging.
    const auto fail = [&](uint64_t decodedTo, const wchar_t* message) {
        row.Flush(y, decodedTo);
        BadData(message);
    };
    while (end - p >= 2) {
        const uint8_t n = p[0], c = p[1];
        p += 2;
        if (n) {
            if (x + n > width || y >= height) fail(x, L"Convert8BitRLETo8BitRGB: Bad RLE Data 4");
            row.Run(x, c, n);
            x += n;
            continue;
        }
        switch (c) {
        case kEndOfLine:
            row.Flush(y, x);
            if (++y > height) BadData(L"Convert8BitRLETo8BitRGB: Bad RLE Data 1");
            x = 0;
            row.StartAt(0);
            break;
        case kEndOfBitmap: row.Flush(y, x); return;
        case kDelta:
            row.Flush(y, x);
            if (end - p < 2) return;
            x += p[0];
            y += p[1];
            p += 2;
            if (x > width || y > height) BadData(L"Convert8BitRLETo8BitRGB: Bad RLE Data 2");
            row.StartAt(x);
            break;
        default: {
            if (x + c > width || y >= height) fail(x, L"Convert8BitRLETo8BitRGB: Bad RLE Data 3");
            // Data that stops inside the literal bytes ends the picture with what it holds.
            const size_t readable = static_cast<size_t>(end - p);
            const size_t held = std::min<size_t>(c, readable);
            row.Literal(x, p, held, readable);
            const size_t advance = (c + 1u) / 2 * 2;  // literal bytes padded to a 16-bit boundary
            if (readable < advance) {
                row.Flush(y, x + held);
                return;
            }
            x += c;
            p += advance;
        }
        }
    }
    row.Flush(y, x);
}

void DecodeRLE4(std::span<const uint8_t> data, uint32_t width, uint32_t height, std::span<uint8_t> pixels) {
    const uint64_t stride = RowStride(width, 4);
    if (pixels.size() < stride * height) throw EPxDIBAssert(L"Convert4BitRLETo4BitRGB: Buffer Too Small");
    // A run may fill the spare nibble of the last byte of an odd-width row.
    const uint64_t limit = (uint64_t{width} + 1) & ~uint64_t{1};
    const uint8_t* p = data.data();
    const uint8_t* const end = p + data.size();
    uint64_t x = 0, y = 0;
    while (end - p >= 2) {
        const uint8_t n = p[0], c = p[1];
        p += 2;
        if (n) {
            if (x + n > limit || y >= height) BadData(L"Convert4BitRLETo4BitRGB: Bad RLE Data 8");
            uint8_t* row = pixels.data() + y * stride;
            const uint8_t hi = c >> 4, lo = c & 0x0F;
            for (uint32_t k = 0; k < n; ++k) PutNibble(row, x + k, (k & 1) ? lo : hi);
            x += n;
            continue;
        }
        switch (c) {
        case kEndOfLine:
            if (++y > height) BadData(L"Convert4BitRLETo4BitRGB: Bad RLE Data 5");
            x = 0;
            break;
        case kEndOfBitmap: return;
        case kDelta:
            if (end - p < 2) return;
            x += p[0];
            y += p[1];
            p += 2;
            if (x > limit || y > height) BadData(L"Convert4BitRLETo4BitRGB: Bad RLE Data 6");
            break;
        default: {
            if (x + c > limit || y >= height) BadData(L"Convert4BitRLETo4BitRGB: Bad RLE Data 7");
            uint8_t* row = pixels.data() + y * stride;
            // Data that stops inside the literal nibbles ends the picture with what it holds.
            const size_t held = std::min<size_t>(c, static_cast<size_t>(end - p) * 2);
            for (size_t k = 0; k < held; ++k) {
                const uint8_t byte = p[k / 2];
                PutNibble(row, x + k, (k & 1) ? (byte & 0x0F) : (byte >> 4));
            }
            x += c;
            const size_t advance = (c * 4u + 15) / 16 * 2;  // literal nibbles padded to whole 16-bit words
            if (static_cast<size_t>(end - p) < advance) return;
            p += advance;
        }
        }
    }
}

void Convert8BitRLETo8BitRGB(const DIBInfos& src, DIBInfos& dst) {
    if (src.Header.biBitCount != 8 || src.Header.biCompression != kBiRle8) {
        throw EPxDIBBadDIBType(L"Convert8BitRLETo8BitRGB: Invalid Bitcount & Compression Combination");
    }
    const TGeometry g = CheckGeometry(src, 8, L"Convert8BitRLETo8BitRGB: Invalid Width or Height");
    TPxPixelStore store(static_cast<uint32_t>(g.rowsSize));
    DecodeRLE8(SourceBytes(src), g.width, g.height, {store.Bits(), store.Size()});
    DIBInfos result = src;
    store.MoveTo(result);
    result.Header.biCompression = kBiRgb;
    result.Header.biSizeImage = 0;
    dst = result;
}

void Convert4BitRLETo4BitRGB(const DIBInfos& src, DIBInfos& dst) {
    if (src.Header.biBitCount != 4 || src.Header.biCompression != kBiRle4) {
        throw EPxDIBBadDIBType(L"Convert4BitRLETo4BitRGB: Invalid Bitcount & Compression Combination");
    }
    const TGeometry g = CheckGeometry(src, 4, L"Convert4BitRLETo4BitRGB: Invalid Width or Height");
    TPxPixelStore store(static_cast<uint32_t>(g.rowsSize));
    DecodeRLE4(SourceBytes(src), g.width, g.height, {store.Bits(), store.Size()});
    DIBInfos result = src;
    store.MoveTo(result);
    result.Header.biCompression = kBiRgb;
    result.Header.biSizeImage = 0;
    dst = result;
}

// ---- Encoders ------------------------------------------------------------------------------------

size_t EncodeRLE8(std::span<const uint8_t> pixels, uint32_t width, uint32_t height, bool topDown,
                  std::span<uint8_t> out) {
    const uint64_t stride = RowStride(width, 8);
    if (pixels.size() < stride * height) throw EPxDIBAssert(L"Convert8BitRGBTo8BitRLE: Source Too Small");
    TRLEWriter w(out, L"Convert8BitRGBTo8BitRLE: Compression Failed");
    TRepeatMap repeats;
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* row = SourceRow(pixels, stride, height, topDown, r);
        TEmit8 emit{w, row};
        EncodeRowBytes(row, width, 255, repeats, emit);
        w.EndOfLine();
    }
    w.EndOfBitmap();
    return w.Length();
}

size_t EncodeRLE4(std::span<const uint8_t> pixels, uint32_t width, uint32_t height, bool topDown,
                  std::span<uint8_t> out) {
    const uint64_t stride = RowStride(width, 4);
    if (pixels.size() < stride * height) throw EPxDIBAssert(L"Convert4BitRGBTo4BitRLE: Source Too Small");
    TRLEWriter w(out, L"Convert4BitRGBTo4BitRLE: Compression Failed");
    TRepeatMap repeats;
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* row = SourceRow(pixels, stride, height, topDown, r);
        // Runs and literals of pixel pairs are at most 127 bytes: their pixel counts must fit a byte.
        TEmit4 emit{w, row, width};
        EncodeRowBytes(row, (uint64_t{width} + 1) / 2, 127, repeats, emit);
        w.EndOfLine();
    }
    w.EndOfBitmap();
    return w.Length();
}

namespace {

template <size_t (*Encode)(std::span<const uint8_t>, uint32_t, uint32_t, bool, std::span<uint8_t>)>
void EncodeRecord(const DIBInfos& src, DIBInfos& dst, uint32_t bitCount, uint32_t compression,
                  const wchar_t* invalidSize, const wchar_t* shortBits) {
    const TGeometry g = CheckGeometry(src, bitCount, invalidSize);
    if (!src.Bits || src.BitsSize < static_cast<int64_t>(g.rowsSize)) BadData(shortBits);
    // The encoding goes into a buffer of the uncompressed size and then into a store of its own length.
    TPxTempBuffer buffer(static_cast<size_t>(g.rowsSize));
    const size_t length = Encode({src.Bits, static_cast<size_t>(g.rowsSize)}, g.width, g.height,
                                 src.Header.biHeight < 0, {buffer.Data(), buffer.Size()});
    TPxPixelStore store(static_cast<uint32_t>(length));
    std::memcpy(store.Bits(), buffer.Data(), length);
    DIBInfos result = src;
    store.MoveTo(result);
    result.Header.biCompression = compression;
    result.Header.biSizeImage = static_cast<uint32_t>(length);
    result.Header.biHeight = static_cast<int32_t>(g.height);
    dst = result;
}

}  // namespace

void Convert8BitRGBTo8BitRLE(const DIBInfos& src, DIBInfos& dst) {
    if (src.Header.biBitCount != 8 || src.Header.biCompression != kBiRgb) {
        throw EPxDIBBadDIBType(L"Convert8BitRGBTo8BitRLE: Invalid Bitcount & Compression Combination");
    }
    EncodeRecord<EncodeRLE8>(src, dst, 8, kBiRle8, L"Convert8BitRGBTo8BitRLE: Invalid Width or Height",
                             L"Convert8BitRGBTo8BitRLE: Bits Size Too Small");
}

void Convert4BitRGBTo4BitRLE(const DIBInfos& src, DIBInfos& dst) {
    if (src.Header.biBitCount != 4 || src.Header.biCompression != kBiRgb) {
        throw EPxDIBBadDIBType(L"Convert4BitRGBTo4BitRLE: Invalid Bitcount & Compression Combination");
    }
    EncodeRecord<EncodeRLE4>(src, dst, 4, kBiRle4, L"Convert4BitRGBTo4BitRLE: Invalid Width or Height",
                             L"Convert4BitRGBTo4BitRLE: Bits Size Too Small");
}
