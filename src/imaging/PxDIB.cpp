#include "imaging/PxDIB.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "toolkit/Streams.h"

namespace {

constexpr int64_t kMaxBitsSize = INT32_MAX;  // the record's bits size is a signed 32-bit value
constexpr int kMaxColors = 256;
constexpr size_t kColorTableBytes = kMaxColors * sizeof(TRGBQuad);
constexpr size_t kMaskBytes = 12;  // three 32-bit channel masks of a BI_BITFIELDS picture
// Header sizes read as an information header: BITMAPINFOHEADER, BITMAPV4HEADER, BITMAPV5HEADER.
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kV5HeaderSize = 124;
constexpr uint32_t kCoreHeaderSize = 12;

const wchar_t kMsgInvalidMasksStream[] = L"TPxInternalDIB.LoadFromStream: Invalid Masks";
const wchar_t kMsgTooLargeStream[] = L"TPxInternalDIB.LoadFromStream: Bitmap Too Large";
const wchar_t kMsgBeyondStream[] = L"TPxInternalDIB.LoadFromStream: Bitmap Data Beyond End of Stream";
const wchar_t kMsgInvalidMasksClip[] = L"TPxInternalDIB.LoadFromClipboardFormat: Invalid Masks";
const wchar_t kMsgTooLargeClip[] = L"TPxInternalDIB.LoadFromClipboardFormat: Bitmap Too Large";
const wchar_t kMsgShortClip[] = L"TPxInternalDIB.LoadFromClipboardFormat: Clipboard Data Too Short";

std::atomic<int64_t> g_tempHeapBytes{0};
std::atomic<int64_t> g_tempHeapPeak{0};

uint32_t DefaultColorCount(uint32_t bitCount) {
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

bool IsInfoHeaderSize(uint32_t size) {
    return size == kInfoHeaderSize || size == kV4HeaderSize || size == kV5HeaderSize;
}

// RLE and other encoded data have no row structure; everything else is stored in whole rows.
bool IsRowData(uint32_t compression) { return compression == kBiRgb || compression == kBiBitfields; }

uint16_t Get16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

uint32_t Get32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// The header of a BITMAPCOREHEADER picture as an information header; the triples that follow it
// (count entries) become the colour table. Core pictures are always bottom-up.
void CoreToInfoHeader(const uint8_t core[kCoreHeaderSize], const uint8_t* triples, uint32_t count, DIBInfos& infos) {
    TBitmapInfoHeader& h = infos.Header;
    h = TBitmapInfoHeader{};
    h.biSize = kInfoHeaderSize;
    h.biWidth = Get16(core + 4);
    h.biHeight = Get16(core + 6);
    h.biPlanes = Get16(core + 8);
    h.biBitCount = Get16(core + 10);
    h.biClrUsed = count;
    for (uint32_t i = 0; i < count; ++i) {
        infos.Colors[i] = TRGBQuad{triples[i * 3], triples[i * 3 + 1], triples[i * 3 + 2], 0};
    }
}

// Brings a channel mask's highest set bit to bit 7: positive results shift right, negative left.
int MaskShift(uint32_t mask) {
    int shift = 0;
    while (mask >= 256) {
        mask >>= 1;
        ++shift;
    }
    while (mask < 128) {
        mask <<= 1;
        --shift;
    }
    return shift;
}

// Widening of 16- and 32-bit pixels to 24 bits: channel masks and their shifts.
struct TChannelMasks {
    uint32_t red, green, blue;
    int redShift, greenShift, blueShift;
};

// Masks come from the colour area (read with the header) for BI_BITFIELDS and any other
// compression, and are the Windows defaults for BI_RGB.
TChannelMasks GetChannelMasks(const DIBInfos& infos, const wchar_t* zeroMaskMessage) {
    TChannelMasks m;
    if (infos.Header.biCompression != kBiRgb) {
        uint32_t raw[3];
        std::memcpy(raw, infos.Colors, kMaskBytes);
        m.red = raw[0], m.green = raw[1], m.blue = raw[2];
    } else if (infos.Header.biBitCount == 16) {
        m.red = 0x7C00, m.green = 0x03E0, m.blue = 0x001F;
    } else {
        m.red = 0xFF0000, m.green = 0x00FF00, m.blue = 0x0000FF;
    }
    if (m.red == 0 || m.green == 0 || m.blue == 0) throw EPxDIBInvalidDIB(zeroMaskMessage);
    m.redShift = MaskShift(m.red);
    m.greenShift = MaskShift(m.green);
    m.blueShift = MaskShift(m.blue);
    return m;
}

// One channel's extraction as two shifts, one of them 0: (value and mask) shifted right by the
// shift when it is positive, left by its negative otherwise, then cut to 8 bits.
struct TChannelShift {
    uint32_t mask, right, left;
    TChannelShift(uint32_t m, int shift)
        : mask(m), right(shift > 0 ? uint32_t(shift) : 0), left(shift < 0 ? uint32_t(-shift) : 0) {}
    uint8_t operator()(uint32_t value) const { return static_cast<uint8_t>(((value & mask) >> right) << left); }
};

template <uint32_t Step>
void WidenPixels(const uint8_t* src, uint8_t* dst, uint32_t width, const TChannelMasks& m) {
    const TChannelShift blue(m.blue, m.blueShift), green(m.green, m.greenShift), red(m.red, m.redShift);
    for (uint32_t x = 0; x < width; ++x, src += Step, dst += 3) {
        const uint32_t value = Step == 2 ? Get16(src) : Get32(src);
        dst[0] = blue(value);
        dst[1] = green(value);
        dst[2] = red(value);
    }
}

// 32-bit pixels whose channels are bytes 0, 1 and 2 (the BI_RGB layout and the usual bit fields):
// the first three bytes of every pixel, moved four at a time; the last pixel of the row is moved
// on its own so that nothing is written past the row's three bytes.
void WidenBgrx(const uint8_t* src, uint8_t* dst, uint32_t width) {
    if (width == 0) return;
    for (uint32_t x = 0; x + 1 < width; ++x, src += 4, dst += 3) std::memcpy(dst, src, 4);
    std::memcpy(dst, src, 3);
}

// Widens the rows of one 16- or 32-bit picture. A 16-bit picture of many pixels goes through a
// table of the three bytes of all 65536 values (built once, counted as a temporary buffer), which
// costs less than working out the channels of every pixel.
class TWidener {
public:
    TWidener(const TChannelMasks& masks, uint32_t bitCount, uint64_t pixels) : masks_(masks), bitCount_(bitCount) {
        constexpr uint64_t kTableFrom = 4 * 65536;  // pixels; below this the table does not pay
        if (bitCount != 16 || pixels < kTableFrom) return;
        table_.emplace(65536 * sizeof(uint32_t));
        uint8_t* entry = table_->Data();
        for (uint32_t v = 0; v < 65536; ++v, entry += 4) {
            WidenPixels<2>(reinterpret_cast<const uint8_t*>(&v), entry, 1, masks);
            entry[3] = 0;
        }
    }

    void Row(const uint8_t* src, uint8_t* dst, uint32_t width) const {
        if (table_) {
            if (width == 0) return;
            const uint8_t* table = table_->Data();
            // Four bytes a pixel, the fourth overwritten by the next one; the last pixel gets three.
            for (uint32_t x = 0; x + 1 < width; ++x, src += 2, dst += 3) std::memcpy(dst, table + Get16(src) * 4u, 4);
            std::memcpy(dst, table + Get16(src) * 4u, 3);
        } else if (bitCount_ == 16) {
            WidenPixels<2>(src, dst, width, masks_);
        } else if (masks_.blue == 0xFF && masks_.green == 0xFF00 && masks_.red == 0xFF0000) {
            WidenBgrx(src, dst, width);
        } else {
            WidenPixels<4>(src, dst, width, masks_);
        }
    }

private:
    TChannelMasks masks_;
    uint32_t bitCount_;
    std::optional<TPxTempBuffer> table_;
};

// Source and destination row sizes of a 16/32-bit picture widened to 24 bits.
uint64_t WideSourceRow(uint64_t width, uint32_t bitCount) { return (width * (bitCount / 8) + 3) & ~uint64_t{3}; }
uint64_t Wide24Row(uint64_t width) { return (width * 3 + 3) & ~uint64_t{3}; }

// After widening, the record describes an ordinary 24-bit DIB: the colour table that followed the
// masks moves down over them.
void FinishWidening(DIBInfos& infos) {
    if (infos.Header.biCompression == kBiBitfields) {
        std::memmove(infos.Colors, reinterpret_cast<uint8_t*>(infos.Colors) + kMaskBytes, kColorTableBytes);
    }
    infos.Header.biCompression = kBiRgb;
    infos.Header.biBitCount = 24;
    infos.Header.biSizeImage = 0;
}

// GDI reads encoded data up to biSizeImage: a header that leaves it 0 shows nothing, and one that
// claims more than the store holds would have GDI read past it. Both get the true length.
void FixEncodedSize(DIBInfos& infos) {
    if (!IsRowData(infos.Header.biCompression) &&
        (infos.Header.biSizeImage == 0 || infos.Header.biSizeImage > uint32_t(infos.BitsSize))) {
        infos.Header.biSizeImage = static_cast<uint32_t>(infos.BitsSize);
    }
}

// Bytes of colour data written behind the header: the colour table, preceded by the channel masks
// when the header says BI_BITFIELDS (a 1/4/8/24-bit picture may say so; the readers then take
// the masks from the colour data, so the writers must put them there).
uint32_t ColorDataBytes(const DIBInfos& infos) {
    return (infos.Header.biCompression == kBiBitfields ? kMaskBytes : 0) +
           std::min<uint32_t>(infos.Header.biClrUsed, kMaxColors) * 4;
}

uint64_t AbsHeight(int32_t height) { return static_cast<uint64_t>(height < 0 ? -int64_t{height} : int64_t{height}); }

}  // namespace

// ---- Pixel store owner ---------------------------------------------------------------------------

TPxPixelStore::TPxPixelStore(uint32_t size) : size_(size) {
    const TPxFileMap map = GetFileMap(size);
    handle_ = map.Handle;
    bits_ = map.Bits;
}

TPxPixelStore::TPxPixelStore(TPxPixelStore&& o) noexcept
    : handle_(std::exchange(o.handle_, nullptr)), bits_(std::exchange(o.bits_, nullptr)), size_(std::exchange(o.size_, 0)) {}

TPxPixelStore& TPxPixelStore::operator=(TPxPixelStore&& o) noexcept {
    if (this != &o) {
        Reset();
        handle_ = std::exchange(o.handle_, nullptr);
        bits_ = std::exchange(o.bits_, nullptr);
        size_ = std::exchange(o.size_, 0);
    }
    return *this;
}

TPxPixelStore::~TPxPixelStore() { Reset(); }

void TPxPixelStore::Reset() noexcept {
    if (handle_) {
        try {
            ReleaseFileMap(handle_, bits_);
        } catch (const Exception&) {
            // Only a broken handle fails here; an owner being destroyed has nobody to tell.
        }
    }
    handle_ = nullptr;
    bits_ = nullptr;
    size_ = 0;
}

void TPxPixelStore::MoveTo(DIBInfos& infos) {
    infos.BitsSize = static_cast<int32_t>(size_);
    infos.SectionHandle = std::exchange(handle_, nullptr);
    infos.Bits = std::exchange(bits_, nullptr);
    size_ = 0;
}

TPxPixelStore TPxPixelStore::Adopt(DIBInfos& infos) {
    TPxPixelStore store;
    store.handle_ = std::exchange(infos.SectionHandle, nullptr);
    store.bits_ = std::exchange(infos.Bits, nullptr);
    store.size_ = static_cast<uint32_t>(std::max(std::exchange(infos.BitsSize, 0), 0));
    return store;
}

void FreeDIBInfosBits(DIBInfos& infos) {
    void* handle = std::exchange(infos.SectionHandle, nullptr);
    void* bits = std::exchange(infos.Bits, nullptr);
    infos.BitsSize = 0;
    if (handle) ReleaseFileMap(handle, bits);
}

// ---- Temporary heap buffers --------------------------------------------------------------------

int64_t PxTempHeapBytes() { return g_tempHeapBytes.load(); }
int64_t PxTempHeapPeak() { return g_tempHeapPeak.load(); }
void ResetPxTempHeapPeak() { g_tempHeapPeak.store(g_tempHeapBytes.load()); }

namespace {

class TKeptTempBuffers {
public:
    static constexpr size_t kFrom = size_t{1} << 20;
    static constexpr size_t kMostBuffers = 4;
    static constexpr size_t kMostBytes = size_t{96} << 20;

