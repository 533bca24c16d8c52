// The plug-in wrapper: loading a plug-in DLL, reading its self-description, binding and calling
// its exports, and the factory that picks the class from the plug-in's version.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "plugins/LocalBlock_win.h"
#include "plugins/SPIs.h"
#include "plugins/WinPath_win.h"
#include "toolkit/AnsiText.h"
#include "toolkit/FileStream.h"
#include "toolkit/Streams.h"
#include "toolkit/TextUtil.h"

const wchar_t kSPIFOpenErrorMessage[] = L"%s:Susie Pluginがロードできませんでした";
const wchar_t kSPIInvalidSPIMessage[] = L"%s:認識できないSusie Pluginです";
const wchar_t kSPIInvalidAPIMessage[] = L"%sは[%s]では使えないSusie Plugin APIです";

namespace {

// GetPluginInfo entries are read into a buffer of this size, with one byte less as its length.
constexpr int kInfoBufferSize = 256;
// A plug-in that answers every entry number would otherwise keep the loop going for ever.
constexpr int kMaxFormats = 256;

// Handed to plug-ins wherever no progress is wanted: some plug-ins crash on a null callback.
int WINAPI NoProgress(int, int, LONG_PTR) { return 0; }

// The head a plug-in's IsSupported reads: the caller's bytes when there are enough, otherwise a
// zero-padded copy.
class THead {
public:
    explicit THead(std::span<const uint8_t> head) {
        if (head.size() >= kSusieHeadSize) {
            data_ = head.data();
        } else {
            if (!head.empty()) std::memcpy(padded_, head.data(), head.size());
            data_ = padded_;
        }
    }
    DWORD Address() const { return static_cast<DWORD>(reinterpret_cast<uintptr_t>(data_)); }

private:
    uint8_t padded_[kSusieHeadSize] = {};
    const uint8_t* data_;
};

}  // namespace

void TPluginModuleTraits::Close(HMODULE h) {
    TFPUGuard fpu;
    FreeLibrary(h);
}

// --- TSPI ----------------------------------------------------------------------------------------

TSPI& TSPI::TCall::Bound(TSPI& spi, bool bound, const char* exportName) {
    if (!bound) throw ESPIInvalidAPI(FormatW(kSPIInvalidAPIMessage, {AnsiToWide(exportName), spi.FileName()}));
    return spi;
}

TSPI::TCall::TCall(TSPI& spi, bool bound, const char* exportName)
    : lock_(Bound(spi, bound, exportName).callLock_) {}

TSPI::TCall::~TCall() = default;

