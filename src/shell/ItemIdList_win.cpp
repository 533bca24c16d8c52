#include "shell/ItemIdList_win.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstring>
#include <utility>


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

LPCITEMIDLIST NextElementOf(LPCITEMIDLIST pidl) {
    if (!pidl || pidl->mkid.cb == 0) return pidl;
    return reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const BYTE*>(pidl) + pidl->mkid.cb);
}

int IdListLength(LPCITEMIDLIST pidl) {
    int n = 0;
    for (; pidl && pidl->mkid.cb; pidl = NextElementOf(pidl)) ++n;
    return n;
}

std::wstring StrRetText(STRRET& value, LPCITEMIDLIST item) {
    wchar_t* text = nullptr;
    if (FAILED(StrRetToStrW(&value, item, &text)) || !text) return {};
    std::wstring result(text);
    CoTaskMemFree(text);
    return result;
}

TComPtr<IShellFolder> DesktopFolder() {
    TComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put()))) desktop.reset();
    return desktop;
}

TComPtr<IShellFolder> BindToFolder(LPCITEMIDLIST absolute) {
    TComPtr<IShellFolder> desktop = DesktopFolder();
    if (!desktop || !absolute || absolute->mkid.cb == 0) return desktop;
    TComPtr<IShellFolder> folder;
    if (FAILED(desktop->BindToObject(absolute, nullptr, IID_IShellFolder, folder.PutVoid()))) folder.reset();
    return folder;
}

std::wstring DisplayNameOf(IShellFolder* folder, LPCITEMIDLIST child, SHGDNF flags) {
    STRRET name{};
    if (!folder || FAILED(folder->GetDisplayNameOf(child, flags, &name))) return {};
    return StrRetText(name, child);
}

SFGAOF AttributesOf(IShellFolder* folder, LPCITEMIDLIST child, SFGAOF asked) {
    SFGAOF attributes = asked;
    if (!folder || FAILED(folder->GetAttributesOf(1, &child, &attributes))) return 0;
    return attributes & asked;
}

int CompareIdsIn(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
    // The order is the code of the result, as a signed 16-bit value.
    return static_cast<short>(HRESULT_CODE(folder->CompareIDs(0, a, b)));
}

int SystemIconIndex(LPCITEMIDLIST absolute, UINT flags) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_SYSICONINDEX | flags))
        return -1;
    return info.iIcon;
}

HIMAGELIST SystemImageList(bool small) {
    // Any existing path gives the list; the current folder always exists.
    wchar_t current[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, current);
    SHFILEINFOW info{};
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(current, 0, &info, sizeof(info), SHGFI_SYSICONINDEX | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON)));
}

std::wstring TypeNameOf(LPCITEMIDLIST absolute) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_TYPENAME)) return {};
    return info.szTypeName;
}

std::wstring ShownNameOf(LPCITEMIDLIST absolute) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_DISPLAYNAME)) return {};
    return info.szDisplayName;
}

int IconOf(IShellIcon* icons, LPCITEMIDLIST child, UINT flags) {
    int index = -1;
    if (!icons || icons->GetIconOf(child, flags, &index) != S_OK) return -1;
    return index;
}

// Some shells (Wine's) hand out an empty list for a file-system folder that no longer exists: that
// counts as one that cannot be listed.
TComPtr<IEnumIDList> EnumerateFolder(IShellFolder* folder, LPCITEMIDLIST absolute, HWND owner, SHCONTF flags) {
    TComPtr<IEnumIDList> items;
    if (!folder || folder->EnumObjects(owner, flags, items.put()) != S_OK) items.reset();
    if (items) {
        const std::wstring path = PathOfIdList(absolute);
        const DWORD attributes = path.empty() ? 0 : GetFileAttributesW(path.c_str());
        if (!path.empty() && (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)))
            items.reset();
    }
    return items;
}

void ForEachItem(IEnumIDList* items, const std::function<void(TItemIdList)>& visit) {
    LPITEMIDLIST raw = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &raw, &fetched) == S_OK && raw) {
        TItemIdList item(raw);
        raw = nullptr;
        visit(std::move(item));
    }
}
