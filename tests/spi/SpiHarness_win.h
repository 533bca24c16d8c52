#pragma once
// A thin host for the plug-in tests: loads a plug-in DLL that lies beside the test program and
// calls its exports exactly as a host calls them. The records are declared here once more, from
// the published interface, so that a slip in the plug-ins' own declarations shows.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Handles_win.h"

#pragma pack(push, 1)
struct THostPictureInfo {
    int32_t left, top, width, height;
    uint16_t xDensity, yDensity;
    int16_t colorDepth;
    HLOCAL hInfo;
};
struct THostFileInfo {
    char method[8];
    uint32_t position, compsize, filesize;
    int32_t timestamp;
    char path[200];
    char filename[200];
    uint32_t crc;
};
#pragma pack(pop)
static_assert(sizeof(THostPictureInfo) == 22 + sizeof(void*));  // 26 bytes in a 32-bit host
static_assert(sizeof(THostFileInfo) == 428);

using TProgressCallback = int(WINAPI*)(int nNum, int nDenom, LONG_PTR lData);

class TSpiPlugin {
public:
    // fileName: "vvimage.spi" or "vvarchive.spi", in the test program's folder.
    explicit TSpiPlugin(const wchar_t* fileName);
    bool Loaded() const { return static_cast<bool>(module_); }
    HMODULE Module() const { return module_.get(); }
    bool HasExport(const char* name) const { return GetProcAddress(module_.get(), name) != nullptr; }

    // Every entry of GetPluginInfo, from 0 to the first that answers 0.
    std::vector<std::string> PluginInfo() const;
    int GetPluginInfo(int infono, char* buf, int buflen) const;
    int IsSupported(const char* filename, DWORD_PTR dw) const;
    int GetPictureInfo(const char* buf, LONG len, UINT flag, THostPictureInfo* info) const;
    int GetPicture(const char* buf, LONG len, UINT flag, HANDLE* info, HANDLE* bits, TProgressCallback progress,
                   LONG_PTR data) const;
    int GetPreview(const char* buf, LONG len, UINT flag, HANDLE* info, HANDLE* bits, TProgressCallback progress,
                   LONG_PTR data) const;
    int GetArchiveInfo(const char* buf, LONG len, UINT flag, HLOCAL* info) const;
    int GetFileInfo(const char* buf, LONG len, const char* filename, UINT flag, THostFileInfo* info) const;
    int GetFile(const char* src, LONG len, char* dest, UINT flag, TProgressCallback progress, LONG_PTR data) const;

private:
    template <class Fn>
    Fn Bind(const char* name) const;

    TUniqueModule module_;
};

// The bytes of a local-memory block a plug-in handed over, which is then freed. Empty, with a test
// failure, when the handle is not a local-memory block.
std::vector<uint8_t> TakeLocal(HLOCAL block);

// The list that GetArchiveInfo handed over, up to its end record.
std::vector<THostFileInfo> TakeFileInfos(HLOCAL block);

// The names of the DLLs a loaded module imports.
std::vector<std::string> ImportedDlls(HMODULE module);

// Where the test's own files go: a path as the plug-ins take it, in the ANSI code page.
std::string Ansi(const std::wstring& path);
