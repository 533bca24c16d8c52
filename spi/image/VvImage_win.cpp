// The image plug-in's exports (API "00IN"): PNG, JPEG, GIF, TGA, PSD, PNM and HDR through
// stb_image, handed back as a bottom-up DIB in two local-memory blocks.
#include <windows.h>

#include <iterator>
#include <memory>
#include <vector>

#include "spi/common/FileSource_win.h"
#include "spi/common/OutgoingBlock_win.h"
#include "spi/common/SusieApi_win.h"
#include "spi/image/PictureDecoder.h"

namespace {

// GetPluginInfo's entries: API version, name, then one pattern and description per format.
const char* const kPluginInfo[] = {
    "00IN",
    "Vardeno View image plug-in 1.0 (stb_image)",
    "*.png",
    "PNG",
    "*.jpg;*.jpeg;*.jpe;*.jfif",
    "JPEG",
    "*.gif",
    "GIF (first frame)",
    "*.tga;*.tpic",
    "TGA",
    "*.psd",
    "Photoshop PSD (composite)",
    "*.pgm;*.ppm;*.pnm",
    "PNM (binary PGM/PPM)",
    "*.hdr",
    "Radiance HDR",
};

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
    r = ReadPictureLayout(data, layout);
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
    TDecodedPicture picture;
    r = picture.Decode(bytes, progress);
    if (r != srSuccess) return r;
    std::vector<uint8_t>().swap(storage);  // the file's bytes are done with: their memory goes to the DIB

    TOutgoingBlock info, bits;
    if ((r = info.Allocate(picture.Layout().infoSize, false)) != srSuccess) return r;
    if ((r = bits.Allocate(picture.Layout().bitsSize, false)) != srSuccess) return r;
    picture.WriteInfo(info.Data());
    if (!picture.WriteBits(bits.Data(), progress)) return srAborted;
    *pHBInfo = info.Release();
    *pHBm = bits.Release();
    return srSuccess;
}

}  // namespace

SPI_EXPORT int WINAPI GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono < 0 || infono >= static_cast<int>(std::size(kPluginInfo))) return 0;
    return CopyToCallerBuffer(kPluginInfo[infono], buf, buflen);
}

SPI_EXPORT int WINAPI IsSupported(LPCSTR /*filename: the content decides*/, ULONG_PTR dw) {
    return AnswerIsSupported(dw, kHeadSize,
                             [](std::span<const uint8_t> head) { return DetectPictureFormat(head) != TPictureFormat::pfUnknown; });
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
