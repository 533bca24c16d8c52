#include "plugins/InSPIAble.h"

#include <cstring>
#include <memory>
#include <vector>

#include "plugins/ReceivedBlock_win.h"
#include "plugins/SPILoadRules.h"
#include "plugins/SPIs.h"
#include "toolkit/AnsiText.h"
#include "toolkit/FileStream.h"
#include "toolkit/Streams.h"

const wchar_t kUnknownPictureFormat[] = L"認識できない画像形式です";

// Sets the loader's extension and file name for one named load and clears them afterwards,
// on every path.
class TInSPIAble::TNameScope {
public:
    TNameScope(TInSPIAble& loader, const std::wstring& name) : loader_(loader) {
        loader_.extension_ = FileExtension(name);
        loader_.fileName_ = name;
    }
    ~TNameScope() {
        loader_.extension_.clear();
        loader_.fileName_.clear();
    }
    TNameScope(const TNameScope&) = delete;
    TNameScope& operator=(const TNameScope&) = delete;

private:
    TInSPIAble& loader_;
};

namespace {

// The stream's whole contents in memory: the stream itself when it is a memory stream.
TMemoryStream& InMemory(TStream& stream, std::unique_ptr<TMemoryStream>& copy) {
    if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) return *memory;
    copy = std::make_unique<TMemoryStream>();
    copy->LoadFromStream(stream);  // one read into memory of the file's size: no chunks, no regrowing
    return *copy;
}

}  // namespace

TInSPIAble::TInSPIAble(TNativeLoader nativeLoader, TBaseFileLoader baseFileLoader, TTakeDIB takeDIB,
                       TProgress progress)
    : nativeLoader_(std::move(nativeLoader)),
      baseFileLoader_(std::move(baseFileLoader)),
      takeDIB_(std::move(takeDIB)),
      progress_(std::move(progress)) {}

void TInSPIAble::LoadFromFile(const std::wstring& name) {
    TNameScope scope(*this, name);
    baseFileLoader_(name);
}

void TInSPIAble::LoadFromNamedStream(TStream& stream, const std::wstring& name) {
    TNameScope scope(*this, name);
    LoadFromStream(stream);
}

void TInSPIAble::LoadFromStream(TStream& stream) {
    std::unique_ptr<TMemoryStream> copy;
    TMemoryStream& data = InMemory(stream, copy);
    const bool ok = NativeReaderFirst(extension_, NativeExtension) ? TryNative(data) || TryPlugins(data)
                                                                   : TryPlugins(data) || TryNative(data);
    if (!ok) throw EInvalidGraphic(kUnknownPictureFormat);
}

void TInSPIAble::LoadFromStreamSPI(TStream& stream, TInSPI* spi) {
    if (!spi) {
        LoadFromStream(stream);
        return;
    }
    std::unique_ptr<TMemoryStream> copy;
    TMemoryStream& data = InMemory(stream, copy);
    if (!Decode(data, *spi)) throw EInvalidGraphic(kUnknownPictureFormat);
}

void TInSPIAble::LoadFromFileSPI(const std::wstring& name, TInSPI* spi) {
    TFileStream file(name, fmOpenRead | fmShareExclusive);
    LoadFromStreamSPI(file, spi);
}

bool TInSPIAble::TryNative(TMemoryStream& data) {
    data.SetPosition(0);
    try {
        nativeLoader_(data);
        return true;
    } catch (const std::exception&) {
        return false;  // not a picture of the owner's own format
    }
}

bool TInSPIAble::TryPlugins(TMemoryStream& data) {
    TSPIs* set = CurrentSPIs();
    if (!set) return false;
    for (TInSPI* spi : set->SPIListOf<TInSPI>(extension_))
        if (Decode(data, *spi)) return true;
    return false;
}

bool TInSPIAble::Decode(const TMemoryStream& data, TInSPI& spi) {
    if (DecodeBuffer(data.Memory(), data.Length(), spi)) return true;
    // Some files carry a foreign header of 128 bytes in front of the picture.
    return SkipHeader && data.Length() > kSPISkipHeaderSize &&
           DecodeBuffer(data.Memory() + kSPISkipHeaderSize, data.Length() - kSPISkipHeaderSize, spi);
}

bool TInSPIAble::DecodeBuffer(const uint8_t* data, size_t size, TInSPI& spi) {
    // Plug-ins read at least 2048 bytes of the head: shorter data goes over in a zero-filled
    // buffer of that size, while the size they are told stays the real one.
    std::vector<uint8_t> padded;
    if (size < kSusieHeadSize) {
        padded.assign(kSusieHeadSize, 0);
        if (size) std::memcpy(padded.data(), data, size);
        data = padded.data();
    }
    const auto buf = reinterpret_cast<LPCSTR>(data);
    const LONG_PTR len = static_cast<LONG_PTR>(size);
    const std::string name = PathToAnsi(fileName_);
    if (spi.IsSupported(name.c_str(), {data, std::max(size, kSusieHeadSize)}) == 0) return false;

    TSPIPictureInfoCopy pictureInfo;
    TSusiePictureInfo record{};
    if (spi.GetPictureInfo(buf, len, kSusieInputMemory, &record) == 0) {
        TReceivedBlock text(record.hInfo);
        pictureInfo = {record.left,      record.top,       record.width,      record.height,
                       record.x_density, record.y_density, record.colorDepth, AnsiToWide(text.Text()),
                       true};
    }

    HLOCAL info = nullptr, bits = nullptr;
    const int result = spi.GetPicture(buf, len, kSusieInputMemory, &info, &bits, &ProgressCallback,
                                      reinterpret_cast<LONG_PTR>(this));
    // A failing plug-in may leave its out-handles as they were: they are only taken on success.
    if (result != 0) return false;
    TReceivedBlock infoBlock(info), bitsBlock(bits);
    if (!infoBlock || !bitsBlock) return false;  // success without a picture is no success
    // A picture the owner cannot take (a header the DIB library refuses, pixels it cannot hold)
    // is this plug-in's failure: the next plug-in, or the native reader, still gets its turn.
    try {
        return takeDIB_(infoBlock.Bytes(), bitsBlock.Bytes(), pictureInfo);
    } catch (const std::exception&) {
        return false;
    }
}

int WINAPI TInSPIAble::ProgressCallback(int nNum, int nDenom, LONG_PTR lData) {
    // Nothing may unwind into the plug-in; the answer is always "go on".
    try {
        auto* loader = reinterpret_cast<TInSPIAble*>(lData);
        if (loader && loader->progress_) {
            const TSPIProgress p = SPIProgressEvent(nNum, nDenom);
            loader->progress_(p.stage, p.percent, p.redraw);
        }
    } catch (...) {
    }
    return 0;
}
