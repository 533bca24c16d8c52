// pxconv: checks the DIB library against other tools from a shell.
//   pxconv [OPTIONS] IN.bmp OUT.bmp   reads a BMP, applies the options and writes it with the library's writer
//   pxconv [OPTIONS] --info IN.bmp    prints what the reader (and the options) made of it
// Options, applied in this order after reading:
//   --method 0|1          colour reduction: 0 = Low (16-bit colour cells), 1 = High (every pixel); default 0
//   --mono RRGGBB         the colour that becomes white when reducing to 1 bit (hex); default FFFFFF
//   --format F            converts to pxf1Bit, pxf4Bit, pxf4BitRLE, pxf8Bit, pxf8BitRLE or pxf24Bit
//   --truecolor-palette   gives a 24-bit picture a colour table of up to 256 colours
// On failure it prints the exception's class and message and exits with status 1; bad arguments
// print the usage and exit with status 2.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "imaging/PxGraph.h"
#include "toolkit/FileStream.h"
#include "toolkit/TextUtil.h"

namespace {

const char* CompressionName(uint32_t compression) {
    switch (compression) {
    case kBiRgb: return "BI_RGB";
    case kBiRle8: return "BI_RLE8";
    case kBiRle4: return "BI_RLE4";
    case kBiBitfields: return "BI_BITFIELDS";
    default: return "unknown";
    }
}

void PrintInfo(const DIBInfos& infos) {
    const TBitmapInfoHeader& h = infos.Header;
    std::printf("width: %d\n", h.biWidth);
    std::printf("height: %lld%s\n", std::llabs(h.biHeight), h.biHeight < 0 ? " (top-down)" : "");
    std::printf("bit count: %u\n", unsigned{h.biBitCount});
    std::printf("compression: %u (%s)\n", unsigned{h.biCompression}, CompressionName(h.biCompression));
    std::printf("colours: %u\n", unsigned{h.biClrUsed});
    std::printf("bits size: %d\n", infos.BitsSize);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: pxconv [OPTIONS] IN.bmp OUT.bmp\n"
                 "       pxconv [OPTIONS] --info IN.bmp\n"
                 "options: --format pxf1Bit|pxf4Bit|pxf4BitRLE|pxf8Bit|pxf8BitRLE|pxf24Bit\n"
                 "         --method 0|1   --mono RRGGBB   --truecolor-palette\n");
    return 2;
}

std::optional<TPxPixelFormat> ParseFormat(const std::string& name) {
    static const struct {
        const char* name;
        TPxPixelFormat format;
    } kFormats[] = {{"pxf1Bit", pxf1Bit}, {"pxf4Bit", pxf4Bit}, {"pxf4BitRLE", pxf4BitRLE},
                    {"pxf8Bit", pxf8Bit}, {"pxf8BitRLE", pxf8BitRLE}, {"pxf24Bit", pxf24Bit}};
    for (const auto& f : kFormats) {
        if (name == f.name) return f.format;
    }
    return std::nullopt;
}

// RRGGBB in hex as a colour value 0x00BBGGRR.
std::optional<uint32_t> ParseColour(const std::string& text) {
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return std::nullopt;
    const uint32_t rgb = static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

struct TOptions {
    bool info = false;
    std::optional<TPxPixelFormat> format;
    bool trueColorPalette = false;
    uint8_t method = 0;
    uint32_t mono = kWhite;
    std::vector<std::string> files;
};

std::optional<TOptions> ParseArgs(const std::vector<std::string>& args) {
    TOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--info") {
            o.info = true;
        } else if (a == "--truecolor-palette") {
            o.trueColorPalette = true;
        } else if (a == "--format" && hasValue) {
            o.format = ParseFormat(args[++i]);
            if (!o.format) return std::nullopt;
        } else if (a == "--method" && hasValue) {
            const std::string& m = args[++i];
            if (m != "0" && m != "1") return std::nullopt;
            o.method = static_cast<uint8_t>(m[0] - '0');
        } else if (a == "--mono" && hasValue) {
            const std::optional<uint32_t> colour = ParseColour(args[++i]);
            if (!colour) return std::nullopt;
            o.mono = *colour;
        } else if (a.starts_with("--")) {
            return std::nullopt;
        } else {
            o.files.push_back(a);
        }
    }
    if (o.files.size() != (o.info ? 1u : 2u)) return std::nullopt;
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<TOptions> options = ParseArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) return Usage();
    try {
        // The file itself is the reader's stream: the pixels go straight into their store, and the
        // writer writes them from there.
        TFileStream in(Utf8ToWide(options->files[0]), fmOpenRead | fmShareDenyWrite);
        if (options->info && !options->format && !options->trueColorPalette) {
            PrintInfo(TPxInternalDIB::ReadBmpInfos(in));  // the headers say it all: no pixels are read
            return 0;
        }
        TPxDIB dib;
        dib.LoadFromStream(in);
        dib.ReductionMethod = options->method;
        dib.MonochromeColor = options->mono;
        if (options->format) dib.SetPixelFormat(*options->format);
        if (options->trueColorPalette) dib.CreateTrueColorPalette();
        if (options->info) {
            PrintInfo(dib.InternalDIB().Infos());
        } else {
            TFileStream out(Utf8ToWide(options->files[1]), fmCreate);
            dib.SaveToStream(out);
        }
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s: %s\n", e.ClassName(), e.what());
        return 1;
    }
    return 0;
}
