#pragma once
// What crosses the boundary to a Susie plug-in, shared by the host and the plug-ins this project
// ships: the exported functions (stdcall, found by their undecorated names), the picture-information
// record, the flag bits and the progress callback. Strings are ANSI; a result of 0 means success
// unless said otherwise. Blocks that a plug-in hands back are local-memory handles, which the caller
// frees with LocalFree.
//
// Values that carry an address (the callback's lData, IsSupported's dw, len where buf may be a
// buffer) are pointer-sized, as 64-bit plug-ins take them; in a 32-bit build these are the classic
// 32-bit types, unchanged.
#include <windows.h>

#include "plugins/SusieRecords.h"

#pragma pack(push, 1)
struct TSusiePictureInfo {
    int32_t left;  // where the picture sits on its canvas
    int32_t top;
    int32_t width;  // in pixels
    int32_t height;
    uint16_t x_density;
    uint16_t y_density;
    int16_t colorDepth;  // bits per pixel
    HLOCAL hInfo;        // text about the picture, or null
};
#pragma pack(pop)
static_assert(sizeof(TSusiePictureInfo) == 22 + sizeof(HLOCAL),
              "picture-information record: 26 bytes in 32-bit plug-ins, 30 in 64-bit ones");

// The flag: where the data comes from (bits 0-2), where GetFile puts the member (bits 8-10).
enum : UINT {
    kSusieInputMask = 0x007,
    kSusieInputFile = 0x000,    // buf is a path, len the offset where the data starts
    kSusieInputMemory = 0x001,  // buf is the data, len its size
    kSusieOutputMask = 0x700,
    kSusieOutputFile = 0x000,    // dest is a folder
    kSusieOutputMemory = 0x100,  // dest is the address of an HLOCAL
    kSusieIgnoreCase = 0x080,    // GetFileInfo compares member names ignoring case
};

// The progress callback: a non-zero answer asks the plug-in to stop. lData is the caller's value,
// handed through unchanged.
using TSusieProgress = int(WINAPI*)(int nNum, int nDenom, LONG_PTR lData);

using GetPluginInfoFn = int(WINAPI*)(int infono, LPSTR buf, int buflen);
using ConfigurationDlgFn = int(WINAPI*)(HWND parent, int fnc);
// dw is a file handle or the address of the file's head; this program always passes an address.
using IsSupportedFn = int(WINAPI*)(LPCSTR filename, ULONG_PTR dw);
using GetPictureInfoFn = int(WINAPI*)(LPCSTR buf, LONG_PTR len, UINT flag, TSusiePictureInfo* lpInfo);
using GetPictureFn = int(WINAPI*)(LPCSTR buf, LONG_PTR len, UINT flag, HLOCAL* pHBInfo, HLOCAL* pHBm,
                                  TSusieProgress lpPrgressCallback, LONG_PTR lData);
using GetPreviewFn = GetPictureFn;
using GetArchiveInfoFn = int(WINAPI*)(LPCSTR buf, LONG_PTR len, UINT flag, HLOCAL* lphInf);
using GetFileInfoFn = int(WINAPI*)(LPCSTR buf, LONG_PTR len, LPCSTR filename, UINT flag, TSusieFileInfo* lpInfo);
// dest is the address of a handle for memory output, or a folder name for file output.
using GetFileFn = int(WINAPI*)(LPCSTR src, LONG_PTR len, LPSTR dest, UINT flag, TSusieProgress prgressCallback,
                               LONG_PTR lData);
