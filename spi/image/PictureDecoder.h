#pragma once
// The picture side of the image plug-in: recognises its formats by content, decodes them through
// stb_image and lays the result out as a bottom-up DIB (BITMAPINFOHEADER, palette, rows padded to
// four bytes). Grey pictures become 8 bits per pixel with a grey palette, all others 24 bits;
// transparent pixels are composed over white. Portable: no Windows types.
#include <cstdint>
#include <span>

#include "spi/common/ByteSource.h"
#include "spi/common/SpiResult.h"

enum class TPictureFormat { pfUnknown, pfPng, pfJpeg, pfGif, pfTga, pfPsd, pfPnm, pfHdr };

// The format by content; head is the start of the file (IsSupported sees its first 2 KB).
TPictureFormat DetectPictureFormat(std::span<const uint8_t> head);

struct TDibLayout {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;        // 8 or 24
    uint32_t paletteEntries = 0;  // 256 grey entries for 8 bits, none for 24
    uint32_t stride = 0;          // bytes per row, a multiple of 4
    uint32_t infoSize = 0;        // header and palette
    uint32_t bitsSize = 0;        // stride x height
};

constexpr uint32_t kBitmapInfoHeaderSize = 40;

// The layout the DIB of a width x height picture with this many channels (1 to 4) will have.
// srNoMemory when it cannot be addressed in 32 bits.
TSpiResult PlanDib(int width, int height, int channels, TDibLayout& out);

// Reads only as much of the picture as its size needs and plans its DIB.
TSpiResult ReadPictureLayout(std::span<const uint8_t> data, TDibLayout& out);

class TDecodedPicture {
public:
    TDecodedPicture() = default;
    TDecodedPicture(const TDecodedPicture&) = delete;
    TDecodedPicture& operator=(const TDecodedPicture&) = delete;
    ~TDecodedPicture();

    // Decodes a whole picture (the first frame of an animation). progress, when given, hears
    // (0, height) before the work starts; answering false stops with srAborted.
    TSpiResult Decode(std::span<const uint8_t> data, const TProgress& progress = {});
    const TDibLayout& Layout() const { return layout_; }

    // Writes the header and palette: Layout().infoSize bytes.
    void WriteInfo(uint8_t* dest) const;
    // Writes the rows bottom-up: Layout().bitsSize bytes. progress hears (rows done, height) as it
    // goes; false when it asked to stop.
    bool WriteBits(uint8_t* dest, const TProgress& progress = {}) const;

private:
    uint8_t* pixels_ = nullptr;  // top-down, channels_ bytes a pixel, from stb_image
    int channels_ = 0;
    TDibLayout layout_;
};
