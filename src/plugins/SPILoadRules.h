#pragma once
// The rules of picture loading through plug-ins that need no Windows: which reader goes first, how
// a plug-in's progress becomes a progress event, and how much a decoded DIB's blocks must hold.
#include <cstdint>
#include <optional>
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

// What a decoded picture's header promises: the colour-table entries and the pixel bytes.
struct TSPIDIBLayout {
    uint32_t colors;     // biClrUsed, or 2/16/256 for 1/4/8 bits when it is 0
    uint64_t infoSize;   // 40 + 4 × colors
    uint64_t imageSize;  // |height| × row stride
};
// Reads the 40-byte header at the start of a bitmap-info block of blockSize bytes. Empty when the
// header itself does not fit, or the sizes it names are beyond any picture.
std::optional<TSPIDIBLayout> SPIDIBLayout(const uint8_t* info, uint64_t blockSize);

// Bytes of foreign header that a second decoding attempt skips.
constexpr size_t kSPISkipHeaderSize = 128;
