// pxconv: checks the DIB library against other tools from a shell.
//   pxconv IN.bmp OUT.bmp   reads a BMP and writes it back with the library's writer
//   pxconv --info IN.bmp    prints what the reader made of it
// On failure it prints the exception's class and message and exits with status 1.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/PxDIB.h"
#include "toolkit/Streams.h"
#include "toolkit/TextUtil.h"

namespace {

void ReadFile(const std::string& path, TMemoryStream& stream) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EFOpenError(FormatW(L"ファイル %s を開けません。", {Utf8ToWide(path)}));
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw EReadError(FormatW(L"ファイル %s を読み込めません。", {Utf8ToWide(path)}));
    stream.LoadFromBuffer(bytes.data(), bytes.size());
}

void WriteFile(const std::string& path, const TMemoryStream& stream) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw EFCreateError(FormatW(L"ファイル %s を作成できません。", {Utf8ToWide(path)}));
    out.write(reinterpret_cast<const char*>(stream.Memory()), static_cast<std::streamsize>(stream.Length()));
    out.close();
    if (!out) throw EWriteError(FormatW(L"ファイル %s に書き込めません。", {Utf8ToWide(path)}));
}

const char* CompressionName(uint32_t compression) {
    switch (compression) {
    case kBiRgb: return "BI_RGB";
    case kBiRle8: return "BI_RLE8";
    case kBiRle4: return "BI_RLE4";
    case kBiBitfields: return "BI_BITFIELDS";
    default: return "unknown";
    }
}

void PrintInfo(const TPxInternalDIB& dib) {
    const TBitmapInfoHeader& h = dib.Infos().Header;
    std::printf("width: %d\n", dib.Width());
    std::printf("height: %d%s\n", dib.Height(), h.biHeight < 0 ? " (top-down)" : "");
    std::printf("bit count: %u\n", unsigned{h.biBitCount});
    std::printf("compression: %u (%s)\n", unsigned{h.biCompression}, CompressionName(h.biCompression));
    std::printf("colours: %u\n", unsigned{h.biClrUsed});
    std::printf("bits size: %d\n", dib.Infos().BitsSize);
}

int Usage() {
    std::fprintf(stderr, "usage: pxconv IN.bmp OUT.bmp\n       pxconv --info IN.bmp\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() != 2) return Usage();
    try {
        TMemoryStream in;
        TPxInternalDIB dib;
        if (args[0] == "--info") {
            ReadFile(args[1], in);
            dib.LoadFromStream(in);
            PrintInfo(dib);
        } else {
            ReadFile(args[0], in);
            dib.LoadFromStream(in);
            TMemoryStream out;
            dib.SaveToStream(out);
            WriteFile(args[1], out);
        }
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s: %s\n", e.ClassName(), e.what());
        return 1;
    }
    return 0;
}
