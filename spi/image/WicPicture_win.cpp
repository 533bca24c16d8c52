#include "spi/image/WicPicture_win.h"

#include <algorithm>

namespace {

template <class Interface>
void** Out(TComPtr<Interface>& p) {
    return reinterpret_cast<void**>(p.put());
}

// One band of rows goes through the converter at a time: progress can be heard between bands, and
// the buffer stays small for wide pictures.
constexpr size_t kBandBytes = size_t{4} << 20;
constexpr UINT kMaxBandRows = 64;

HRESULT CreateFactory(TComPtr<IWICImagingFactory>& factory) {
    return CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                            Out(factory));
}

// A stream over bytes the caller keeps; the stream only reads them.
HRESULT CreateMemoryStream(IWICImagingFactory* factory, std::span<const uint8_t> data, TComPtr<IWICStream>& stream) {
    HRESULT hr = factory->CreateStream(stream.put());
    if (FAILED(hr)) return hr;
    return stream->InitializeFromMemory(const_cast<BYTE*>(data.data()), static_cast<DWORD>(data.size()));
}

bool IsGreyFormat(const GUID& f) {
    return f == GUID_WICPixelFormatBlackWhite || f == GUID_WICPixelFormat2bppGray || f == GUID_WICPixelFormat4bppGray ||
           f == GUID_WICPixelFormat8bppGray || f == GUID_WICPixelFormat16bppGray;
}

bool IsIndexedFormat(const GUID& f) {
    return f == GUID_WICPixelFormat1bppIndexed || f == GUID_WICPixelFormat2bppIndexed ||
           f == GUID_WICPixelFormat4bppIndexed || f == GUID_WICPixelFormat8bppIndexed;
}

// Calls fn(info) for each installed decoder except BMP until it answers true.
template <class Fn>
HRESULT ForEachDecoder(IWICImagingFactory* factory, Fn fn) {
    TComPtr<IEnumUnknown> list;
    HRESULT hr = factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, list.put());
    if (FAILED(hr)) return hr;
    for (;;) {
        TComPtr<IUnknown> item;
        ULONG fetched = 0;
        if (list->Next(1, item.put(), &fetched) != S_OK || fetched != 1) return S_OK;
        TComPtr<IWICBitmapDecoderInfo> info;
        if (FAILED(item->QueryInterface(IID_IWICBitmapDecoderInfo, Out(info)))) continue;
        GUID container{};
        if (FAILED(info->GetContainerFormat(&container)) || container == GUID_ContainerFormatBmp) continue;
        if (fn(info.get())) return S_OK;
    }
}

// A text the component gives in two calls (length, then text), in the ANSI code page.
template <class Getter>
std::string ComponentText(Getter get) {
    UINT length = 0;
    if (FAILED(get(0, nullptr, &length)) || length == 0) return {};
    std::wstring wide(length, L'\0');
    if (FAILED(get(length, wide.data(), &length))) return {};
    wide.resize(wcsnlen(wide.c_str(), wide.size()));
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                          nullptr);
    std::string ansi(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), ansi.data(), bytes, nullptr, nullptr);
    return ansi;
}

// ".tif,.tiff" as a plug-in pattern: "*.tif;*.tiff". Windows separates the extensions with commas,
// Wine with semicolons.
std::string PatternsOf(const std::string& extensions) {
    std::string out;
    size_t start = 0;
    while (start <= extensions.size()) {
        size_t end = extensions.find_first_of(",;", start);
        if (end == std::string::npos) end = extensions.size();
        std::string ext = extensions.substr(start, end - start);
        if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
        std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
        if (!ext.empty()) out += (out.empty() ? "*." : ";*.") + ext;
        start = end + 1;
    }
    return out;
}

}  // namespace

TComScope::TComScope() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (hr == S_OK || hr == S_FALSE) {
        result_ = S_OK;
        leave_ = true;  // S_FALSE too: every successful call counts and is undone once
    } else if (hr == RPC_E_CHANGED_MODE) {
        result_ = S_OK;  // the host's multithreaded apartment serves as well
    } else {
        result_ = hr;
    }
}

