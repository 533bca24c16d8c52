#pragma once
// What crosses the boundary to a Susie plug-in: the exported functions (stdcall, found by their
// undecorated names), the picture-information record and the archive member record. Strings are
// ANSI; a result of 0 means success unless said otherwise. Blocks that a plug-in hands back are
// local-memory handles, which the caller frees with LocalFree.
#include <windows.h>

#include "plugins/SusieRecords.h"

#pragma pack(push, 1)
struct TSusiePictureInfo {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
    uint16_t x_density;
    uint16_t y_density;
    int16_t colorDepth;
    HLOCAL hInfo;  // text about the picture, or null
};
#pragma pack(pop)
// 26 bytes in the 32-bit plug-ins users have; a 64-bit build carries a pointer-sized handle.
static_assert(sizeof(TSusiePictureInfo) == 22 + sizeof(HLOCAL), "picture-information record is packed");

// GetFile's flag: where the member comes from (bits 0-2) and where it goes (bits 8-10).
enum : UINT {
    kSusieInputFile = 0x000,
    kSusieInputMemory = 0x001,
    kSusieOutputFile = 0x000,
    kSusieOutputMemory = 0x100,
    kSusieOutputMask = 0x700,
};

// The progress callback: a non-zero answer asks the plug-in to stop.
using TSusieProgress = int(WINAPI*)(int nNum, int nDenom, LONG_PTR lData);

using GetPluginInfoFn = int(WINAPI*)(int infono, LPSTR buf, int buflen);
using ConfigurationDlgFn = int(WINAPI*)(HWND parent, int fnc);
// dw is a file handle or the address of the file's head; this program always passes an address.
using IsSupportedFn = int(WINAPI*)(LPCSTR filename, ULONG_PTR dw);
using GetPictureInfoFn = int(WINAPI*)(LPCSTR buf, LONG len, UINT flag, TSusiePictureInfo* lpInfo);
using GetPictureFn = int(WINAPI*)(LPCSTR buf, LONG len, UINT flag, HLOCAL* pHBInfo, HLOCAL* pHBm,
                                  TSusieProgress lpPrgressCallback, LONG_PTR lData);
using GetPreviewFn = GetPictureFn;
using GetArchiveInfoFn = int(WINAPI*)(LPCSTR buf, LONG len, UINT flag, HLOCAL* lphInf);
using GetFileInfoFn = int(WINAPI*)(LPCSTR buf, LONG len, LPCSTR filename, UINT flag, TSusieFileInfo* lpInfo);
// dest is the address of a handle for memory output, or a folder name for file output.
using GetFileFn = int(WINAPI*)(LPCSTR src, LONG len, LPSTR dest, UINT flag, TSusieProgress prgressCallback,
                               LONG_PTR lData);
