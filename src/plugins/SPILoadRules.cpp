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

std::optional<TSPIDIBLayout> SPIDIBLayout(const uint8_t* info, uint64_t blockSize) {
    if (!info || blockSize < 40) return std::nullopt;
    int32_t width, height;
    uint16_t bitCount;
    uint32_t clrUsed;
    std::memcpy(&width, info + 4, 4);
    std::memcpy(&height, info + 8, 4);
    std::memcpy(&bitCount, info + 14, 2);
    std::memcpy(&clrUsed, info + 32, 4);
    TSPIDIBLayout layout{};
    layout.colors = clrUsed;
    if (clrUsed == 0) layout.colors = bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
    if (width < 0 || bitCount > 64) return std::nullopt;
    layout.infoSize = 40 + 4ull * layout.colors;
    const uint64_t rows = height < 0 ? 0ull - static_cast<int64_t>(height) : static_cast<uint64_t>(height);
    layout.imageSize = rows * ((static_cast<uint64_t>(bitCount) * static_cast<uint64_t>(width) + 31) / 32 * 4);
    return layout;
}
