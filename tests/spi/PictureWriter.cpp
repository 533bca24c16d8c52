#include "spi/PictureWriter.h"

#include <map>
#include <stdexcept>

#include "spi/StbWrite.h"

namespace {

void Collect(void* context, void* data, int size) {
    auto* out = static_cast<TBytes*>(context);
    const auto* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

// GIF's LZW without compression: every pixel is sent as its own literal code, and the code table
// is cleared before it would need codes wider than 9 bits.
class TGifCodeWriter {
public:
    explicit TGifCodeWriter(TBytes& out) : out_(out) {}
    void Put(unsigned code) {
        bits_ |= code << count_;
        count_ += 9;
        while (count_ >= 8) {
            Byte(static_cast<uint8_t>(bits_));
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    void Finish() {
        if (count_ > 0) Byte(static_cast<uint8_t>(bits_));
        if (!block_.empty()) Flush();
        out_.push_back(0);
    }

private:
    void Byte(uint8_t b) {
        block_.push_back(b);
        if (block_.size() == 255) Flush();
    }
    void Flush() {
        out_.push_back(static_cast<uint8_t>(block_.size()));
        out_.insert(out_.end(), block_.begin(), block_.end());
        block_.clear();
    }
    TBytes& out_;
    TBytes block_;
    unsigned bits_ = 0;
    int count_ = 0;
};

}  // namespace

TPixels MakePixels(int width, int height, int channels) {
    TPixels p{width, height, channels, {}};
    p.data.resize(static_cast<size_t>(width) * height * channels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* px = &p.data[(static_cast<size_t>(y) * width + x) * channels];
            const int colour = (channels == 2 || channels == 4) ? channels - 1 : channels;
            for (int c = 0; c < colour; ++c) px[c] = static_cast<uint8_t>((x * 40 + y * 70 + c * 90 + 13) % 256);
            if (colour != channels) px[colour] = static_cast<uint8_t>((x + y) % 3 == 0 ? 0 : (x + y) % 3 == 1 ? 128 : 255);
        }
    }
    return p;
}

TBytes WritePng(const TPixels& p) {
    TBytes out;
    stbi_write_png_to_func(Collect, &out, p.width, p.height, p.channels, p.data.data(), p.width * p.channels);
    return out;
}

TBytes WriteTga(const TPixels& p, bool rle) {
    TBytes out;
    stbi_write_tga_with_rle = rle ? 1 : 0;
    stbi_write_tga_to_func(Collect, &out, p.width, p.height, p.channels, p.data.data());
    return out;
}

TBytes WriteJpeg(const TPixels& p, int quality) {
    TBytes out;
    stbi_write_jpg_to_func(Collect, &out, p.width, p.height, p.channels, p.data.data(), quality);
    return out;
}

TBytes WriteHdr(const TPixels& p) {
    std::vector<float> linear(p.data.size());
    for (size_t i = 0; i < p.data.size(); ++i) linear[i] = static_cast<float>(p.data[i]) / 255.0f;
    TBytes out;
    stbi_write_hdr_to_func(Collect, &out, p.width, p.height, p.channels, linear.data());
    return out;
}

TBytes WritePnm(const TPixels& p) {
    const std::string header =
        std::string(p.channels == 1 ? "P5" : "P6") + "\n" + std::to_string(p.width) + " " + std::to_string(p.height) + "\n255\n";
    TBytes out(header.begin(), header.end());
    out.insert(out.end(), p.data.begin(), p.data.end());
    return out;
}

TBytes WriteGif(const TPixels& p) {
    if (p.channels != 3 && p.channels != 4) throw std::invalid_argument("GIF needs RGB");
    // Palette index 0 is kept for transparency.
    std::map<uint32_t, uint8_t> palette;
    std::vector<uint8_t> indices;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* px = p.At(x, y);
            if (p.channels == 4 && px[3] == 0) {
                indices.push_back(0);
                continue;
            }
            const uint32_t key = px[0] << 16 | px[1] << 8 | px[2];
            auto it = palette.find(key);
            if (it == palette.end()) {
                if (palette.size() == 255) throw std::invalid_argument("too many colours for GIF");
                it = palette.emplace(key, static_cast<uint8_t>(palette.size() + 1)).first;
            }
            indices.push_back(it->second);
        }
    }
    TBytes out = {'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&out](int v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    put16(p.width);
    put16(p.height);
    out.push_back(0xF7);  // global colour table of 256 entries
    out.push_back(0);
    out.push_back(0);
    TBytes table(768, 0);
    for (auto [key, index] : palette) {
        table[index * 3] = static_cast<uint8_t>(key >> 16);
        table[index * 3 + 1] = static_cast<uint8_t>(key >> 8);
        table[index * 3 + 2] = static_cast<uint8_t>(key);
    }
    out.insert(out.end(), table.begin(), table.end());
    // Graphic control extension: index 0 is transparent.
    out.insert(out.end(), {0x21, 0xF9, 4, 1, 0, 0, 0, 0});
    out.push_back(0x2C);
    put16(0);
    put16(0);
    put16(p.width);
    put16(p.height);
    out.push_back(0);
    out.push_back(8);  // minimum code size
    TGifCodeWriter codes(out);
    const unsigned kClear = 256, kEnd = 257;
    codes.Put(kClear);
    int sinceClear = 0;
    for (uint8_t index : indices) {
        if (sinceClear == 250) {
            codes.Put(kClear);
            sinceClear = 0;
        }
        codes.Put(index);
        ++sinceClear;
    }
    codes.Put(kEnd);
    codes.Finish();
    out.push_back(0x3B);
    return out;
}

TPixels ReadNetpbm(const TBytes& file) {
    TPixels p;
    p.channels = file.at(1) == '6' ? 3 : 1;
    size_t at = 3;
    auto number = [&] {
        int v = 0;
        while (file.at(at) >= '0' && file.at(at) <= '9') v = v * 10 + (file[at++] - '0');
        ++at;
        return v;
    };
    p.width = number();
    p.height = number();
    number();  // maximum value, 255
    p.data.assign(file.begin() + static_cast<ptrdiff_t>(at), file.end());
    return p;
}

std::array<int, 3> OverWhite(const TPixels& p, int x, int y, bool binaryAlpha) {
    const uint8_t* px = p.At(x, y);
    const bool hasAlpha = p.channels == 2 || p.channels == 4;
    const int colour = hasAlpha ? p.channels - 1 : p.channels;
    std::array<int, 3> c = colour == 1 ? std::array<int, 3>{px[0], px[0], px[0]} : std::array<int, 3>{px[0], px[1], px[2]};
    const int alpha = hasAlpha ? px[colour] : 255;
    if (binaryAlpha || alpha == 0 || alpha == 255) return alpha == 0 ? std::array<int, 3>{255, 255, 255} : c;
    for (int& v : c) v = (v * alpha + 255 * (255 - alpha)) / 255;
    return c;
}
