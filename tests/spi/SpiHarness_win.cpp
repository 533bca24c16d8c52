#include "spi/SpiHarness_win.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

}  // namespace

TSpiPlugin::TSpiPlugin(const wchar_t* fileName) : module_(LoadLibraryW((ProgramFolder() + fileName).c_str())) {}

template <class Fn>
Fn TSpiPlugin::Bind(const char* name) const {
    // Through a plain function pointer type: a direct cast between function types warns.
    const FARPROC p = GetProcAddress(module_.get(), name);
    EXPECT_NE(p, nullptr) << name;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p));
}

std::vector<std::string> TSpiPlugin::PluginInfo() const {
    std::vector<std::string> out;
    for (int i = 0;; ++i) {
        char buf[256] = {};
        if (GetPluginInfo(i, buf, 255) <= 0) return out;
        out.push_back(buf);
    }
}

int TSpiPlugin::GetPluginInfo(int infono, char* buf, int buflen) const {
    return Bind<int(WINAPI*)(int, LPSTR, int)>("GetPluginInfo")(infono, buf, buflen);
}

int TSpiPlugin::IsSupported(const char* filename, DWORD_PTR dw) const {
    return Bind<int(WINAPI*)(LPCSTR, DWORD_PTR)>("IsSupported")(filename, dw);
}

int TSpiPlugin::GetPictureInfo(const char* buf, LONG len, UINT flag, THostPictureInfo* info) const {
    return Bind<int(WINAPI*)(LPCSTR, LONG, UINT, THostPictureInfo*)>("GetPictureInfo")(buf, len, flag, info);
}

int TSpiPlugin::GetPicture(const char* buf, LONG len, UINT flag, HANDLE* info, HANDLE* bits,
                           TProgressCallback progress, LONG_PTR data) const {
    using Fn = int(WINAPI*)(LPCSTR, LONG, UINT, HANDLE*, HANDLE*, TProgressCallback, LONG_PTR);
    return Bind<Fn>("GetPicture")(buf, len, flag, info, bits, progress, data);
}

int TSpiPlugin::GetPreview(const char* buf, LONG len, UINT flag, HANDLE* info, HANDLE* bits,
                           TProgressCallback progress, LONG_PTR data) const {
    using Fn = int(WINAPI*)(LPCSTR, LONG, UINT, HANDLE*, HANDLE*, TProgressCallback, LONG_PTR);
    return Bind<Fn>("GetPreview")(buf, len, flag, info, bits, progress, data);
}

int TSpiPlugin::GetArchiveInfo(const char* buf, LONG len, UINT flag, HLOCAL* info) const {
    return Bind<int(WINAPI*)(LPCSTR, LONG, UINT, HLOCAL*)>("GetArchiveInfo")(buf, len, flag, info);
}

int TSpiPlugin::GetFileInfo(const char* buf, LONG len, const char* filename, UINT flag, THostFileInfo* info) const {
    using Fn = int(WINAPI*)(LPCSTR, LONG, LPCSTR, UINT, THostFileInfo*);
    return Bind<Fn>("GetFileInfo")(buf, len, filename, flag, info);
}

int TSpiPlugin::GetFile(const char* src, LONG len, char* dest, UINT flag, TProgressCallback progress,
                        LONG_PTR data) const {
    using Fn = int(WINAPI*)(LPCSTR, LONG, LPSTR, UINT, TProgressCallback, LONG_PTR);
    return Bind<Fn>("GetFile")(src, len, dest, flag, progress, data);
}

std::vector<uint8_t> TakeLocal(HLOCAL block) {
    TUniqueLocal owner(block);
    if (!block || LocalFlags(block) == LMEM_INVALID_HANDLE) {
        ADD_FAILURE() << "not a local-memory block";
        return {};
    }
    const size_t size = LocalSize(block);
    const auto* p = static_cast<const uint8_t*>(LocalLock(block));
    if (!p) {
        ADD_FAILURE() << "the block cannot be locked";
        return {};
    }
    std::vector<uint8_t> out(p, p + size);
    LocalUnlock(block);
    return out;
}

std::vector<THostFileInfo> TakeFileInfos(HLOCAL block) {
    const std::vector<uint8_t> bytes = TakeLocal(block);
    std::vector<THostFileInfo> out;
    for (size_t at = 0; at + sizeof(THostFileInfo) <= bytes.size(); at += sizeof(THostFileInfo)) {
        THostFileInfo rec;
        std::memcpy(&rec, bytes.data() + at, sizeof rec);
        if (rec.method[0] == 0) return out;
        out.push_back(rec);
    }
    ADD_FAILURE() << "the list has no end record";
    return out;
}

std::vector<std::string> ImportedDlls(HMODULE module) {
    const auto* base = reinterpret_cast<const uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> out;
    if (dir.VirtualAddress == 0) return out;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d)
        out.push_back(reinterpret_cast<const char*>(base + d->Name));
    return out;
}

std::string Ansi(const std::wstring& path) {
    const int n = WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    return out;
}
