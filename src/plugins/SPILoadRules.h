#pragma once
// The rules of picture loading through plug-ins that need no Windows: which reader goes first, how
// a plug-in's progress becomes a progress event, and how a decoded DIB's two blocks are framed.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "toolkit/Graphic.h"

// True when the native BMP reader is tried before the plug-ins: for a nameless load, or when the
// extension (with its dot) names the owner's own format.
bool NativeReaderFirst(const std::wstring& extension, const std::wstring& nativeExtension);

// A plug-in's progress call (nNum of nDenom) as the owner's progress event.
struct TSPIProgress {
    TProgressStage stage;
    uint8_t percent;
    bool redraw;
};
TSPIProgress SPIProgressEvent(int32_t num, int32_t denom);

// How the two blocks of a decoded picture make one packed DIB. The header at the start of the
// bitmap-info block frames the picture: its own size (a 12-byte core header, or an information
// header of 40, 108 or 124 bytes), the three channel masks that follow a 40-byte BI_BITFIELDS
// header, then the colour table; the pixel block holds whole rows.
struct TSPIDIBLayout {
    uint32_t headerSize;  // 12, 40, 108 or 124
    uint32_t colors;      // colour-table entries: biClrUsed, or 2/16/256 for 1/4/8 bits when it is 0
    uint64_t infoSize;    // bytes taken from the bitmap-info block: header, masks, colour table
    uint64_t imageSize;   // bytes taken from the pixel block: |height| × row stride
};
// Frames a decoded picture from its bitmap-info block and the size of its pixel block. Empty when
// it cannot be framed: no header of a known size, no width or no height, a bit count other than
// 1, 4, 8, 16, 24 or 32 (1, 4, 8 or 24 under a core header), blocks shorter than the header
// promises, or a packed DIB beyond 4 GB.
std::optional<TSPIDIBLayout> SPIDIBLayout(std::span<const uint8_t> info, uint64_t bitsSize);

// Bytes of foreign header that a second decoding attempt skips.
constexpr size_t kSPISkipHeaderSize = 128;
