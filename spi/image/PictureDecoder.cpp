#include "spi/image/PictureDecoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "spi/image/StbConfig.h"

namespace {

bool StartsWith(std::span<const uint8_t> head, std::string_view magic) {
    return head.size() >= magic.size() && std::memcmp(head.data(), magic.data(), magic.size()) == 0;
}

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

bool IsPnmSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Two faults of stb_image (2.27, as Debian ships it) with forged JPEG Huffman tables:
// - it builds a table from a DHT segment before it checks that the segment's code counts fit the
//   table's 256 entries, so a forged segment writes past the table;
// - it does not clear its tables, so a scan that names a table no DHT segment defined decodes
//   with whatever the memory held, and reads outside the table.
// This walks the markers as stb_image does (segments by their length, bytes between them one by
// one) and refuses a file with such a segment or scan anywhere. Past the end of the data
// stb_image reads zeros, and so does this.
bool JpegHuffmanTablesSound(std::span<const uint8_t> data) {
    auto byteAt = [&data](size_t i) -> unsigned { return i < data.size() ? data[i] : 0; };
    bool defined[2][4] = {};  // [DC, AC][table]
    bool progressive = false;
    for (size_t i = 2; i + 1 < data.size();) {
        const unsigned marker = data[i + 1];
        if (data[i] != 0xFF || marker == 0xFF) {
            ++i;  // entropy-coded data, fill bytes, garbage
            continue;
        }
        if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2;  // stuffed 0xFF, markers without a segment
            continue;
        }
        if (marker == 0xD9) break;  // end of image
        const size_t end = i + 2 + (byteAt(i + 2) << 8 | byteAt(i + 3));
        if (marker == 0xC2) progressive = true;
        if (marker == 0xC4) {
            // One table after the other while the segment has bytes left: class and number, 16
            // code counts, then as many values as the counts add up to.
            for (size_t p = i + 4; p < end;) {
                const unsigned tc = byteAt(p) >> 4, th = byteAt(p) & 15;
                unsigned sum = 0;
                for (size_t k = 1; k <= 16; ++k) sum += byteAt(p + k);
                if (sum > 256) return false;
                if (tc <= 1 && th <= 3) defined[tc][th] = true;
                p += 17 + sum;
            }
        }
        if (marker == 0xDA) {
            // Scan header: component count, then per component its id and its DC and AC tables,
            // then the spectral start and the successive approximation.
            const unsigned count = byteAt(i + 4);
            const size_t after = i + 5 + 2 * count;
            const bool dcFirst = byteAt(after) == 0 && (byteAt(after + 2) >> 4) == 0;
            const bool usesDc = !progressive || dcFirst, usesAc = !progressive || byteAt(after) != 0;
            for (unsigned c = 0; c < count; ++c) {
                const unsigned dc = byteAt(i + 6 + 2 * c) >> 4, ac = byteAt(i + 6 + 2 * c) & 15;
                if ((usesDc && dc <= 3 && !defined[0][dc]) || (usesAc && ac <= 3 && !defined[1][ac])) return false;
            }
        }
        i = std::max(end, i + 4);
    }
    return true;
}

// Bytes read the way stb_image reads them: zeros past the end.
class THdrReader {
public:
    explicit THdrReader(std::span<const uint8_t> data) : data_(data) {}
    unsigned Get() { return pos_ < data_.size() ? data_[pos_++] : 0; }
    bool AtEnd() const { return pos_ >= data_.size(); }
    // A header line as stb_image takes it: up to '\n', the last byte before the end dropped,
    // longer lines cut at 1023 characters.
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
        return line;
    }

private:
    std::span<const uint8_t> data_;
    size_t pos_ = 0;
};

// stb_image (2.27) reads a run-length count of 0 in a Radiance scanline as "copy no bytes" and
// asks for the next count at the same place, for ever; at the end of the data every count reads
// as 0, so any cut-off picture hangs it. This follows its reading of the header and scanlines and
// refuses a file where it would meet such a count. Anything it would reject itself passes here.
bool HdrRunLengthsEnd(std::span<const uint8_t> data) {
    THdrReader in(data);
    in.Line();  // the signature, already checked
    bool rle = false;
    for (std::string line = in.Line(); !line.empty(); line = in.Line()) rle |= line == "FORMAT=32-bit_rle_rgbe";
    const std::string size = in.Line();
    if (!rle || size.compare(0, 3, "-Y ") != 0) return true;
    char* rest = nullptr;
    const long height = std::strtol(size.c_str() + 3, &rest, 10);
    while (*rest == ' ') ++rest;
    if (std::strncmp(rest, "+X ", 3) != 0) return true;
    const long width = std::strtol(rest + 3, nullptr, 10);
    if (width < 8 || width >= 32768 || height <= 0 || height > (1 << 24)) return true;  // read flat, or refused

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

// Data that the decoder must not see: known faults of the decoder, not of the data.
bool SafeForDecoder(TPictureFormat format, std::span<const uint8_t> data) {
    switch (format) {
    case TPictureFormat::pfJpeg: return JpegHuffmanTablesSound(data);
    case TPictureFormat::pfHdr: return HdrRunLengthsEnd(data);
    default: return true;
    }
}

// stb_image keeps only a short reason; running out of memory is the one that is not the data's fault.
TSpiResult FailureResult() {
    const char* reason = stbi_failure_reason();
    return reason && std::strcmp(reason, "outofmem") == 0 ? srNoMemory : srBrokenData;
}

int ClampedSize(std::span<const uint8_t> data) {
    return data.size() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(data.size());
}

// Composes a colour over white with the given opacity.
uint8_t OverWhite(uint8_t c, uint8_t alpha) { return static_cast<uint8_t>((c * alpha + 255 * (255 - alpha) + 127) / 255); }

}  // namespace