TSPI::TSPI(const std::wstring& fileName) {
    {
        // No "cannot find DLL" boxes while probing files that may not be plug-ins at all.
        DWORD oldMode = 0;
        SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
        TFPUGuard fpu;  // the plug-in's start-up code runs inside LoadLibrary
        handle_.reset(LoadLibraryExW(FullPathOf(fileName).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        SetThreadErrorMode(oldMode, nullptr);
    }
    if (!handle_) throw ESPIFOpenErrorSPI(FormatW(kSPIFOpenErrorMessage, {fileName}));

    fileName_ = ModuleFileName(Handle());
    if (fileName_.empty()) fileName_ = fileName;

    getPluginInfo_ = GetExport<GetPluginInfoFn>(Handle(), "GetPluginInfo");
    if (!getPluginInfo_) ThrowInvalidSPI();
    configurationDlg_ = GetExport<ConfigurationDlgFn>(Handle(), "ConfigurationDlg");

    if (auto v = ReadInfoEntry(0)) version_ = AnsiToWide(*v);
    if (auto v = ReadInfoEntry(1)) info_ = AnsiToWide(*v);
    for (int n = 2; n < 2 + 2 * kMaxFormats; n += 2) {
        const auto extension = ReadInfoEntry(n);
        if (!extension) break;
        const auto description = ReadInfoEntry(n + 1);
        if (!description) break;  // an extension without a description ends the list
        extensions_.push_back(AnsiToWide(*extension));
        fileTypes_.push_back(AnsiToWide(*description));
    }
}

TSPI::~TSPI() = default;

void TSPI::ThrowInvalidSPI() const { throw ESPIInvalidSPI(FormatW(kSPIInvalidSPIMessage, {fileName_})); }

std::optional<std::string> TSPI::ReadInfoEntry(int infono) {
    // Zeroed and terminated here: plug-ins may fill the buffer without a NUL, and some count the
    // NUL in their result.
    char buf[kInfoBufferSize] = {};
    const int result = GetPluginInfo(infono, buf, kInfoBufferSize - 1);
    buf[kInfoBufferSize - 1] = '\0';
    if (result <= 0) return std::nullopt;
    return std::string(buf);
}

int TSPI::GetPluginInfo(int infono, LPSTR buf, int buflen) {
    TCall call(*this, getPluginInfo_ != nullptr, "GetPluginInfo");
    return getPluginInfo_(infono, buf, buflen);
}

int TSPI::ConfigurationDlg(HWND parent, int fnc) {
    TCall call(*this, configurationDlg_ != nullptr, "ConfigurationDlg");
    return configurationDlg_(parent, fnc);
}

// --- TInSPI --------------------------------------------------------------------------------------

TInSPI::TInSPI(const std::wstring& fileName)
    : TSPI(fileName),
      isSupported_(BindRequired<IsSupportedFn>("IsSupported")),
      getPictureInfo_(BindRequired<GetPictureInfoFn>("GetPictureInfo")),
      getPicture_(BindRequired<GetPictureFn>("GetPicture")),
      getPreview_(GetExport<GetPreviewFn>(Handle(), "GetPreview")) {}

int TInSPI::GetPictureInfo(LPCSTR buf, LONG len, UINT flag, TSusiePictureInfo* lpInfo) {
    TCall call(*this, getPictureInfo_ != nullptr, "GetPictureInfo");
    if (lpInfo) *lpInfo = TSusiePictureInfo{};
    return getPictureInfo_(buf, len, flag, lpInfo);
}

int TInSPI::IsSupported(LPCSTR filename, std::span<const uint8_t> head) {
    TCall call(*this, isSupported_ != nullptr, "IsSupported");
    const THead h(head);
    return isSupported_(filename, h.Address());
}

int TInSPI::GetPicture(LPCSTR buf, LONG len, UINT flag, HLOCAL* pHBInfo, HLOCAL* pHBm, TSusieProgress progress,
                       LONG_PTR lData) {
    TCall call(*this, getPicture_ != nullptr, "GetPicture");
    if (pHBInfo) *pHBInfo = nullptr;
    if (pHBm) *pHBm = nullptr;
    return getPicture_(buf, len, flag, pHBInfo, pHBm, progress ? progress : NoProgress, lData);
}

// --- TAmSPI --------------------------------------------------------------------------------------

TAmSPI::TAmSPI(const std::wstring& fileName)
    : TSPI(fileName),
      isSupported_(BindRequired<IsSupportedFn>("IsSupported")),
      getArchiveInfo_(BindRequired<GetArchiveInfoFn>("GetArchiveInfo")),
      getFileInfo_(BindRequired<GetFileInfoFn>("GetFileInfo")),
      getFile_(BindRequired<GetFileFn>("GetFile")) {}

int TAmSPI::GetArchiveInfo(LPCSTR buf, LONG len, UINT flag, HLOCAL* lphInf) {
    TCall call(*this, getArchiveInfo_ != nullptr, "GetArchiveInfo");
    if (lphInf) *lphInf = nullptr;
    return getArchiveInfo_(buf, len, flag, lphInf);
}

int TAmSPI::IsSupported(LPCSTR filename, std::span<const uint8_t> head) {
    TCall call(*this, isSupported_ != nullptr, "IsSupported");
    const THead h(head);
    return isSupported_(filename, h.Address());
}

int TAmSPI::GetFile(LPCSTR src, LONG len, LPSTR dest, UINT flag, TSusieProgress progress, LONG_PTR lData) {
    TCall call(*this, getFile_ != nullptr, "GetFile");
    if (dest && (flag & kSusieOutputMask) == kSusieOutputMemory) *reinterpret_cast<HLOCAL*>(dest) = nullptr;
    return getFile_(src, len, dest, flag, progress ? progress : NoProgress, lData);
}

bool TAmSPI::ReadArchiveInfo(const std::wstring& archive, std::vector<TSusieFileInfo>& records) {
    HLOCAL h = nullptr;
    // After a failure the handle is left alone: a failing plug-in may have written anything there.
    if (GetArchiveInfo(PathToAnsi(archive).c_str(), 0, kSusieInputFile, &h) != 0) return false;
    const TLocalBlock block(h);
    if (!block) return false;
    records = ReadArchiveRecords(block.Bytes());
    return true;
}

bool TAmSPI::ExtractFile(const std::wstring& archive, uint32_t position, uint32_t size, TStream& out) {
    HLOCAL h = nullptr;
    // The position goes back exactly as the plug-in listed it: an offset for some, an index for others.
    if (GetFile(PathToAnsi(archive).c_str(), static_cast<LONG>(position), reinterpret_cast<LPSTR>(&h),
                kSusieInputFile | kSusieOutputMemory, nullptr, 0) != 0)
        return false;
    const TLocalBlock block(h);
    if (!block || block.Size() < size) return false;
    out.WriteBuffer(block.Bytes().data(), size);
    return true;
}

// --- Factory and helpers -------------------------------------------------------------------------

std::unique_ptr<TSPI> CreateSPI(const std::wstring& fileName) {
    try {
        // The probe reads the version; the chosen class then loads the library again and reads
        // everything anew. The probe is released only after that, so the library stays loaded.
        const TSPI probe(fileName);
        switch (SPIKindOfVersion(probe.Version())) {
        case TSPIKind::skInSPI: return std::make_unique<TInSPI>(fileName);
        case TSPIKind::skAmSPI: return std::make_unique<TAmSPI>(fileName);
        case TSPIKind::skXnSPI: return std::make_unique<TXnSPI>(fileName);
        case TSPIKind::skSPI: break;
        }
        return std::make_unique<TSPI>(fileName);
    } catch (const ESPIInvalidSPI&) {
        return nullptr;
    } catch (const ESPIFOpenErrorSPI&) {
        return nullptr;
    }
}

std::vector<uint8_t> ReadFileHead(const std::wstring& path) {
    TFileStream file(path, fmOpenRead | fmShareDenyWrite);
    std::vector<uint8_t> head(kSusieHeadSize);
    head.resize(file.Read(head.data(), head.size()));
    return head;
}

bool SPIIsSupported(TSPI& spi, const std::wstring& path, std::span<const uint8_t> head) {
    const std::string name = PathToAnsi(path);
    if (auto* in = dynamic_cast<TInSPI*>(&spi)) return in->IsSupported(name.c_str(), head) != 0;
    if (auto* am = dynamic_cast<TAmSPI*>(&spi)) return am->IsSupported(name.c_str(), head) != 0;
    return false;
}
