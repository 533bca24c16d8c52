// The image plug-in's exports (API "00IN"): PNG, JPEG, GIF, TIFF, ICO and any other format with an
// installed decoder through the Windows Imaging Component, TGA, PSD, PNM and HDR through stb_image,
// handed back as a bottom-up DIB in two local-memory blocks.
#include <windows.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "spi/common/FileSource_win.h"
#include "spi/common/OutgoingBlock_win.h"
#include "spi/common/SusieApi_win.h"
#include "spi/image/PictureDecoder.h"
#include "spi/image/WicPicture_win.h"

namespace {

// The formats read through stb_image; the system's decoders are listed after them as installed.
const char* const kStbFormats[][2] = {
    {"*.tga;*.tpic", "TGA"},
    {"*.psd", "Photoshop PSD (composite)"},
    {"*.pgm;*.ppm;*.pnm", "PNM (binary PGM/PPM, 8 bits)"},
    {"*.hdr", "Radiance HDR"},
};

// GetPluginInfo's entries: API version, name, then one pattern and description per format. A
// system decoder whose extensions stb_image's formats already cover adds nothing.
std::vector<std::string> MakePluginInfo() {
    std::vector<std::string> info = {"00IN", "Vardeno View image plug-in 2.0 (Windows Imaging Component, stb_image)"};
    std::string stbPatterns;
    for (const auto& f : kStbFormats) {
        info.insert(info.end(), {f[0], f[1]});
        stbPatterns += std::string(f[0]) + ";";
    }
    for (const TWicFormat& f : WicFormats()) {
        bool covered = false;
        for (size_t start = 0; start < f.patterns.size();) {
            size_t end = f.patterns.find(';', start);
            if (end == std::string::npos) end = f.patterns.size();
            covered |= stbPatterns.find(f.patterns.substr(start, end - start) + ";") != std::string::npos;
            start = end + 1;
        }
        if (!covered) info.insert(info.end(), {f.patterns, f.description.empty() ? f.patterns : f.description});
    }
    return info;
}

// TGA, PSD, PNM and HDR go to stb_image; everything else to the system.
bool ReadByStb(std::span<const uint8_t> data) {
    const TPictureFormat format = DetectPictureFormat(data);
    return format != TPictureFormat::pfUnknown && !IsSystemFormat(format);
}

constexpr size_t kHeadSize = 2048;
// A picture file is decoded from one buffer; beyond this it could not be decoded in 32 bits anyway.
constexpr uint64_t kMaxFileSize = uint64_t{1} << 30;

// The export's input as one span of bytes: the caller's own memory, or the file read into storage.
TSpiResult LoadInput(LPCSTR buf, LONG_PTR len, UINT flag, std::vector<uint8_t>& storage,
                     std::span<const uint8_t>& data) {
    std::unique_ptr<TByteSource> source;
    TSpiResult r = OpenInput(buf, len, flag, source);
    if (r != srSuccess) return r;
    if ((flag & kSusieInputMask) == kSusieInputMemory) {
        data = std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(buf), static_cast<size_t>(len));
        return srSuccess;
    }
    r = ReadAll(*source, storage, kMaxFileSize);
    data = storage;
    return r;
}

TSpiResult PictureInfo(LPCSTR buf, LONG_PTR len, UINT flag, TSusiePictureInfo* info) {
    if (!info) return srInternalError;
    std::vector<uint8_t> storage;
    std::span<const uint8_t> data;
    TSpiResult r = LoadInput(buf, len, flag, storage, data);
    if (r != srSuccess) return r;
    TDibLayout layout;
    if (ReadByStb(data)) {
        r = ReadStbLayout(data, layout);
    } else {
        TWicPicture picture;
        r = picture.Decode(data);
        layout = picture.Layout();
    }
    if (r != srSuccess) return r;
    *info = {};
    info->width = layout.width;
    info->height = layout.height;
    info->colorDepth = static_cast<SHORT>(layout.bitCount);
    return srSuccess;
}

TSpiResult Picture(LPCSTR buf, LONG_PTR len, UINT flag, HANDLE* pHBInfo, HANDLE* pHBm, FARPROC callback,
                   LONG_PTR data) {
    if (!pHBInfo || !pHBm) return srInternalError;
    *pHBInfo = nullptr;
    *pHBm = nullptr;
    std::vector<uint8_t> storage;
    std::span<const uint8_t> bytes;
    TSpiResult r = LoadInput(buf, len, flag, storage, bytes);
    if (r != srSuccess) return r;

    const TProgress progress = MakeProgress(callback, data);
    const bool stb = ReadByStb(bytes);
    std::unique_ptr<TPictureDecoder> picture;
    if (stb)
        picture = std::make_unique<TStbPicture>();
    else
        picture = std::make_unique<TWicPicture>();
    r = picture->Decode(bytes, progress);
    if (r != srSuccess) return r;
    // stb_image has taken everything from the file's bytes: their memory goes to the DIB. The
    // system's decoders read them until the rows are written.
    if (stb) std::vector<uint8_t>().swap(storage);

    TOutgoingBlock info, bits;
    if ((r = info.Allocate(picture->Layout().infoSize, false)) != srSuccess) return r;
    if ((r = bits.Allocate(picture->Layout().bitsSize, false)) != srSuccess) return r;
    picture->WriteInfo(info.Data());
    if ((r = picture->WriteBits(bits.Data(), progress)) != srSuccess) return r;
    *pHBInfo = info.Release();
    *pHBm = bits.Release();
    return srSuccess;
}

}  // namespace

SPI_EXPORT int WINAPI GetPluginInfo(int infono, LPSTR buf, int buflen) {
    try {
        // Asked for once: the installed decoders do not change while a host runs.
        static const std::vector<std::string> info = MakePluginInfo();
        if (infono < 0 || infono >= static_cast<int>(info.size())) return 0;
        return CopyToCallerBuffer(info[static_cast<size_t>(infono)].c_str(), buf, buflen);
    } catch (...) {
        return 0;  // nothing written
    }
}

SPI_EXPORT int WINAPI IsSupported(LPCSTR /*filename: the content decides*/, ULONG_PTR dw) {
    return AnswerIsSupported(dw, kHeadSize, [](std::span<const uint8_t> head) {
        return DetectPictureFormat(head) != TPictureFormat::pfUnknown || WicRecognises(head);
    });
}

SPI_EXPORT int WINAPI GetPictureInfo(LPCSTR buf, LONG_PTR len, UINT flag, TSusiePictureInfo* lpInfo) {
    return Guarded([&] { return PictureInfo(buf, len, flag, lpInfo); });
}

SPI_EXPORT int WINAPI GetPicture(LPCSTR buf, LONG_PTR len, UINT flag, HANDLE* pHBInfo, HANDLE* pHBm,
                                 FARPROC lpPrgressCallback, LONG_PTR lData) {
    return Guarded([&] { return Picture(buf, len, flag, pHBInfo, pHBm, lpPrgressCallback, lData); });
}

// Previews would be the whole picture again; callers fall back on GetPicture.
SPI_EXPORT int WINAPI GetPreview(LPCSTR, LONG_PTR, UINT, HANDLE*, HANDLE*, FARPROC, LONG_PTR) {
    return srNotImplemented;
}