    uint8_t* Take(size_t size) {
        if (size < kFrom) return nullptr;
        std::lock_guard lock(mutex_);
        for (size_t i = 0; i < kept_.size(); ++i) {
            if (kept_[i].second != size) continue;
            uint8_t* const data = kept_[i].first;
            kept_.erase(kept_.begin() + static_cast<ptrdiff_t>(i));
            bytes_ -= size;
            return data;
        }
        return nullptr;
    }

    // Keeps the buffer, or frees it when it is too small or too large to keep.
    void Keep(uint8_t* data, size_t size) noexcept {
        if (size < kFrom || size > kMostBytes) {
            delete[] data;
            return;
        }
        std::vector<std::pair<uint8_t*, size_t>> evicted;
        {
            std::lock_guard lock(mutex_);
            while (!kept_.empty() && (kept_.size() == kMostBuffers || bytes_ + size > kMostBytes)) {
                evicted.push_back(kept_.front());
                bytes_ -= kept_.front().second;
                kept_.erase(kept_.begin());
            }
            // Room for the list was reserved beforehand, so keeping cannot fail; where the
            // reservation itself failed, the buffer is freed instead.
            if (kept_.capacity() >= kMostBuffers) {
                kept_.emplace_back(std::exchange(data, nullptr), size);
                bytes_ += size;
            }
        }
        delete[] data;
        for (const auto& old : evicted) delete[] old.first;
    }

