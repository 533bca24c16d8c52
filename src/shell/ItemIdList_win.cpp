#include "shell/ItemIdList_win.h"

#include <shlwapi.h>

#include <cstring>


TItemIdList TItemIdList::CopyOf(LPCITEMIDLIST pidl) {
    return TItemIdList(pidl ? ILClone(pidl) : nullptr);
}

TItemIdList TItemIdList::Concat(LPCITEMIDLIST parent, LPCITEMIDLIST child) {
    if (!parent) return CopyOf(child);
    if (!child) return CopyOf(parent);
    return TItemIdList(ILCombine(parent, child));
}

TItemIdList TItemIdList::FromPath(const std::wstring& path) {
    if (path.empty()) return {};
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return {};
    TItemIdList result;
    std::wstring name = path;  // ParseDisplayName takes a writable string
    ULONG eaten = 0;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, name.data(), &eaten, result.put(), nullptr))) result.reset();
    desktop->Release();
    return result;
}

TItemIdList TItemIdList::SpecialFolder(int csidl) {
    TItemIdList result;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, result.put()))) result.reset();
    return result;
}

std::wstring PathOfIdList(LPCITEMIDLIST absolute) {
    if (!absolute) return {};
    // SHGetPathFromIDListEx takes the buffer's length, so long paths are not cut.
    std::wstring buf(MAX_PATH, L'\0');
    for (int tries = 0; tries < 3; ++tries) {
        if (SHGetPathFromIDListEx(absolute, buf.data(), static_cast<DWORD>(buf.size()), GPFIDL_DEFAULT)) {
            buf.resize(std::wcslen(buf.c_str()));
            return buf;
        }
        buf.assign(buf.size() * 4 > 32768 ? 32768 : buf.size() * 4, L'\0');
    }
    return {};
}

TItemIdList FirstElementOf(LPCITEMIDLIST pidl) {
    if (!pidl || pidl->mkid.cb == 0) return {};
    const USHORT cb = pidl->mkid.cb;
    auto* copy = static_cast<LPITEMIDLIST>(CoTaskMemAlloc(cb + sizeof(USHORT)));
    if (!copy) return {};
    std::memcpy(copy, pidl, cb);
    *reinterpret_cast<USHORT*>(reinterpret_cast<BYTE*>(copy) + cb) = 0;
    return TItemIdList(copy);
}

int IdListLength(LPCITEMIDLIST pidl) {
    int n = 0;
    for (; pidl && pidl->mkid.cb; pidl = reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const BYTE*>(pidl) + pidl->mkid.cb)) ++n;
    return n;
}

std::wstring StrRetText(STRRET& value, LPCITEMIDLIST item) {
    wchar_t* text = nullptr;
    if (FAILED(StrRetToStrW(&value, item, &text)) || !text) return {};
    std::wstring result(text);
    CoTaskMemFree(text);
    return result;
}
