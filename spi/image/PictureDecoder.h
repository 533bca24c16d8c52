#pragma once
// The picture the image plug-in hands back, and the decoders that fill it. The picture is a
// bottom-up DIB: a BITMAPINFOHEADER, for grey pictures a 256-entry grey palette (8 bits a pixel),
// for all others 24 bits a pixel, rows padded to four bytes; transparent pixels are composed over
// white. TStbPicture (stb_image, for TGA, PSD, PNM and HDR) is here and portable; the system
// decoders' half is TWicPicture (WicPicture_win.h).
#include <cstdint>
#include <span>

#include "spi/common/ByteSource.h"
#include "spi/common/SpiResult.h"
#include "spi/image/PictureFormat.h"

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

// The layout of the DIB of a width x height picture, grey (8 bits) or not (24 bits). srBrokenData
// for an empty picture, srNoMemory when its rows cannot be addressed in 31 bits.
TSpiResult PlanDib(int64_t width, int64_t height, bool grey, TDibLayout& out);

// Writes the header and palette: layout.infoSize bytes.
void WriteDibInfo(const TDibLayout& layout, uint8_t* dest);

// How a decoder's row holds its pixels, one byte a channel.
enum class TPixelOrder { poGrey, poGreyAlpha, poRgb, poRgba, poBgr, poBgra };
size_t BytesPerPixel(TPixelOrder order);

// Writes one row of layout.width pixels into a DIB row (layout.stride bytes): grey orders into an
// 8-bit layout, the others into a 24-bit one, alpha composed over white, the padding zeroed.
void WriteDibRow(const uint8_t* src, TPixelOrder order, const TDibLayout& layout, uint8_t* dest);

class TPictureDecoder {
public:
    TPictureDecoder() = default;
    TPictureDecoder(const TPictureDecoder&) = delete;
    TPictureDecoder& operator=(const TPictureDecoder&) = delete;
    virtual ~TPictureDecoder() = default;

    // Decodes a whole picture (the first frame of an animation or the first image of an icon).
    // progress, when given, hears (0, height) before the work starts; answering false stops with
    // srAborted. data must stay valid until the rows are written.
    virtual TSpiResult Decode(std::span<const uint8_t> data, const TProgress& progress) = 0;
    const TDibLayout& Layout() const { return layout_; }

    // Writes the header and palette: Layout().infoSize bytes.
    void WriteInfo(uint8_t* dest) const { WriteDibInfo(layout_, dest); }
    // Writes the rows bottom-up: Layout().bitsSize bytes. progress hears (rows done, height) as it
    // goes and (height, height) at the end; srAborted when it asked to stop.
    virtual TSpiResult WriteBits(uint8_t* dest, const TProgress& progress) = 0;

protected:
    TDibLayout layout_;
};

// What GetPictureInfo reports for a TGA, PSD, PNM or HDR file: its header, checked, gives the size
// and whether the DIB will be grey.
TSpiResult ReadStbLayout(std::span<const uint8_t> data, TDibLayout& out);

// TGA, PSD, PNM and HDR through stb_image, after CheckStbHeader. Other formats are srUnknownFormat.
class TStbPicture : public TPictureDecoder {
public:
    TStbPicture() = default;
    ~TStbPicture() override;
    TSpiResult Decode(std::span<const uint8_t> data, const TProgress& progress = {}) override;
    TSpiResult WriteBits(uint8_t* dest, const TProgress& progress = {}) override;

private:
    uint8_t* pixels_ = nullptr;  // top-down, channels_ bytes a pixel, from stb_image
    int channels_ = 0;
};
