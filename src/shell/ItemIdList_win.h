#pragma once
// Shell item identifiers. Every id list the shell hands out is owned by one TItemIdList and freed
// with the shell's allocator (CoTaskMemFree) on every path; the helpers below answer the questions
// the components ask of an id and of its folder: its path, names, parts and icons, the folder's
// items and their order.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <string>

#include "toolkit/ComPtr_win.h"
#include "toolkit/Unique.h"

struct TItemIdListTraits {
    using Handle = LPITEMIDLIST;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { CoTaskMemFree(h); }
};

class TItemIdList : public TUnique<TItemIdListTraits> {
public:
    using TUnique::TUnique;
    // A copy of any id list (absolute or relative); empty for null.
    static TItemIdList CopyOf(LPCITEMIDLIST pidl);
    // parent followed by child (either may be empty).
    static TItemIdList Concat(LPCITEMIDLIST parent, LPCITEMIDLIST child);
    // The absolute id of a path parsed through the desktop folder; empty when it does not parse.
    static TItemIdList FromPath(const std::wstring& path);
    // The id of a special folder (CSIDL_DRIVES and the like); empty when the system has none.
    static TItemIdList SpecialFolder(int csidl);
};

// The file-system path of an absolute id; empty when the item has none (a virtual folder).
std::wstring PathOfIdList(LPCITEMIDLIST absolute);
// The first element of an id list, copied as a list of its own.
TItemIdList FirstElementOf(LPCITEMIDLIST pidl);
// The number of elements of an id list.
int IdListLength(LPCITEMIDLIST pidl);
// A STRRET as text, freeing what it holds.
std::wstring StrRetText(STRRET& value, LPCITEMIDLIST item);
// The element after the first one of an id list (the terminator when there is none).
LPCITEMIDLIST NextElementOf(LPCITEMIDLIST pidl);

// The desktop folder, the root of the namespace; empty only when the shell cannot give it.
TComPtr<IShellFolder> DesktopFolder();
// The folder of an absolute id, bound through the desktop (the desktop itself for the empty id);
// empty when it cannot be bound.
TComPtr<IShellFolder> BindToFolder(LPCITEMIDLIST absolute);
// The name of an item of a folder: flags SHGDN_INFOLDER (as shown), SHGDN_FORPARSING (the full
// path of a file-system item); empty when the folder cannot tell.
std::wstring DisplayNameOf(IShellFolder* folder, LPCITEMIDLIST child, SHGDNF flags);
// Those of the attributes asked for (SFGAO_FOLDER, ...) that the item has; none when the folder
// cannot tell.
SFGAOF AttributesOf(IShellFolder* folder, LPCITEMIDLIST child, SFGAOF asked);
// The folder's own order of two of its items: negative, zero or positive.
int CompareIdsIn(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b);
// The index of an item's icon in the system image list (flags SHGFI_SMALLICON, SHGFI_OPENICON);
// -1 when the system has none.
int SystemIconIndex(LPCITEMIDLIST absolute, UINT flags);
// The system's large-icon or small-icon image list. It belongs to the system: never destroy it.
HIMAGELIST SystemImageList(bool small);
// The system's name of an item's type ("テキスト ドキュメント"); empty when it has none.
std::wstring TypeNameOf(LPCITEMIDLIST absolute);
// The name the shell shows for an absolute id, the desktop's included.
std::wstring ShownNameOf(LPCITEMIDLIST absolute);
// An item's icon as the folder's own icon interface gives it (flags GIL_FORSHELL, GIL_OPENICON);
// -1 when there is no interface or it gives none.
int IconOf(IShellIcon* icons, LPCITEMIDLIST child, UINT flags);
// The items of a folder (flags SHCONTF_FOLDERS, ...); empty when the folder cannot be listed.
TComPtr<IEnumIDList> EnumerateFolder(IShellFolder* folder, LPCITEMIDLIST absolute, HWND owner, SHCONTF flags);
// Hands each item of an enumeration to visit, which owns it from then on.
void ForEachItem(IEnumIDList* items, const std::function<void(TItemIdList)>& visit);
