#include "spi/image/PictureFormat.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "spi/common/ByteSource.h"

namespace {

constexpr int64_t kMaxSide = int64_t{1} << 24;  // stb_image's own limit, checked here first
// stb_image addresses its pixels (4 bytes each at most, floats for HDR) with int.
constexpr uint64_t kMaxDecodedBytes = 0x7FFFFFFF;

bool StartsWith(std::span<const uint8_t> head, std::string_view magic) {
    return head.size() >= magic.size() && std::memcmp(head.data(), magic.data(), magic.size()) == 0;
}

uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// TGA has no signature, so its 18-byte header must make sense on its own: a known image type
// whose colour-map fields agree with it, a pixel size that type allows, and a non-empty picture.
// Anything that starts with text or another format's signature fails here.
bool LooksLikeTga(std::span<const uint8_t> head) {
    if (head.size() < 18) return false;
    const uint8_t* h = head.data();
    const uint8_t mapType = h[1], imageType = h[2];
    const uint16_t mapLength = Le16(h + 5);
    const uint8_t mapBits = h[7], bits = h[16], descriptor = h[17];
    const uint16_t width = Le16(h + 12), height = Le16(h + 14);
    if (width == 0 || height == 0) return false;
    if (descriptor & 0xC0) return false;  // interleaving: obsolete, never written
    switch (imageType) {
    case 1:
    case 9:  // colour-mapped
        return mapType == 1 && mapLength > 0 && (mapBits == 15 || mapBits == 16 || mapBits == 24 || mapBits == 32) &&
               (bits == 8 || bits == 16);
    case 2:
    case 10:  // true colour
        return mapType == 0 && mapLength == 0 && (bits == 15 || bits == 16 || bits == 24 || bits == 32);
    case 3:
    case 11:  // grey
        return mapType == 0 && mapLength == 0 && (bits == 8 || bits == 16);
    default:
        return false;
    }
}

// ICO has a weak signature (reserved 0, type 1, a count), so the first directory entry must agree:
// reserved byte 0, 0 or 1 planes, a known bit count, a non-empty image after the directory.
bool LooksLikeIco(std::span<const uint8_t> head) {
    if (head.size() < 22 || !StartsWith(head, std::string_view("\0\0\1\0", 4))) return false;
    const uint16_t count = Le16(head.data() + 4);
    const uint8_t* entry = head.data() + 6;
    const uint16_t planes = Le16(entry + 4), bits = Le16(entry + 6);
    return count > 0 && entry[3] == 0 && planes <= 1 &&
           (bits == 0 || bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32) &&
           Le32(entry + 8) > 0 && Le32(entry + 12) >= 6u + 16u * count;
}

bool IsPnmSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

uint64_t CeilDiv(uint64_t a, uint64_t b) { return (a + b - 1) / b; }

// The header fields that every check fills in the same way.
TSpiResult Accept(TPictureFormat format, int64_t width, int64_t height, int channels, uint64_t bytesPerPixel,
                  TStbHeader& out) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return srBrokenData;
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * bytesPerPixel > kMaxDecodedBytes)
        return srNoMemory;
    out.format = format;
    out.width = static_cast<int32_t>(width);
    out.height = static_cast<int32_t>(height);
    out.channels = channels;
    return srSuccess;
}