    int64_t Bytes() {
        std::lock_guard lock(mutex_);
        return static_cast<int64_t>(bytes_);
    }

    void DropAll() noexcept {
        std::vector<std::pair<uint8_t*, size_t>> all;
        {
            std::lock_guard lock(mutex_);
            all.swap(kept_);
            bytes_ = 0;
            try {
                kept_.reserve(kMostBuffers);
            } catch (const std::bad_alloc&) {
            }
        }
        for (const auto& old : all) delete[] old.first;
    }

    TKeptTempBuffers() { kept_.reserve(kMostBuffers); }

private:
    std::mutex mutex_;
    std::vector<std::pair<uint8_t*, size_t>> kept_;  // oldest first
    size_t bytes_ = 0;
};

// Never destroyed, so that buffers released while the program ends still find it; what it keeps
// then goes with the process.
TKeptTempBuffers& KeptTempBuffers() {
    static TKeptTempBuffers* const kept = new TKeptTempBuffers;
    return *kept;
}

uint8_t* NewTempBuffer(size_t size) {
    if (uint8_t* kept = KeptTempBuffers().Take(size)) return kept;
    uint8_t* const data = new (std::nothrow) uint8_t[size];
    if (data) PxAdviseLargeBuffer(data, size);
    return data;
}

}  // namespace

int64_t PxKeptTempBytes() { return KeptTempBuffers().Bytes(); }
void PxDropKeptTempBuffers() noexcept { KeptTempBuffers().DropAll(); }

TPxTempBuffer::TPxTempBuffer(size_t size) : data_(NewTempBuffer(size)), size_(size) {
    if (!data_) throw EOutOfMemory(L"TPxTempBuffer: Out Of Memory");
    const int64_t now = g_tempHeapBytes += static_cast<int64_t>(size);
    int64_t peak = g_tempHeapPeak.load();
    while (now > peak && !g_tempHeapPeak.compare_exchange_weak(peak, now)) {
    }
}

TPxTempBuffer::~TPxTempBuffer() {
    g_tempHeapBytes -= static_cast<int64_t>(size_);
    KeptTempBuffers().Keep(data_, size_);
}

// ---- Storage -----------------------------------------------------------------------------------

TPxInternalDIB::TPxInternalDIB() { CreateDIB(1, 1, 2, 8); }

TPxInternalDIB::~TPxInternalDIB() {
    try {
        FreeData();
    } catch (const Exception&) {
        // A store the system refuses to release cannot be released later either.
    }
}

void TPxInternalDIB::SetPaletteHandle(void* palette) {
    if (palette_ && palette_ != palette) DeletePxPalette(palette_);
    palette_ = palette;
}

void TPxInternalDIB::CreateDIB(int32_t width, int32_t height, int32_t colours, int32_t bitCount) {
    const bool bitCountOk = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
    // The size check also keeps |height| within range: INT32_MIN rows never fit.
    const uint64_t size = bitCountOk ? RowStride(width > 0 ? width : 0, bitCount) * AbsHeight(height) : 0;
    if (width <= 0 || height == 0 || colours < 0 || colours > kMaxColors || !bitCountOk ||
        size > uint64_t(kMaxBitsSize)) {
        throw EPxDIBInvalidDIBPara(L"TPxInternalDIB.CreateDIB: Invalid Parameters");
    }
    // The new store is taken before the old one goes, so that a failure leaves the picture as it was.
    TPxPixelStore store(static_cast<uint32_t>(size));
    FreeData();
    store.MoveTo(infos_);
    width_ = width;
    height_ = static_cast<int32_t>(AbsHeight(height));
    TBitmapInfoHeader& h = infos_.Header;
    h = TBitmapInfoHeader{};
    h.biSize = kInfoHeaderSize;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(bitCount);
    h.biClrUsed = static_cast<uint32_t>(colours);
    std::memset(infos_.Colors, 0, sizeof infos_.Colors);
    paletteChanged_ = 1;
}

void TPxInternalDIB::FreeData() {
    SetPaletteHandle(nullptr);
    FreeDIBInfosBits(infos_);
}

void TPxInternalDIB::TakeOver(DIBInfos& infos) {
    if (refCount_ != 1) {
        FreeDIBInfosBits(infos);
        throw EPxDIBAssert(L"TPxInternalDIB.UpdatePalette: RefCount Must be 1");
    }
    DIBInfos old = std::exchange(infos_, infos);
    infos.BitsSize = 0;
    infos.SectionHandle = nullptr;
    infos.Bits = nullptr;
    width_ = infos_.Header.biWidth;
    height_ = static_cast<int32_t>(AbsHeight(infos_.Header.biHeight));
    UpdatePalette();
    FreeDIBInfosBits(old);
}

void TPxInternalDIB::UpdatePalette() {
    if (refCount_ != 1) throw EPxDIBAssert(L"TPxInternalDIB.UpdatePalette: RefCount Must be 1");
    SetPaletteHandle(nullptr);
    paletteChanged_ = 1;
}

TPxPixelFormat TPxInternalDIB::GetPixelFormat() const {
    const uint32_t compression = infos_.Header.biCompression;
    switch (infos_.Header.biBitCount) {
    case 1:
        if (compression == kBiRgb) return pxf1Bit;
        throw EPxDIBInvalidDIB(L"TPxInternalDIB.GetPixelFormat: Invalid DIB(1Bit)");
    case 4:
        if (compression == kBiRgb) return pxf4Bit;
        if (compression == kBiRle4) return pxf4BitRLE;
        throw EPxDIBInvalidDIB(L"TPxInternalDIB.GetPixelFormat: Invalid DIB(4Bit)");
    case 8:
        if (compression == kBiRgb) return pxf8Bit;
        if (compression == kBiRle8) return pxf8BitRLE;
        throw EPxDIBInvalidDIB(L"TPxInternalDIB.GetPixelFormat: Invalid DIB(8Bit)");
    case 24:
        if (compression == kBiRgb) return pxf24Bit;
        throw EPxDIBInvalidDIB(L"TPxInternalDIB.GetPixelFormat: Invalid DIB(24Bit)");
    default: throw EPxDIBInvalidDIB(L"TPxInternalDIB.GetPixelFormat: Invalid DIB(Illegal BitCount)");
    }
}

// ---- BMP reader ----------------------------------------------------------------------------------

// What the headers of a BMP file say: the record as read (16/32 bits not widened yet), where the
// pixel data starts, and how many bytes of it are stored (widened ones for 16/32 bits).
struct TPxInternalDIB::TBmpLayout {
    DIBInfos Infos{};
    uint64_t StoreSize = 0;
};

// Reads the file header, the information header (40, 108 or 124 bytes; the larger ones are kept as
// a 40-byte header) or core header (12 bytes) and the colour data, and leaves the stream at the
// pixels. Every size the file claims is checked against the stream here, so that reading the pixels
// afterwards cannot run past its end.
TPxInternalDIB::TBmpLayout TPxInternalDIB::ReadBmpLayout(TStream& stream) {
    const int64_t start = stream.Position();
    const int64_t end = stream.Size();

    TBitmapFileHeader file;
    stream.ReadBuffer(&file, sizeof file);
    if (file.bfType != kBitmapFileType) {
        throw EPxDIBInvalidDIBFile(L"TPxInternalDIB.LoadFromFile: File type is invalid");
    }
    uint32_t headerSize;
    stream.ReadBuffer(&headerSize, sizeof headerSize);

    TBmpLayout layout;
    DIBInfos& infos = layout.Infos;
    TBitmapInfoHeader& h = infos.Header;
    if (IsInfoHeaderSize(headerSize)) {
        stream.ReadBuffer(reinterpret_cast<uint8_t*>(&h) + 4, kInfoHeaderSize - 4);
        h.biSize = kInfoHeaderSize;
        switch (h.biBitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: throw EPxDIBInvalidDIB(L"TPxInternalDIB.LoadFromStream: Invalid BitCout");
        }
        if (h.biClrUsed == 0) h.biClrUsed = DefaultColorCount(h.biBitCount);
        const uint64_t colors = h.biClrUsed;
        const bool bitfields = h.biCompression == kBiBitfields;

        // V4 and V5 headers carry the masks themselves; only a 40-byte header is followed by them.
        uint8_t extra[kV5HeaderSize - kInfoHeaderSize];
        stream.ReadBuffer(extra, headerSize - kInfoHeaderSize);
        const bool masksFollow = bitfields && headerSize == kInfoHeaderSize;
        const uint64_t colorData = colors * 4 + (masksFollow ? kMaskBytes : 0);
        if (colorData > uint64_t(end - stream.Position())) {
            throw EPxDIBInvalidDIB(L"TPxInternalDIB.LoadFromStream: Color Data Beyond End of Stream");
        }
        // The colour area holds the masks first when there are any, then the colour table.
        uint8_t* area = reinterpret_cast<uint8_t*>(infos.Colors);
        if (bitfields && !masksFollow) {
            std::memcpy(area, extra, kMaskBytes);
            area += kMaskBytes;
        }
        const uint64_t held = std::min<uint64_t>(colorData, (masksFollow ? kMaskBytes : 0) + kColorTableBytes);
        stream.ReadBuffer(area, static_cast<size_t>(held));
        if (colorData > held) stream.Seek(static_cast<int64_t>(colorData - held), TSeekOrigin::soCurrent);
        h.biClrUsed = static_cast<uint32_t>(std::min<uint64_t>(colors, kMaxColors));
    } else if (headerSize == kCoreHeaderSize) {
        uint8_t core[kCoreHeaderSize];
        std::memcpy(core, &headerSize, 4);
        stream.ReadBuffer(core + 4, kCoreHeaderSize - 4);
        const uint16_t bitCount = Get16(core + 10);
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) {
            throw EPxDIBInvalidDIB(L"TPxInternalDIB.LoadFromStream: Invalid BitCount");
        }
        const uint32_t count = DefaultColorCount(bitCount);
        TRGBTriple triples[kMaxColors];
        stream.ReadBuffer(triples, count * sizeof(TRGBTriple));
        CoreToInfoHeader(core, reinterpret_cast<const uint8_t*>(triples), count, infos);
    } else {
        throw EPxDIBInvalidDIB(L"TPxInternalDIB.LoadFromStream: Invalid Bitmap Header Size");
    }
    if (h.biWidth <= 0 || h.biHeight == 0) {
        throw EPxDIBInvalidDIB(L"TPxInternalDIB.LoadFromStream: Invalid Width or Height");
    }
    // GDI draws a DIB of any other plane count wrongly or not at all.
    if (h.biPlanes != 1) throw EPxDIBInvalidDIB(L"TPxInternalDIB.LoadFromStream: Invalid Planes");

