#include "plugins/SPILoadRules.h"

#include <algorithm>
#include <cstring>

#include "plugins/SPIRules.h"

bool NativeReaderFirst(const std::wstring& extension, const std::wstring& nativeExtension) {
    if (extension.empty()) return true;
    std::wstring_view bare = extension;
    if (bare.front() == L'.') bare.remove_prefix(1);
    return SameExtension(bare, nativeExtension);
}

TSPIProgress SPIProgressEvent(int32_t num, int32_t denom) {
    if (num == 0) return {TProgressStage::psStarting, 0, false};
    if (num == denom) return {TProgressStage::psEnding, 100, true};
    // Plug-ins pass what they like here: a zero or negative total, or a count past it, must not
    // divide by zero or give a percentage outside 0..100.
    if (denom <= 0) return {TProgressStage::psRunning, 0, false};
    const int64_t scaled = static_cast<int64_t>(num) * 100;
    int64_t percent = scaled / denom;
    const int64_t twice = 2 * (scaled - percent * denom);  // rounding half to even
    if (twice > denom || (twice == denom && (percent & 1))) ++percent;
    return {TProgressStage::psRunning, static_cast<uint8_t>(std::clamp<int64_t>(percent, 0, 100)), false};
}

namespace {

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kV4HeaderSize = 108;
constexpr uint32_t kV5HeaderSize = 124;
constexpr uint32_t kBiBitfields = 3;
constexpr uint64_t kMaskBytes = 12;  // red, green and blue masks behind a 40-byte header
// A packed DIB is handed on in one block whose size the system and the BMP file header hold in 32 bits.
constexpr uint64_t kMaxPackedSize = UINT32_MAX;

template <class T>
T Read(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

uint32_t DefaultColors(uint16_t bitCount) {
    return bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
}

}  // namespace

std::optional<TSPIDIBLayout> SPIDIBLayout(std::span<const uint8_t> info, uint64_t bitsSize) {
    if (info.size() < 4) return std::nullopt;
    const uint8_t* p = info.data();
    TSPIDIBLayout layout{};
    layout.headerSize = Read<uint32_t>(p);
    uint64_t width, rows;
    uint16_t bitCount;
    uint64_t colorBytes;
    if (layout.headerSize == kCoreHeaderSize) {
        if (info.size() < kCoreHeaderSize) return std::nullopt;
        width = Read<uint16_t>(p + 4);
        rows = Read<uint16_t>(p + 6);
        bitCount = Read<uint16_t>(p + 10);
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) return std::nullopt;
        layout.colors = DefaultColors(bitCount);
        colorBytes = 3ull * layout.colors;  // RGBTRIPLE entries
    } else if (layout.headerSize == kInfoHeaderSize || layout.headerSize == kV4HeaderSize ||
               layout.headerSize == kV5HeaderSize) {
        if (info.size() < layout.headerSize) return std::nullopt;
        const int32_t signedWidth = Read<int32_t>(p + 4);
        const int32_t height = Read<int32_t>(p + 8);
        bitCount = Read<uint16_t>(p + 14);
        const uint32_t compression = Read<uint32_t>(p + 16);
        const uint32_t clrUsed = Read<uint32_t>(p + 32);
        switch (bitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return std::nullopt;
        }
        if (signedWidth < 0) return std::nullopt;
        width = static_cast<uint64_t>(signedWidth);
        rows = height < 0 ? static_cast<uint64_t>(-int64_t{height}) : static_cast<uint64_t>(height);
        layout.colors = clrUsed ? clrUsed : DefaultColors(bitCount);
        // The larger headers hold their masks themselves.
        const bool masksFollow = compression == kBiBitfields && layout.headerSize == kInfoHeaderSize;
        colorBytes = 4ull * layout.colors + (masksFollow ? kMaskBytes : 0);
    } else {
        return std::nullopt;
    }
    if (width == 0 || rows == 0) return std::nullopt;
    layout.infoSize = layout.headerSize + colorBytes;
    // The stride stays below 2^34 (width < 2^31, at most 32 bits); the rows are checked against the
    // limit by division, so no product beyond it is ever formed.
    const uint64_t stride = (width * bitCount + 31) / 32 * 4;
    if (rows > kMaxPackedSize / stride) return std::nullopt;
    layout.imageSize = rows * stride;
    if (layout.infoSize > info.size() || layout.imageSize > bitsSize ||
        layout.infoSize + layout.imageSize > kMaxPackedSize) {
        return std::nullopt;
    }
    return layout;
}