TComScope::~TComScope() {
    if (leave_) CoUninitialize();
}

// A failure of the system as a plug-in result. A file whose signature this plug-in knows but that
// no decoder would open is broken rather than of an unknown format.
TSpiResult TWicPicture::Fail(HRESULT hr) const {
    if (hr == E_OUTOFMEMORY) return srNoMemory;
    if (hr == WINCODEC_ERR_COMPONENTNOTFOUND || hr == WINCODEC_ERR_UNKNOWNIMAGEFORMAT || hr == REGDB_E_CLASSNOTREG)
        return IsSystemFormat(format_) ? srBrokenData : srUnknownFormat;
    if (hr == WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT || hr == WINCODEC_ERR_UNSUPPORTEDOPERATION) return srUnknownFormat;
    return srBrokenData;
}

// The pixel format the converter delivers: 8-bit grey for grey pictures, BGRA when the picture can
// hold transparency (asked of its palette, or of the pixel format), BGR otherwise. When the system
// cannot say, BGRA: composing opaque pixels over white leaves them as they are.
TSpiResult TWicPicture::ChooseOutput(const GUID& pixelFormat, GUID& output) {
    if (IsGreyFormat(pixelFormat)) {
        output = GUID_WICPixelFormat8bppGray;
        order_ = TPixelOrder::poGrey;
        return srSuccess;
    }
    BOOL alpha = TRUE;
    if (IsIndexedFormat(pixelFormat)) {
        TComPtr<IWICPalette> palette;
        if (SUCCEEDED(factory_->CreatePalette(palette.put())) && SUCCEEDED(frame_->CopyPalette(palette.get()))) {
            if (FAILED(palette->HasAlpha(&alpha))) alpha = TRUE;
        }
    } else {
        TComPtr<IWICComponentInfo> info;
        TComPtr<IWICPixelFormatInfo2> formatInfo;
        if (SUCCEEDED(factory_->CreateComponentInfo(pixelFormat, info.put())) &&
            SUCCEEDED(info->QueryInterface(IID_IWICPixelFormatInfo2, Out(formatInfo)))) {
            if (FAILED(formatInfo->SupportsTransparency(&alpha))) alpha = TRUE;
        }
    }
    output = alpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
    order_ = alpha ? TPixelOrder::poBgra : TPixelOrder::poBgr;
    return srSuccess;
}

TSpiResult TWicPicture::Decode(std::span<const uint8_t> data, const TProgress& progress) {
    format_ = DetectPictureFormat(data);
    if (FAILED(com_.Result())) return com_.Result() == E_OUTOFMEMORY ? srNoMemory : srInternalError;
    if (data.size() > MAXDWORD) return srNoMemory;
    HRESULT hr = CreateFactory(factory_);
    if (FAILED(hr)) return Fail(hr);
    if (FAILED(hr = CreateMemoryStream(factory_.get(), data, stream_))) return Fail(hr);
    hr = factory_->CreateDecoderFromStream(stream_.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder_.put());
    if (FAILED(hr)) return Fail(hr);
    GUID container{};
    if (FAILED(hr = decoder_->GetContainerFormat(&container))) return Fail(hr);
    if (container == GUID_ContainerFormatBmp) return srUnknownFormat;
    if (FAILED(hr = decoder_->GetFrame(0, frame_.put()))) return Fail(hr);

    UINT width = 0, height = 0;
    GUID pixelFormat{}, output{};
    if (FAILED(hr = frame_->GetSize(&width, &height)) || FAILED(hr = frame_->GetPixelFormat(&pixelFormat)))
        return Fail(hr);
    TSpiResult r = ChooseOutput(pixelFormat, output);
    if (r != srSuccess) return r;
    TDibLayout planned;
    if ((r = PlanDib(width, height, order_ == TPixelOrder::poGrey, planned)) != srSuccess) return r;
    if (progress && !progress(0, height)) return srAborted;

    // A converter may accept a pair of formats and only fail when it is asked for pixels (Wine
    // converts indexed pictures to 32-bit BGRA but not to 24-bit BGR); one pixel tells. Every
    // format converts to BGRA, which composes to the same colours.
    hr = StartConverter(output);
    if (FAILED(hr) && output != GUID_WICPixelFormat32bppBGRA) {
        output = GUID_WICPixelFormat32bppBGRA;
        order_ = TPixelOrder::poBgra;
        if ((r = PlanDib(width, height, false, planned)) != srSuccess) return r;
        hr = StartConverter(output);
    }
    if (FAILED(hr)) return Fail(hr);
    layout_ = planned;
    return srSuccess;
}

