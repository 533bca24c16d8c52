#pragma once
// Susie plug-ins as the program holds them: one object per loaded plug-in DLL (TSPI and its
// kinds TInSPI, TAmSPI and TXnSPI), the factory CreateSPI that picks the kind from the plug-in's
// version, and TSPIs, the one set of loaded plug-ins, which finds them, registers the picture
// formats of the image plug-ins and answers which plug-ins may handle a file.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "plugins/FPUGuard_win.h"
#include "plugins/SPIRules.h"
#include "plugins/SusieApi.h"
#include "toolkit/Exceptions.h"
#include "toolkit/PictureFormats.h"
#include "toolkit/Unique.h"

class TStream;

VV_EXCEPTION_CLASS(ESPIInvalidSPI, Exception);     // not a usable plug-in
VV_EXCEPTION_CLASS(ESPIInvalidAPI, Exception);     // an export the plug-in lacks was called
VV_EXCEPTION_CLASS(ESPIFOpenErrorSPI, Exception);  // the library cannot be loaded
VV_EXCEPTION_CLASS(ESPIDupCreateSPIs, Exception);  // a second plug-in set

extern const wchar_t kSPIFOpenErrorMessage[];   // path passed in
extern const wchar_t kSPIInvalidSPIMessage[];   // plug-in file name
extern const wchar_t kSPIInvalidAPIMessage[];   // export name, plug-in file name
extern const wchar_t kSPIDupCreateMessage[];

// A plug-in's library; unloading runs the plug-in's own code, so it too restores the FPU state.
struct TPluginModuleTraits {
    using Handle = HMODULE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h);
};
using TPluginModule = TUnique<TPluginModuleTraits>;

