#include "imaging/BmpBuilder.h"

namespace {

uint32_t Stride(int32_t width, uint32_t bitCount) { return (static_cast<uint32_t>(width) * bitCount + 31) / 32 * 4; }

}  // namespace

void Put16(TBytes& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(TBytes& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

uint32_t Get32At(const TBytes& bytes, size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | uint32_t{bytes[offset + 3]} << 24;
}

TBytes ColorQuads(uint32_t n) {
    TBytes out;
    for (uint32_t i = 0; i < n; ++i) {
        out.push_back(static_cast<uint8_t>(i * 3 + 1));
        out.push_back(static_cast<uint8_t>(i * 5 + 2));
        out.push_back(static_cast<uint8_t>(i * 7 + 3));
        out.push_back(0);
    }
    return out;
}

TBytes PatternRows(uint32_t stride, uint32_t height, uint32_t seed) {
    TBytes out(size_t{stride} * height);
    uint32_t x = seed * 2654435761u + 12345;
    for (auto& b : out) {
        x = x * 1103515245u + 12345;
        b = static_cast<uint8_t>(x >> 16);
    }
    return out;
}

TBytes BuildPackedDib(const TBmpLayout& s) {
    TBytes out;
    if (s.headerSize == 12) {
        Put32(out, 12);
        Put16(out, static_cast<uint16_t>(s.width));
        Put16(out, static_cast<uint16_t>(s.height));
        Put16(out, s.planes);
        Put16(out, s.bitCount);
    } else {
        Put32(out, s.headerSize);
        Put32(out, static_cast<uint32_t>(s.width));
        Put32(out, static_cast<uint32_t>(s.height));
        Put16(out, s.planes);
        Put16(out, s.bitCount);
        Put32(out, s.compression);
        Put32(out, s.sizeImage);
        Put32(out, 2835);
        Put32(out, 2835);
        Put32(out, s.clrUsed);
        Put32(out, 0);
        TBytes extra = s.extraHeader;
        extra.resize(s.headerSize > 40 ? s.headerSize - 40 : 0);
        out.insert(out.end(), extra.begin(), extra.end());
    }
    out.insert(out.end(), s.colors.begin(), s.colors.end());
    out.insert(out.end(), s.gap.begin(), s.gap.end());
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

TBytes BuildBmp(const TBmpLayout& s) {
    const TBytes dib = BuildPackedDib(s);
    const size_t headerBytes = s.headerSize == 12 ? 12 : s.headerSize;
    TBytes out;
    Put16(out, s.type);
    Put32(out, s.fileSize.value_or(static_cast<uint32_t>(14 + dib.size())));
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, s.offBits.value_or(static_cast<uint32_t>(14 + headerBytes + s.colors.size() + s.gap.size())));
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

std::vector<TSample> BmpSamples() {
    std::vector<TSample> out;
    auto add = [&](const char* name, TBmpLayout s) { out.push_back({name, BuildBmp(s)}); };
    auto rows = [](int32_t w, int32_t h, uint32_t bits, uint32_t seed) {
        return PatternRows(Stride(w, bits), static_cast<uint32_t>(h < 0 ? -h : h), seed);
    };
    {
        TBmpLayout s{.width = 13, .height = 3, .bitCount = 1, .colors = ColorQuads(2), .pixels = rows(13, 3, 1, 1)};
        add("1bit_13x3", s);
    }
    {
        TBmpLayout s{.width = 7, .height = 5, .bitCount = 4, .colors = ColorQuads(16), .pixels = rows(7, 5, 4, 2)};
        add("4bit_7x5", s);
    }
    {
        TBmpLayout s{.width = 5, .height = 4, .bitCount = 8, .colors = ColorQuads(256), .pixels = rows(5, 4, 8, 3)};
        add("8bit_5x4", s);
        s.height = -4;
        add("8bit_topdown", s);
        s = TBmpLayout{.width = 3, .height = 2, .bitCount = 8, .clrUsed = 3, .colors = ColorQuads(3),
                     .pixels = rows(3, 2, 8, 4)};
        add("8bit_3colors", s);
        s.clrUsed = 300;
        s.colors = ColorQuads(300);
        add("8bit_300colors", s);
    }
    {
        TBmpLayout s{.width = 3, .height = 3, .bitCount = 24, .pixels = rows(3, 3, 24, 5)};
        add("24bit_3x3", s);
    }
    {
        TBmpLayout s{.width = 5, .height = 2, .bitCount = 16, .pixels = rows(5, 2, 16, 6)};
        add("16bit_555", s);
        s.compression = 3;
        s.colors.clear();
        Put32(s.colors, 0xF800), Put32(s.colors, 0x07E0), Put32(s.colors, 0x001F);
        add("16bit_565", s);
        s.height = -2;
        add("16bit_565_topdown", s);
    }
    {
        TBmpLayout s{.width = 3, .height = 2, .bitCount = 32, .pixels = rows(3, 2, 32, 7)};
        add("32bit_rgb", s);
        s.compression = 3;
        s.clrUsed = 2;
        s.colors.clear();
        Put32(s.colors, 0xFF0000), Put32(s.colors, 0xFF00), Put32(s.colors, 0xFF);
        const TBytes table = ColorQuads(2);
        s.colors.insert(s.colors.end(), table.begin(), table.end());
        add("32bit_bitfields", s);
    }
    {
        TBmpLayout s{.headerSize = 12, .width = 4, .height = 2, .bitCount = 8, .pixels = rows(4, 2, 8, 8)};
        for (int i = 0; i < 256; ++i) s.colors.insert(s.colors.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
        add("core_8bit", s);
        s.bitCount = 24;
        s.colors.clear();
        s.pixels = rows(4, 2, 24, 9);
        add("core_24bit", s);
    }
    {
        TBmpLayout s{.headerSize = 108, .width = 3, .height = 2, .bitCount = 32, .compression = 3,
                   .pixels = rows(3, 2, 32, 10)};
        Put32(s.extraHeader, 0xFF0000), Put32(s.extraHeader, 0xFF00), Put32(s.extraHeader, 0xFF);
        add("v4_32bit_bitfields", s);
        s.headerSize = 124;
        s.bitCount = 24;
        s.compression = 0;
        s.gap = TBytes(6, 0xEE);
        s.pixels = rows(3, 2, 24, 11);
        add("v5_24bit_gap", s);
    }
    {
        TBmpLayout s{.width = 6, .height = 3, .bitCount = 8, .compression = 1, .colors = ColorQuads(256),
                   .pixels = {3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 1, 2, 9, 0, 1}};
        add("rle8_6x3", s);
        s = TBmpLayout{.width = 5, .height = 2, .bitCount = 4, .compression = 2, .colors = ColorQuads(16),
                     .pixels = {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1}};
        add("rle4_5x2", s);
    }
    return out;
}

TBytes BmpSample(const std::string& name) {
    for (auto& s : BmpSamples()) {
        if (s.name == name) return s.bytes;
    }
    return {};
}

std::vector<TSample> Rle8Samples() {
    // width - 1, height - 1, then the stream.
    return {
        {"runs", {5, 2, 3, 7, 3, 8, 0, 0, 6, 1, 0, 0, 2, 2, 0, 1}},
        {"absolute", {7, 1, 0, 5, 1, 2, 3, 4, 5, 0, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1}},
        {"delta", {9, 4, 0, 2, 3, 2, 4, 9, 0, 0, 2, 6, 0, 1}},
        {"no_end", {3, 3, 4, 1, 0, 0, 4, 2}},
    };
}

std::vector<TSample> Rle4Samples() {
    return {
        {"runs", {4, 1, 5, 0x12, 0, 0, 3, 0x34, 0, 1}},
        {"absolute", {6, 0, 0, 7, 0x12, 0x34, 0x56, 0x70, 0, 1}},
        {"delta", {7, 3, 0, 2, 1, 1, 4, 0xAB, 0, 0, 2, 0xCD, 0, 1}},
        {"odd_fill", {2, 0, 4, 0x9A, 0, 1}},
    };
}