    // The pixel data normally follows the colour data. A file whose bfOffBits points further on
    // (a gap, a larger header than we read) has its pixels there; an offset that points back into
    // the headers or beyond the end of the stream is ignored.
    int64_t dataPos = stream.Position();
    const int64_t offBits = start + int64_t{file.bfOffBits};
    if (offBits > dataPos && offBits < end) {
        stream.SetPosition(offBits);
        dataPos = offBits;
    }
    const int64_t available = end - dataPos;
    const int64_t sizeFromFile = int64_t{file.bfSize} - (dataPos - start);
    const uint64_t width = static_cast<uint64_t>(h.biWidth);
    const uint64_t height = AbsHeight(h.biHeight);

    switch (h.biBitCount) {
    case 1:
    case 4:
    case 8:
    case 24: {
        const uint64_t rows = RowStride(width, h.biBitCount) * height;
        if (rows > uint64_t(kMaxBitsSize)) throw EPxDIBInvalidDIB(kMsgTooLargeStream);
        int64_t size;
        if (IsRowData(h.biCompression)) {
            // Whole rows always: GDI and the conversions read them, whatever bfSize says.
            size = std::max(sizeFromFile, static_cast<int64_t>(rows));
        } else {
            // Encoded data is as long as bfSize says, or the rest of the stream when it says nothing useful.
            size = sizeFromFile > 0 ? sizeFromFile : available;
        }
        if (size > kMaxBitsSize) throw EPxDIBInvalidDIB(kMsgTooLargeStream);
        if (size > available) throw EPxDIBInvalidDIB(kMsgBeyondStream);
        layout.StoreSize = static_cast<uint64_t>(size);
        break;
    }
    case 16:
    case 32: {
        const uint64_t srcRow = WideSourceRow(width, h.biBitCount);
        const uint64_t dstRow = Wide24Row(width);
        if (dstRow * height > uint64_t(kMaxBitsSize)) throw EPxDIBInvalidDIB(kMsgTooLargeStream);
        if (srcRow * height > uint64_t(available)) throw EPxDIBInvalidDIB(kMsgBeyondStream);
        GetChannelMasks(infos, kMsgInvalidMasksStream);  // a zero mask fails before any store is taken
        layout.StoreSize = dstRow * height;
        break;
    }
    default: throw EPxDIBInvalidDIB(L"TPxInternalDIB.LoadFromStream: Invalid biBitCount");
    }
    return layout;
}

