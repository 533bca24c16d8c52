// Writes the imaging tests' own sample pictures as fuzz seeds: BMP files for the BMP reader, the
// same without their file header for the clipboard reader, the same split into the two blocks a
// plug-in hands back for the framing, and the RLE streams.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "imaging/BmpBuilder.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& dir, const std::string& name, const TBytes& bytes) {
    fs::create_directories(dir);
    std::ofstream out(dir / ("seed_" + name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A BMP file as a plug-in hands the picture back: the length of the bitmap-info block (16 bits),
// that block (the file from its information header up to its pixels), then the pixel block.
TBytes AsPluginBlocks(const TBytes& bmp) {
    const uint32_t offBits = Get32At(bmp, 10);
    const size_t infoLength = offBits - 14;
    TBytes out = {uint8_t(infoLength), uint8_t(infoLength >> 8)};
    out.insert(out.end(), bmp.begin() + 14, bmp.end());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds CORPUS_FOLDER\n");
        return 2;
    }
    const fs::path root = argv[1];
    for (const auto& s : BmpSamples()) {
        Write(root / "bmp", s.name, s.bytes);
        Write(root / "clipboard", s.name, TBytes(s.bytes.begin() + 14, s.bytes.end()));
        Write(root / "spidib", s.name, AsPluginBlocks(s.bytes));
    }
    for (const auto& s : Rle8Samples()) Write(root / "rle8", s.name, s.bytes);
    for (const auto& s : Rle4Samples()) Write(root / "rle4", s.name, s.bytes);
    return 0;
}