// TGA as stb_image reads it: the image ID, then the colour map, then the pixels, raw or as RLE
// packets of at most 128 pixels. stb_image reads the colour map from the wrong place when its
// first entry is not 0 and ignores right-to-left order, so those are not read. A file too short for
// its pixels is refused: stb_image would leave the rest of the picture unwritten.
TSpiResult CheckTga(std::span<const uint8_t> data, TStbHeader& out) {
    const uint8_t* h = data.data();
    const uint8_t idLength = h[0], mapType = h[1], imageType = h[2], mapBits = h[7], bits = h[16], descriptor = h[17];
    const uint16_t mapFirst = Le16(h + 3), mapLength = Le16(h + 5);
    if (mapType == 1 && mapFirst != 0) return srUnknownFormat;
    if (descriptor & 0x10) return srUnknownFormat;  // right to left
    const bool rle = imageType >= 9, grey = imageType == 3 || imageType == 11;
    const unsigned pixelBits = mapType == 1 ? mapBits : bits;
    int channels = pixelBits == 8 ? 1 : pixelBits == 16 && grey ? 2 : pixelBits <= 24 ? 3 : 4;
    const uint64_t mapBytes = mapType == 1 ? uint64_t{mapLength} * ((mapBits + 7u) / 8) : 0;
    const uint64_t dataStart = 18 + uint64_t{idLength} + mapBytes;
    const uint64_t pixels = uint64_t{Le16(h + 12)} * Le16(h + 14);
    const uint64_t stored = (bits + 7u) / 8;
    const uint64_t least = rle ? CeilDiv(pixels, 128) * (1 + stored) : pixels * stored;
    if (data.size() < dataStart || data.size() - dataStart < least) return srBrokenData;
    // The descriptor counts the attribute bits of a stored pixel: for true colour and grey, none
    // means the fourth byte is padding; a colour map's entries carry their own alpha.
    out.alphaIsPadding = mapType == 0 && (channels == 2 || channels == 4) && (descriptor & 0x0F) == 0;
    return Accept(TPictureFormat::pfTga, Le16(h + 12), Le16(h + 14), channels, 4, out);
}

// PSD as stb_image reads it: the merged picture of an RGB file, 8 or 16 bits a channel, raw or
// PackBits per channel plane, after three sections that each give their own length. It reads the
// first four channels; 16-bit PackBits data it would take for 8-bit, so that is not read.
TSpiResult CheckPsd(std::span<const uint8_t> data, TStbHeader& out) {
    if (data.size() < 26) return srBrokenData;
    const uint8_t* h = data.data();
    const unsigned channelCount = Be16(h + 12), depth = Be16(h + 22), mode = Be16(h + 24);
    const uint32_t height = Be32(h + 14), width = Be32(h + 18);
    if (mode != 3 || (depth != 8 && depth != 16)) return srUnknownFormat;
    if (channelCount < 1 || channelCount > 16) return srBrokenData;
    uint64_t at = 26;
    for (int section = 0; section < 3; ++section) {  // colour mode data, image resources, layers
        if (data.size() - at < 4) return srBrokenData;
        const uint64_t length = Be32(h + at);
        at += 4;
        if (data.size() - at < length) return srBrokenData;
        at += length;
    }
    if (data.size() - at < 2) return srBrokenData;
    const unsigned compression = Be16(h + at);
    at += 2;
    if (compression > 1) return srUnknownFormat;
    if (compression == 1 && depth == 16) return srUnknownFormat;
    if (width > kMaxSide || height > kMaxSide) return srBrokenData;
    const uint64_t planes = channelCount < 4 ? channelCount : 4;
    const uint64_t pixels = uint64_t{width} * height;
    const uint64_t least = compression == 0 ? pixels * planes * (depth / 8)
                                            : uint64_t{height} * channelCount * 2 + planes * 2 * CeilDiv(pixels, 128);
    if (data.size() - at < least) return srBrokenData;
    out.psdChannels = channelCount;
    out.psdDataAt = at;
    out.psdPackBits = compression == 1;
    return Accept(TPictureFormat::pfPsd, width, height, 4, 4, out);
}