TPictureFormat DetectPictureFormat(std::span<const uint8_t> head) {
    if (StartsWith(head, "\x89PNG\r\n\x1a\n")) return TPictureFormat::pfPng;
    if (StartsWith(head, "\xFF\xD8\xFF")) return TPictureFormat::pfJpeg;
    if (StartsWith(head, "GIF87a") || StartsWith(head, "GIF89a")) return TPictureFormat::pfGif;
    if (StartsWith(head, std::string_view("8BPS\0\1", 6))) return TPictureFormat::pfPsd;
    if (head.size() >= 3 && head[0] == 'P' && (head[1] == '5' || head[1] == '6') && IsPnmSpace(head[2]))
        return TPictureFormat::pfPnm;
    if (StartsWith(head, "#?RADIANCE\n") || StartsWith(head, "#?RGBE\n")) return TPictureFormat::pfHdr;
    if (LooksLikeTga(head)) return TPictureFormat::pfTga;
    return TPictureFormat::pfUnknown;
}

TSpiResult PlanDib(int width, int height, int channels, TDibLayout& out) {
    if (width <= 0 || height <= 0 || channels < 1 || channels > 4) return srBrokenData;
    TDibLayout l;
    l.width = width;
    l.height = height;
    l.bitCount = channels <= 2 ? 8 : 24;
    l.paletteEntries = l.bitCount == 8 ? 256 : 0;
    const uint64_t stride = (static_cast<uint64_t>(width) * l.bitCount + 31) / 32 * 4;
    const uint64_t bits = stride * static_cast<uint64_t>(height);
    if (bits > 0x7FFFFFFF) return srNoMemory;
    l.stride = static_cast<uint32_t>(stride);
    l.bitsSize = static_cast<uint32_t>(bits);
    l.infoSize = kBitmapInfoHeaderSize + 4 * l.paletteEntries;
    out = l;
    return srSuccess;
}

TSpiResult ReadPictureLayout(std::span<const uint8_t> data, TDibLayout& out) {
    const TPictureFormat format = DetectPictureFormat(data);
    if (format == TPictureFormat::pfUnknown) return srUnknownFormat;
    if (!SafeForDecoder(format, data)) return srBrokenData;
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data.data(), ClampedSize(data), &width, &height, &channels)) return FailureResult();
    // stb_image counts a palette PNG as one channel until it has expanded the palette.
    if (format == TPictureFormat::pfPng && data.size() > 25 && data[25] == 3) channels = 3;
    return PlanDib(width, height, channels, out);
}

TDecodedPicture::~TDecodedPicture() { stbi_image_free(pixels_); }

TSpiResult TDecodedPicture::Decode(std::span<const uint8_t> data, const TProgress& progress) {
    stbi_image_free(pixels_);
    pixels_ = nullptr;
    TDibLayout planned;
    const TSpiResult header = ReadPictureLayout(data, planned);
    if (header != srSuccess) return header;
    if (progress && !progress(0, static_cast<uint64_t>(planned.height))) return srAborted;

    int width = 0, height = 0, channels = 0;
    pixels_ = stbi_load_from_memory(data.data(), ClampedSize(data), &width, &height, &channels, 0);
    if (!pixels_) return FailureResult();
    channels_ = channels;
    return PlanDib(width, height, channels, layout_);
}

void TDecodedPicture::WriteInfo(uint8_t* dest) const {
    std::memset(dest, 0, layout_.infoSize);
    auto put32 = [dest](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) dest[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(0, kBitmapInfoHeaderSize);
    put32(4, static_cast<uint32_t>(layout_.width));
    put32(8, static_cast<uint32_t>(layout_.height));  // positive: bottom-up
    dest[12] = 1;                                      // planes
    dest[14] = static_cast<uint8_t>(layout_.bitCount);
    put32(20, layout_.bitsSize);
    put32(32, layout_.paletteEntries);
    for (uint32_t i = 0; i < layout_.paletteEntries; ++i) {
        uint8_t* entry = dest + kBitmapInfoHeaderSize + 4 * i;
        entry[0] = entry[1] = entry[2] = static_cast<uint8_t>(i);
    }
}

bool TDecodedPicture::WriteBits(uint8_t* dest, const TProgress& progress) const {
    const auto width = static_cast<size_t>(layout_.width);
    const auto height = static_cast<size_t>(layout_.height);
    const auto channels = static_cast<size_t>(channels_);
    for (size_t y = 0; y < height; ++y) {
        if (progress && y % 64 == 0 && !progress(y, height)) return false;
        const uint8_t* src = pixels_ + y * width * channels;
        uint8_t* row = dest + (height - 1 - y) * layout_.stride;  // bottom-up
        uint8_t* p = row;
        switch (channels) {
        case 1:
            std::memcpy(p, src, width);
            p += width;
            break;
        case 2:
            for (size_t x = 0; x < width; ++x, src += 2) *p++ = OverWhite(src[0], src[1]);
            break;
        case 3:
            for (size_t x = 0; x < width; ++x, src += 3) {
                *p++ = src[2];
                *p++ = src[1];
                *p++ = src[0];
            }
            break;
        default:
            for (size_t x = 0; x < width; ++x, src += 4) {
                *p++ = OverWhite(src[2], src[3]);
                *p++ = OverWhite(src[1], src[3]);
                *p++ = OverWhite(src[0], src[3]);
            }
            break;
        }
        std::memset(p, 0, layout_.stride - static_cast<size_t>(p - row));  // row padding
    }
    return !progress || progress(height, height);
}