// Reads a BMP file from the stream's position: headers and colour data (ReadBmpLayout), then the
// pixels, read straight into the new store. 16- and 32-bit pictures are widened to 24 bits as they
// are read, one source row at a time.
void TPxInternalDIB::LoadFromStream(TStream& stream) {
    TBmpLayout layout = ReadBmpLayout(stream);
    DIBInfos& infos = layout.Infos;
    const TBitmapInfoHeader& h = infos.Header;
    TPxPixelStore store(static_cast<uint32_t>(layout.StoreSize));
    if (h.biBitCount == 16 || h.biBitCount == 32) {
        const uint64_t width = static_cast<uint64_t>(h.biWidth);
        const uint64_t height = AbsHeight(h.biHeight);
        const uint64_t dstRow = Wide24Row(width);
        const TChannelMasks masks = GetChannelMasks(infos, kMsgInvalidMasksStream);
        const TWidener widen(masks, h.biBitCount, width * height);
        TPxTempBuffer row(static_cast<size_t>(WideSourceRow(width, h.biBitCount)));
        uint8_t* dst = store.Bits();
        // Rows keep their order, so a top-down picture stays top-down.
        for (uint64_t y = 0; y < height; ++y, dst += dstRow) {
            stream.ReadBuffer(row.Data(), row.Size());
            widen.Row(row.Data(), dst, static_cast<uint32_t>(width));
        }
        FinishWidening(infos);
    } else {
        stream.ReadBuffer(store.Bits(), store.Size());
    }
    store.MoveTo(infos);
    FixEncodedSize(infos);
    TakeOver(infos);
}