// Bytes read the way stb_image reads them: zeros past the end, where the position stays.
class TStbReader {
public:
    explicit TStbReader(std::span<const uint8_t> data) : data_(data) {}
    unsigned Get() { return pos_ < data_.size() ? data_[pos_++] : 0; }
    bool AtEnd() const { return pos_ >= data_.size(); }
    size_t Position() const { return pos_; }
    // A header line as stb_image takes it: up to '\n', the last byte before the end dropped,
    // longer lines cut at 1023 characters, and then read as a C string: up to a NUL byte (so that
    // a line that starts with one ends the header, as an empty line does).
    std::string Line() {
        std::string line;
        char c = static_cast<char>(Get());
        while (!AtEnd() && c != '\n') {
            line += c;
            if (line.size() == 1023) {
                while (!AtEnd() && Get() != '\n') {
                }
                break;
            }
            c = static_cast<char>(Get());
        }
        line.resize(std::strlen(line.c_str()));
        return line;
    }

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

// PNM as stb_image reads it: "P5" or "P6", then width, height and the largest sample value,
// separated by white space and '#' comments, then one byte and the samples. stb_image's numbers
// have no bound (a long one overflows), so a number beyond any picture stops here. It reads 16-bit
// samples in code that later releases had to fix; those files are not read.
TSpiResult CheckPnm(std::span<const uint8_t> data, TStbHeader& out) {
    TStbReader in(data);
    const bool colour = data[1] == '6';
    in.Get();
    in.Get();
    char c = static_cast<char>(in.Get());
    auto skipSpace = [&] {
        for (;;) {
            while (!in.AtEnd() && IsPnmSpace(static_cast<uint8_t>(c))) c = static_cast<char>(in.Get());
            if (in.AtEnd() || c != '#') break;
            while (!in.AtEnd() && c != '\n' && c != '\r') c = static_cast<char>(in.Get());
        }
    };
    bool tooLong = false;
    auto number = [&] {
        int64_t value = 0;
        while (!in.AtEnd() && c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            if (value > kMaxSide) {
                tooLong = true;
                return value;
            }
            c = static_cast<char>(in.Get());
        }
        return value;
    };
    skipSpace();
    const int64_t width = number();
    skipSpace();
    const int64_t height = number();
    skipSpace();
    const int64_t maxValue = number();
    if (tooLong) return srBrokenData;
    if (maxValue > 255) return srUnknownFormat;
    if (maxValue < 1) return srBrokenData;
    const int channels = colour ? 3 : 1;
    if (width < 1 || height < 1) return srBrokenData;
    const uint64_t samples = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * channels;
    if (data.size() - in.Position() < samples) return srBrokenData;
    out.maxValue = static_cast<unsigned>(maxValue);
    return Accept(TPictureFormat::pfPnm, width, height, channels, 4, out);
}

// stb_image (2.27) reads a run-length count of 0 in a Radiance scanline as "copy no bytes" and
// asks for the next count at the same place, for ever; at the end of the data every count reads
// as 0, so any cut-off picture hangs it. This follows its reading of the scanlines and refuses a
// file where it would meet such a count.
bool HdrRunLengthsEnd(TStbReader in, long width, long height) {
    if (width < 8 || width >= 32768) return true;  // read flat
    for (long y = 0; y < height; ++y) {
        const unsigned c1 = in.Get(), c2 = in.Get(), high = in.Get();
        if (c1 != 2 || c2 != 2 || (high & 0x80)) return true;  // flat from here on
        if (static_cast<long>(high << 8 | in.Get()) != width) return true;
        for (int component = 0; component < 4; ++component) {
            for (long x = 0; x < width;) {
                unsigned count = in.Get();
                if (count > 128) {
                    in.Get();
                    count -= 128;
                } else if (count == 0) {
                    return false;
                } else {
                    for (unsigned k = 0; k < count; ++k) in.Get();
                }
                if (static_cast<long>(count) > width - x) return true;  // refused as corrupt
                x += static_cast<long>(count);
            }
        }
    }
    return true;
}

// Radiance HDR as stb_image reads it: header lines up to an empty one, among them the RGBE format,
// then "-Y height +X width" (the only orientation it reads), then the scanlines, flat (4 bytes a
// pixel) or run-length coded (a 4-byte mark, then each component in runs of at most 127).
TSpiResult CheckHdr(std::span<const uint8_t> data, TStbHeader& out) {
    TStbReader in(data);
    in.Line();  // the signature, already known
    bool rgbe = false;
    for (std::string line = in.Line(); !line.empty(); line = in.Line()) rgbe |= line == "FORMAT=32-bit_rle_rgbe";
    if (!rgbe) return srUnknownFormat;
    const std::string size = in.Line();
    if (size.compare(0, 3, "-Y ") != 0) return srUnknownFormat;
    char* rest = nullptr;
    const long height = std::strtol(size.c_str() + 3, &rest, 10);
    while (*rest == ' ') ++rest;
    if (std::strncmp(rest, "+X ", 3) != 0) return srUnknownFormat;
    const long width = std::strtol(rest + 3, nullptr, 10);
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return srBrokenData;
    const uint64_t flat = 4 * static_cast<uint64_t>(width);
    const uint64_t coded = width >= 8 && width < 32768 ? 4 + 8 * CeilDiv(static_cast<uint64_t>(width), 127) : flat;
    if (data.size() - in.Position() < static_cast<uint64_t>(height) * (coded < flat ? coded : flat)) return srBrokenData;
    if (!HdrRunLengthsEnd(in, width, height)) return srBrokenData;
    return Accept(TPictureFormat::pfHdr, width, height, 3, 12, out);  // 3 floats a pixel before 8 bits
}

}  // namespace