// Looks up an export by its undecorated name; null when the library has none.
template <class Fn>
Fn GetExport(HMODULE module, const char* name) {
    // Through a plain function pointer type: a direct cast from FARPROC draws a warning.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// One loaded plug-in of any version. Its library stays loaded for the object's lifetime.
class TSPI {
public:
    // Loads the library by its full path (DLLs beside it are found) and reads the plug-in's
    // self-description. Raises ESPIFOpenErrorSPI when the library cannot be loaded and
    // ESPIInvalidSPI when it has no GetPluginInfo.
    explicit TSPI(const std::wstring& fileName);
    virtual ~TSPI();
    TSPI(const TSPI&) = delete;
    TSPI& operator=(const TSPI&) = delete;

    // "TSPI", "TInSPI", "TAmSPI" or "TXnSPI".
    virtual const char* ClassName() const { return "TSPI"; }

    HMODULE Handle() const { return handle_.get(); }
    // The module's path as the system reports it.
    const std::wstring& FileName() const { return fileName_; }
    // GetPluginInfo entry 0 (for instance "00IN"); empty when the plug-in gives none.
    const std::wstring& Version() const { return version_; }
    // GetPluginInfo entry 1: the plug-in's name and version; may be empty.
    const std::wstring& Info() const { return info_; }
    // Entries 2, 4, 6, ...: file patterns such as *.jpg; FileTypes()[i] describes Extensions()[i].
    const std::vector<std::wstring>& Extensions() const { return extensions_; }
    const std::vector<std::wstring>& FileTypes() const { return fileTypes_; }
    bool HasConfigurationDlg() const { return configurationDlg_ != nullptr; }

    // The exports, called as they are. A method whose export is not bound raises ESPIInvalidAPI.
    int GetPluginInfo(int infono, LPSTR buf, int buflen);
    int ConfigurationDlg(HWND parent, int fnc);

protected:
    // Binds an export that the plug-in's kind cannot do without: raises ESPIInvalidSPI when absent.
    template <class Fn>
    Fn BindRequired(const char* name) const {
        Fn fn = GetExport<Fn>(Handle(), name);
        if (!fn) ThrowInvalidSPI();
        return fn;
    }
    [[noreturn]] void ThrowInvalidSPI() const;

    // Held for the length of one call into the plug-in: checks that the export is bound, lets one
    // call at a time into this plug-in and restores the FPU state afterwards.
    class TCall {
    public:
        TCall(TSPI& spi, bool bound, const char* exportName);
        ~TCall();
        TCall(const TCall&) = delete;
        TCall& operator=(const TCall&) = delete;

    private:
        static TSPI& Bound(TSPI& spi, bool bound, const char* exportName);
        std::lock_guard<std::mutex> lock_;
        TFPUGuard fpu_;
    };

private:
    std::optional<std::string> ReadInfoEntry(int infono);

    TPluginModule handle_;
    std::wstring fileName_;
    std::wstring version_;
    std::wstring info_;
    std::vector<std::wstring> extensions_;
    std::vector<std::wstring> fileTypes_;
    GetPluginInfoFn getPluginInfo_ = nullptr;
    ConfigurationDlgFn configurationDlg_ = nullptr;
    std::mutex callLock_;
};

// Image plug-in ("00IN").
class TInSPI : public TSPI {
public:
    // Raises ESPIInvalidSPI when IsSupported, GetPictureInfo or GetPicture is missing.
    explicit TInSPI(const std::wstring& fileName);
    const char* ClassName() const override { return "TInSPI"; }

    // The record is cleared (its hInfo null) before the call.
    int GetPictureInfo(LPCSTR buf, LONG len, UINT flag, TSusiePictureInfo* lpInfo);
    // head is the file's head. The plug-in always gets the address of at least 2048 bytes: a
    // shorter head goes over as a zero-padded copy, so a plug-in that reads 2048 bytes stays inside.
    int IsSupported(LPCSTR filename, std::span<const uint8_t> head);
    // Both out-handles are set to null before the call; a null callback becomes one that answers 0.
    int GetPicture(LPCSTR buf, LONG len, UINT flag, HLOCAL* pHBInfo, HLOCAL* pHBm, TSusieProgress progress,
                   LONG_PTR lData);

private:
    IsSupportedFn isSupported_;
    GetPictureInfoFn getPictureInfo_;
    GetPictureFn getPicture_;
    GetPreviewFn getPreview_;  // bound only
};

// Archive plug-in ("00AM").
class TAmSPI : public TSPI {
public:
    // Raises ESPIInvalidSPI when IsSupported, GetArchiveInfo, GetFileInfo or GetFile is missing.
    explicit TAmSPI(const std::wstring& fileName);
    const char* ClassName() const override { return "TAmSPI"; }

    // The out-handle is set to null before the call.
    int GetArchiveInfo(LPCSTR buf, LONG len, UINT flag, HLOCAL* lphInf);
    int IsSupported(LPCSTR filename, std::span<const uint8_t> head);
    // For memory output dest is the address of a handle, set to null before the call; a null
    // callback becomes one that answers 0.
    int GetFile(LPCSTR src, LONG len, LPSTR dest, UINT flag, TSusieProgress progress, LONG_PTR lData);

    // Lists an archive's members (GetArchiveInfo on the file from offset 0). Records are taken
    // only while a whole one lies inside the block, up to the terminating record. Returns false,
    // leaving records alone, when the plug-in fails or hands back no block.
    bool ReadArchiveInfo(const std::wstring& archive, std::vector<TSusieFileInfo>& records);
    // Extracts the member at position (as the plug-in listed it) into memory and writes exactly
    // size bytes of it to out. Returns false when the plug-in fails, hands back no block, or a
    // block shorter than size.
    bool ExtractFile(const std::wstring& archive, uint32_t position, uint32_t size, TStream& out);

private:
    IsSupportedFn isSupported_;
    GetArchiveInfoFn getArchiveInfo_;
    GetFileInfoFn getFileInfo_;  // bound only
    GetFileFn getFile_;
};

// "00XN" plug-in: known by its version, with nothing of its own.
class TXnSPI : public TSPI {
public:
    using TSPI::TSPI;
    const char* ClassName() const override { return "TXnSPI"; }
};

// A new plug-in object of the class its version names, or null when the file is no usable
// plug-in (it cannot be loaded, has no GetPluginInfo or lacks an export its kind needs).
std::unique_ptr<TSPI> CreateSPI(const std::wstring& fileName);

// The first 2048 bytes of a file (fewer when it is shorter), read with others allowed to read
// but not to write. Raises EFOpenError when the file cannot be opened.
std::vector<uint8_t> ReadFileHead(const std::wstring& path);
// Asks an image or archive plug-in whether it supports a file, given its head; a plug-in of
// any other kind never does.
bool SPIIsSupported(TSPI& spi, const std::wstring& path, std::span<const uint8_t> head);

// --- The plug-in set ---------------------------------------------------------------------------

enum TSPISearchOption { spsSusieDir, spsAppDir, spsCurrentDir, spsSystemDir, spsWindowsDir };

class TSPISearchOptions {
public:
    TSPISearchOptions(std::initializer_list<TSPISearchOption> options = {}) {
        for (TSPISearchOption o : options) bits_ |= Bit(o);
    }
    bool Contains(TSPISearchOption o) const { return (bits_ & Bit(o)) != 0; }
    bool operator==(const TSPISearchOptions&) const = default;

private:
    static unsigned Bit(TSPISearchOption o) { return 1u << static_cast<unsigned>(o); }
    unsigned bits_ = 0;
};

class TSPIs;
// Asked whether a plug-in found by Search joins the set; Accept is true on entry.
using TSPISearchEvent = std::function<void(TSPIs& Sender, TSPI& ASPI, bool& Accept)>;
// Asked before an image plug-in's format is registered; AGraphicClass holds the default graphic
// class on entry, and null means the format is not registered.
using TSPIPictureRegisterEvent =
    std::function<void(TSPIs& Sender, TInSPI& ASPI, const std::wstring& AExtension,
                       const std::wstring& ADescription, const TGraphicClass*& AGraphicClass)>;

// Where the Susie viewer keeps its plug-in folder: under the current user, value "Path".
extern const wchar_t kSusieRegistryKey[];
extern const wchar_t kSusieRegistryValue[];

// The set of loaded plug-ins. Exactly one may exist at a time; CurrentSPIs() reaches it.
class TSPIs {
public:
    // Raises ESPIDupCreateSPIs when a set already exists.
    TSPIs();
    ~TSPIs();
    TSPIs(const TSPIs&) = delete;
    TSPIs& operator=(const TSPIs&) = delete;

    // For the owner to call once it has set the properties: searches for "*.spi" when AutoSearch is on.
    void Loaded();

    int Count() const { return static_cast<int>(items_.size()); }
    TSPI& Items(int index) const;
    int IndexOf(const std::wstring& fileName) const;

    // Takes ownership. An image plug-in's formats are registered with the picture-format registry
    // (OnPictureRegister may change or withhold the class); if that raises, the plug-in is removed
    // from the set again and freed, and the error propagates.
    void Add(std::unique_ptr<TSPI> spi) { Insert(Count(), std::move(spi)); }
    void Insert(int index, std::unique_ptr<TSPI> spi);
    void Delete(int index);
    void Clear();

    // Loads the plug-ins matching mask. A mask with a folder searches that folder alone; otherwise
    // each folder of SearchOptions in turn. Paths already in the set are skipped.
    void Search(const std::wstring& mask);

    // Adds to list every plug-in for which isOfClasses holds: those whose patterns claim the file
    // name's extension at the front (so the last-loaded claimant comes first), the others behind,
    // in set order.
    void GetSPIList(const std::function<bool(const TSPI&)>& isOfClasses, const std::wstring& fileName,
                    std::vector<TSPI*>& list) const;
    // The same for plug-ins of the given classes (or classes derived from them).
    template <class... Classes>
    void GetSPIList(const std::wstring& fileName, std::vector<TSPI*>& list) const {
        GetSPIList([](const TSPI& s) { return (... || (dynamic_cast<const Classes*>(&s) != nullptr)); }, fileName,
                   list);
    }
    // The plug-ins of one class for a file, best first, in a fresh list.
    template <class T>
    std::vector<T*> SPIListOf(const std::wstring& fileName) const {
        std::vector<TSPI*> list;
        GetSPIList<T>(fileName, list);
        std::vector<T*> out;
        for (TSPI* s : list) out.push_back(static_cast<T*>(s));
        return out;
    }

    // The class under which image plug-in formats are registered; none until one is set.
    static void SetDefaultGraphicClass(const TGraphicClass* graphicClass);
    static const TGraphicClass* DefaultGraphicClass();

    TSPISearchOptions SearchOptions{spsSusieDir, spsAppDir};
    bool AutoSearch = true;
    TSPISearchEvent OnSearch;
    TSPIPictureRegisterEvent OnPictureRegister;

private:
    void CheckIndex(int index, int limit) const;
    void RegisterFormats(TInSPI& spi);
    void SearchFolder(const std::wstring& folder, const std::wstring& pattern);

    std::vector<std::unique_ptr<TSPI>> items_;
};

// The live plug-in set, or null.
TSPIs* CurrentSPIs();

// The Susie plug-in folder from the registry; empty when the key or value is missing or unreadable.
std::wstring SusiePluginFolder();
