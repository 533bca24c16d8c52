#pragma once
// Owners for the Windows handles the program holds.
#include <windows.h>

#include "toolkit/Unique.h"

struct TFileHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};
using TUniqueFile = TUnique<TFileHandleTraits>;

struct TKernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};
using TUniqueHandle = TUnique<TKernelHandleTraits>;

struct TFindHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};
using TUniqueFind = TUnique<TFindHandleTraits>;

struct TModuleTraits {
    using Handle = HMODULE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};
using TUniqueModule = TUnique<TModuleTraits>;

struct TLocalTraits {
    using Handle = HLOCAL;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { LocalFree(h); }
};
using TUniqueLocal = TUnique<TLocalTraits>;

struct TGlobalTraits {
    using Handle = HGLOBAL;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { GlobalFree(h); }
};
using TUniqueGlobal = TUnique<TGlobalTraits>;

struct TRegKeyTraits {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};
using TUniqueRegKey = TUnique<TRegKeyTraits>;

struct TGdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
using TUniqueGdiObject = TUnique<TGdiObjectTraits>;

struct TBitmapTraits {
    using Handle = HBITMAP;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
using TUniqueBitmap = TUnique<TBitmapTraits>;

struct TPaletteTraits {
    using Handle = HPALETTE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
using TUniquePalette = TUnique<TPaletteTraits>;