TPictureFormat DetectPictureFormat(std::span<const uint8_t> head) {
    if (StartsWith(head, "\x89PNG\r\n\x1a\n")) return TPictureFormat::pfPng;
    if (StartsWith(head, "\xFF\xD8\xFF")) return TPictureFormat::pfJpeg;
    if (StartsWith(head, "GIF87a") || StartsWith(head, "GIF89a")) return TPictureFormat::pfGif;
    if (StartsWith(head, std::string_view("II*\0", 4)) || StartsWith(head, std::string_view("MM\0*", 4)))
        return TPictureFormat::pfTiff;
    if (LooksLikeIco(head)) return TPictureFormat::pfIco;
    if (StartsWith(head, std::string_view("8BPS\0\1", 6))) return TPictureFormat::pfPsd;
    if (head.size() >= 3 && head[0] == 'P' && (head[1] == '5' || head[1] == '6') && IsPnmSpace(head[2]))
        return TPictureFormat::pfPnm;
    if (StartsWith(head, "#?RADIANCE\n") || StartsWith(head, "#?RGBE\n")) return TPictureFormat::pfHdr;
    if (LooksLikeTga(head)) return TPictureFormat::pfTga;
    return TPictureFormat::pfUnknown;
}

bool IsSystemFormat(TPictureFormat format) {
    switch (format) {
    case TPictureFormat::pfPng:
    case TPictureFormat::pfJpeg:
    case TPictureFormat::pfGif:
    case TPictureFormat::pfTiff:
    case TPictureFormat::pfIco: return true;
    default: return false;
    }
}

TSpiResult CheckStbHeader(std::span<const uint8_t> data, TStbHeader& out) {
    out = {};
    switch (DetectPictureFormat(data)) {
    case TPictureFormat::pfTga: return CheckTga(data, out);
    case TPictureFormat::pfPsd: return CheckPsd(data, out);
    case TPictureFormat::pfPnm: return CheckPnm(data, out);
    case TPictureFormat::pfHdr: return CheckHdr(data, out);
    default: return srUnknownFormat;
    }
}

std::span<const uint8_t> StbInput(std::span<const uint8_t> data, const TStbHeader& header,
                                  std::vector<uint8_t>& storage) {
    if (header.format != TPictureFormat::pfPsd || header.psdChannels <= 3) return data;
    storage.assign(data.begin(), data.end());
    storage[12] = 0;  // channel count, big-endian
    storage[13] = 3;
    if (header.psdPackBits) {
        // The row byte counts come channel after channel, before the coded data: the counts of
        // the channels dropped go, the coded data of the first three channels comes first anyway.
        const auto table = static_cast<ptrdiff_t>(header.psdDataAt);
        const auto perChannel = static_cast<ptrdiff_t>(header.height) * 2;
        storage.erase(storage.begin() + table + 3 * perChannel,
                      storage.begin() + table + static_cast<ptrdiff_t>(header.psdChannels) * perChannel);
    }
    return storage;
}
