#include "spi/image/PictureDecoder.h"

#include <cstring>
#include <vector>

#include "spi/image/StbConfig.h"

namespace {

// stb_image keeps only a short reason; running out of memory is the one that is not the data's fault.
TSpiResult FailureResult() {
    const char* reason = stbi_failure_reason();
    return reason && std::strcmp(reason, "outofmem") == 0 ? srNoMemory : srBrokenData;
}

int ClampedSize(std::span<const uint8_t> data) {
    return data.size() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(data.size());
}

// Composes a colour over white with the given opacity.
uint8_t OverWhite(unsigned c, unsigned alpha) {
    return static_cast<uint8_t>((c * alpha + 255 * (255 - alpha) + 127) / 255);
}

// stb_image's pixels as a row order: 1 to 4 channels, RGB order.
TPixelOrder StbOrder(int channels) {
    switch (channels) {
    case 1: return TPixelOrder::poGrey;
    case 2: return TPixelOrder::poGreyAlpha;
    case 3: return TPixelOrder::poRgb;
    default: return TPixelOrder::poRgba;
    }
}

// The channels a header's picture keeps: bytes that only pad a pixel are not alpha.
bool StbGrey(const TStbHeader& h) { return h.channels <= 2; }

}  // namespace

TSpiResult PlanDib(int64_t width, int64_t height, bool grey, TDibLayout& out) {
    if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return srBrokenData;
    TDibLayout l;
    l.width = static_cast<int32_t>(width);
    l.height = static_cast<int32_t>(height);
    l.bitCount = grey ? 8 : 24;
    l.paletteEntries = grey ? 256 : 0;
    const uint64_t stride = (static_cast<uint64_t>(width) * l.bitCount + 31) / 32 * 4;
    const uint64_t bits = stride * static_cast<uint64_t>(height);
    if (bits > 0x7FFFFFFF) return srNoMemory;
    l.stride = static_cast<uint32_t>(stride);
    l.bitsSize = static_cast<uint32_t>(bits);
    l.infoSize = kBitmapInfoHeaderSize + 4 * l.paletteEntries;
    out = l;
    return srSuccess;
}

void WriteDibInfo(const TDibLayout& layout, uint8_t* dest) {
    std::memset(dest, 0, layout.infoSize);
    auto put32 = [dest](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) dest[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(0, kBitmapInfoHeaderSize);
    put32(4, static_cast<uint32_t>(layout.width));
    put32(8, static_cast<uint32_t>(layout.height));  // positive: bottom-up
    dest[12] = 1;                                     // planes
    dest[14] = static_cast<uint8_t>(layout.bitCount);
    put32(20, layout.bitsSize);
    put32(32, layout.paletteEntries);
    for (uint32_t i = 0; i < layout.paletteEntries; ++i) {
        uint8_t* entry = dest + kBitmapInfoHeaderSize + 4 * i;
        entry[0] = entry[1] = entry[2] = static_cast<uint8_t>(i);
    }
}

size_t BytesPerPixel(TPixelOrder order) {
    switch (order) {
    case TPixelOrder::poGrey: return 1;
    case TPixelOrder::poGreyAlpha: return 2;
    case TPixelOrder::poRgb:
    case TPixelOrder::poBgr: return 3;
    default: return 4;
    }
}

void WriteDibRow(const uint8_t* src, TPixelOrder order, const TDibLayout& layout, uint8_t* dest) {
    const auto width = static_cast<size_t>(layout.width);
    uint8_t* p = dest;
    switch (order) {
    case TPixelOrder::poGrey:
        std::memcpy(p, src, width);
        p += width;
        break;
    case TPixelOrder::poGreyAlpha:
        for (size_t x = 0; x < width; ++x, src += 2) *p++ = OverWhite(src[0], src[1]);
        break;
    case TPixelOrder::poRgb:
        for (size_t x = 0; x < width; ++x, src += 3) {
            *p++ = src[2];
            *p++ = src[1];
            *p++ = src[0];
        }
        break;
    case TPixelOrder::poBgr:
        std::memcpy(p, src, 3 * width);
        p += 3 * width;
        break;
    case TPixelOrder::poRgba:
        for (size_t x = 0; x < width; ++x, src += 4) {
            *p++ = OverWhite(src[2], src[3]);
            *p++ = OverWhite(src[1], src[3]);
            *p++ = OverWhite(src[0], src[3]);
        }
        break;
    case TPixelOrder::poBgra:
        for (size_t x = 0; x < width; ++x, src += 4) {
            *p++ = OverWhite(src[0], src[3]);
            *p++ = OverWhite(src[1], src[3]);
            *p++ = OverWhite(src[2], src[3]);
        }
        break;
    }
    std::memset(p, 0, layout.stride - static_cast<size_t>(p - dest));  // row padding
}

TSpiResult ReadStbLayout(std::span<const uint8_t> data, TDibLayout& out) {
    TStbHeader header;
    const TSpiResult r = CheckStbHeader(data, header);
    if (r != srSuccess) return r;
    return PlanDib(header.width, header.height, StbGrey(header), out);
}

TStbPicture::~TStbPicture() { stbi_image_free(pixels_); }

TSpiResult TStbPicture::Decode(std::span<const uint8_t> data, const TProgress& progress) {
    stbi_image_free(pixels_);
    pixels_ = nullptr;
    TStbHeader header;
    TSpiResult r = CheckStbHeader(data, header);
    if (r != srSuccess) return r;
    TDibLayout planned;
    if ((r = PlanDib(header.width, header.height, StbGrey(header), planned)) != srSuccess) return r;
    if (progress && !progress(0, static_cast<uint64_t>(planned.height))) return srAborted;

    std::vector<uint8_t> storage;
    const std::span<const uint8_t> input = StbInput(data, header, storage);
    int width = 0, height = 0, channels = 0;
    pixels_ = stbi_load_from_memory(input.data(), ClampedSize(input), &width, &height, &channels, 0);
    if (!pixels_) return FailureResult();
    // The checks above read the header as stb_image does; a picture that came out otherwise is
    // not the one they passed.
    if (width != header.width || height != header.height || channels != header.channels) return srBrokenData;
    channels_ = channels;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (header.alphaIsPadding) {
        for (size_t i = 0; i < count; ++i) pixels_[i * channels + channels - 1] = 255;
    }
    if (header.maxValue != 255) {
        // Netpbm samples are fractions of the largest value; larger samples than that are cut.
        for (size_t i = 0; i < count * static_cast<size_t>(channels); ++i) {
            const unsigned v = pixels_[i] < header.maxValue ? pixels_[i] : header.maxValue;
            pixels_[i] = static_cast<uint8_t>((v * 255 + header.maxValue / 2) / header.maxValue);
        }
    }
    layout_ = planned;
    return srSuccess;
}

TSpiResult TStbPicture::WriteBits(uint8_t* dest, const TProgress& progress) {
    const auto height = static_cast<size_t>(layout_.height);
    const size_t rowBytes = static_cast<size_t>(layout_.width) * static_cast<size_t>(channels_);
    const TPixelOrder order = StbOrder(channels_);
    for (size_t y = 0; y < height; ++y) {
        if (progress && y % 64 == 0 && !progress(y, height)) return srAborted;
        WriteDibRow(pixels_ + y * rowBytes, order, layout_, dest + (height - 1 - y) * layout_.stride);  // bottom-up
    }
    return !progress || progress(height, height) ? srSuccess : srAborted;
}