DIBInfos TPxInternalDIB::ReadBmpInfos(TStream& stream) {
    TBmpLayout layout = ReadBmpLayout(stream);
    DIBInfos& infos = layout.Infos;
    if (infos.Header.biBitCount == 16 || infos.Header.biBitCount == 32) FinishWidening(infos);
    infos.BitsSize = static_cast<int32_t>(layout.StoreSize);
    FixEncodedSize(infos);
    return infos;
}

// ---- BMP writer ----------------------------------------------------------------------------------

// Writes a BMP file with a 40-byte header, the biClrUsed colour-table entries and the pixel data
// as stored (RLE data stays compressed).
void TPxInternalDIB::SaveToStream(TStream& stream) const {
    const uint32_t colorBytes = ColorDataBytes(infos_);
    const uint32_t bits = static_cast<uint32_t>(std::max(infos_.BitsSize, 0));
    TBitmapFileHeader file{};
    file.bfType = kBitmapFileType;
    file.bfOffBits = sizeof(TBitmapFileHeader) + kInfoHeaderSize + colorBytes;
    file.bfSize = file.bfOffBits + bits;
    stream.WriteBuffer(&file, sizeof file);
    stream.WriteBuffer(&infos_.Header, kInfoHeaderSize);
    stream.WriteBuffer(infos_.Colors, colorBytes);
    stream.WriteBuffer(infos_.Bits, bits);
}