HRESULT TWicPicture::StartConverter(const GUID& output) {
    HRESULT hr = factory_->CreateFormatConverter(converter_.put());
    if (FAILED(hr)) return hr;
    hr = converter_->Initialize(frame_.get(), output, WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom);
    if (FAILED(hr)) return hr;
    const WICRect first{0, 0, 1, 1};
    BYTE pixel[4];
    return converter_->CopyPixels(&first, sizeof pixel, sizeof pixel, pixel);
}

TSpiResult TWicPicture::WriteBits(uint8_t* dest, const TProgress& progress) {
    const auto height = static_cast<UINT>(layout_.height);
    const size_t sourceStride = static_cast<size_t>(layout_.width) * BytesPerPixel(order_);
    if (sourceStride > UINT_MAX / kMaxBandRows) return srNoMemory;
    const UINT band = static_cast<UINT>(std::clamp<size_t>(kBandBytes / sourceStride, 1, kMaxBandRows));
    std::vector<uint8_t> buffer(band * sourceStride);
    for (UINT y = 0; y < height; y += band) {
        if (progress && !progress(y, height)) return srAborted;
        const UINT rows = std::min(band, height - y);
        const WICRect rect{0, static_cast<INT>(y), layout_.width, static_cast<INT>(rows)};
        const HRESULT hr = converter_->CopyPixels(&rect, static_cast<UINT>(sourceStride),
                                                  static_cast<UINT>(rows * sourceStride), buffer.data());
        if (FAILED(hr)) return Fail(hr);
        for (UINT k = 0; k < rows; ++k)  // bottom-up
            WriteDibRow(buffer.data() + k * sourceStride, order_, layout_, dest + (height - 1 - y - k) * size_t{layout_.stride});
    }
    return !progress || progress(height, height) ? srSuccess : srAborted;
}

bool WicRecognises(std::span<const uint8_t> head) {
    TComScope com;
    if (FAILED(com.Result())) return false;
    TComPtr<IWICImagingFactory> factory;
    TComPtr<IWICStream> stream;
    if (FAILED(CreateFactory(factory)) || FAILED(CreateMemoryStream(factory.get(), head, stream))) return false;
    bool found = false;
    ForEachDecoder(factory.get(), [&](IWICBitmapDecoderInfo* info) {
        BOOL matches = FALSE;
        found = SUCCEEDED(info->MatchesPattern(stream.get(), &matches)) && matches;
        return found;
    });
    return found;
}

std::vector<TWicFormat> WicFormats() {
    std::vector<TWicFormat> formats;
    TComScope com;
    if (FAILED(com.Result())) return formats;
    TComPtr<IWICImagingFactory> factory;
    if (FAILED(CreateFactory(factory))) return formats;
    ForEachDecoder(factory.get(), [&](IWICBitmapDecoderInfo* info) {
        TWicFormat f;
        f.patterns = PatternsOf(ComponentText([info](UINT n, WCHAR* s, UINT* len) { return info->GetFileExtensions(n, s, len); }));
        f.description = ComponentText([info](UINT n, WCHAR* s, UINT* len) { return info->GetFriendlyName(n, s, len); });
        if (!f.patterns.empty()) formats.push_back(f);
        return false;
    });
    return formats;
}
