#pragma once
// Shell item identifiers. Every id list the shell hands out is owned by one TItemIdList and freed
// with the shell's allocator (CoTaskMemFree) on every path; the helpers below answer the questions
// the components ask of an id: its path, its display name, its parts.
#include <windows.h>

#include <shlobj.h>

#include <string>

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