// ---- Clipboard reader and writer -----------------------------------------------------------------

// Reads a packed DIB: a header (40, 108 or 124 bytes, or a 12-byte core header), its colour data
// and the pixels up to the end of the block.
void TPxInternalDIB::LoadFromClipboardData(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    if (!p || size < 4) throw EPxDIBInvalidDIB(L"TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data");
    const uint32_t headerSize = Get32(p);

    DIBInfos infos{};
    TBitmapInfoHeader& h = infos.Header;
    uint64_t headerLength;
    if (IsInfoHeaderSize(headerSize)) {
        if (size < headerSize) throw EPxDIBInvalidDIB(kMsgShortClip);
        std::memcpy(&h, p, kInfoHeaderSize);
        h.biSize = kInfoHeaderSize;
        const uint64_t colors = h.biClrUsed ? h.biClrUsed : DefaultColorCount(h.biBitCount);
        const bool bitfields = h.biCompression == kBiBitfields;
        const bool masksFollow = bitfields && headerSize == kInfoHeaderSize;
        const uint64_t colorData = colors * 4 + (masksFollow ? kMaskBytes : 0);
        headerLength = headerSize + colorData;
        if (headerLength > size) throw EPxDIBInvalidDIB(kMsgShortClip);
        uint8_t* area = reinterpret_cast<uint8_t*>(infos.Colors);
        if (bitfields && !masksFollow) {
            std::memcpy(area, p + kInfoHeaderSize, kMaskBytes);
            area += kMaskBytes;
        }
        const uint64_t held = std::min<uint64_t>(colorData, (masksFollow ? kMaskBytes : 0) + kColorTableBytes);
        std::memcpy(area, p + headerSize, static_cast<size_t>(held));
        h.biClrUsed = static_cast<uint32_t>(std::min<uint64_t>(colors, kMaxColors));
    } else if (headerSize == kCoreHeaderSize) {
        if (size < kCoreHeaderSize) throw EPxDIBInvalidDIB(kMsgShortClip);
        const uint32_t count = DefaultColorCount(Get16(p + 10));
        headerLength = kCoreHeaderSize + uint64_t{count} * sizeof(TRGBTriple);
        if (headerLength > size) throw EPxDIBInvalidDIB(kMsgShortClip);
        CoreToInfoHeader(p, p + kCoreHeaderSize, count, infos);
    } else {
        throw EPxDIBInvalidDIB(L"TPxDIB.LoadFromClipboardFormat: Invalid Clipboard Data");
    }
    if (h.biWidth <= 0 || h.biHeight == 0) {
        throw EPxDIBInvalidDIB(L"TPxInternalDIB.LoadFromClipboardFormat: Invalid Width or Height");
    }
    if (h.biPlanes != 1) throw EPxDIBInvalidDIB(L"TPxInternalDIB.LoadFromClipboardFormat: Invalid Planes");

    const uint8_t* pixels = p + headerLength;
    const uint64_t available = size - headerLength;
    const uint64_t width = static_cast<uint64_t>(h.biWidth);
    const uint64_t height = AbsHeight(h.biHeight);
    TPxPixelStore store;
    switch (h.biBitCount) {
    case 1:
    case 4:
    case 8:
    case 24: {
        const uint64_t rows = RowStride(width, h.biBitCount) * height;
        if (rows > uint64_t(kMaxBitsSize) || available > uint64_t(kMaxBitsSize)) {
            throw EPxDIBInvalidDIB(kMsgTooLargeClip);
        }
        if (IsRowData(h.biCompression) && available < rows) throw EPxDIBInvalidDIB(kMsgShortClip);
        store = TPxPixelStore(static_cast<uint32_t>(available));
        if (available) std::memcpy(store.Bits(), pixels, static_cast<size_t>(available));
        break;
    }
    case 16:
    case 32: {
        const uint64_t srcRow = WideSourceRow(width, h.biBitCount);
        const uint64_t dstRow = Wide24Row(width);
        if (dstRow * height > uint64_t(kMaxBitsSize)) throw EPxDIBInvalidDIB(kMsgTooLargeClip);
        if (srcRow * height > available) throw EPxDIBInvalidDIB(kMsgShortClip);
        const TChannelMasks masks = GetChannelMasks(infos, kMsgInvalidMasksClip);
        store = TPxPixelStore(static_cast<uint32_t>(dstRow * height));
        const TWidener widen(masks, h.biBitCount, width * height);
        uint8_t* dst = store.Bits();
        for (uint64_t y = 0; y < height; ++y, dst += dstRow) {
            widen.Row(pixels + y * srcRow, dst, static_cast<uint32_t>(width));
        }
        FinishWidening(infos);
        break;
    }
    default: throw EPxDIBInvalidDIB(L"TPxInternalDIB.LoadFromClipboardFormat: Invalid biBitCount");
    }
    store.MoveTo(infos);
    FixEncodedSize(infos);
    TakeOver(infos);
}

size_t TPxInternalDIB::ClipboardDataSize() const {
    return kInfoHeaderSize + ColorDataBytes(infos_) +
           static_cast<size_t>(std::max(infos_.BitsSize, 0));
}

// Writes the header, biClrUsed colour-table entries and the pixel data; out must hold
// ClipboardDataSize() bytes.
void TPxInternalDIB::SaveToClipboardData(std::span<uint8_t> out) const {
    if (out.size() < ClipboardDataSize()) {
        throw EPxDIBAssert(L"TPxInternalDIB.SaveToClipboardFormat: Buffer Too Small");
    }
    const size_t colorBytes = ColorDataBytes(infos_);
    uint8_t* p = out.data();
    std::memcpy(p, &infos_.Header, kInfoHeaderSize);
    std::memcpy(p + kInfoHeaderSize, infos_.Colors, colorBytes);
    if (infos_.BitsSize > 0) {
        std::memcpy(p + kInfoHeaderSize + colorBytes, infos_.Bits, static_cast<size_t>(infos_.BitsSize));
    }
}
