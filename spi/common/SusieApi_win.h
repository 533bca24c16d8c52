#pragma once
// What crosses the plug-in boundary: the packed records, the flag bits and the progress callback
// of the published Susie plug-in interface, plus the helpers both plug-ins use at that boundary.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <new>
#include <span>

#include "spi/common/ByteSource.h"

#pragma pack(push, 1)
struct TSusiePictureInfo {
    LONG left, top;       // where the picture sits on its canvas
    LONG width, height;   // in pixels
    WORD x_density, y_density;
    SHORT colorDepth;     // bits per pixel
    HLOCAL hInfo;         // text block with comments, or none
};

struct TSusieFileInfo {
    unsigned char method[8];  // NUL-padded text, "Store", "Deflate", ...; first byte 0 ends the list
    DWORD position;           // what GetFile takes back to find the member
    DWORD compsize;
    DWORD filesize;
    INT32 timestamp;          // seconds since 1970, UTC
    char path[200];           // folder inside the archive, ending in '\', or empty
    char filename[200];
    DWORD crc;
};
#pragma pack(pop)
static_assert(sizeof(TSusiePictureInfo) == 22 + sizeof(HLOCAL));  // 26 bytes in 32-bit plug-ins
static_assert(sizeof(TSusieFileInfo) == 428);

// flag & kInputMask: where the data comes from.
constexpr UINT kInputMask = 0x7;
constexpr UINT kInputFile = 0;    // buf is a path, len the offset where the data starts
constexpr UINT kInputMemory = 1;  // buf is the data, len its size
// flag & kOutputMask (GetFile): where the member goes.
constexpr UINT kOutputMask = 0x700;
constexpr UINT kOutputFile = 0;       // dest is a folder
constexpr UINT kOutputMemory = 0x100; // dest is the address of an HLOCAL
// GetFileInfo: compare member names ignoring case.
constexpr UINT kIgnoreCase = 0x80;

using TSusieProgressFn = int(WINAPI*)(int nNum, int nDenom, LONG_PTR lData);

// The host's progress callback as a TProgress (which answers false to stop). A null callback
// never stops. Counts beyond int are scaled down so that the ratio stays right.
TProgress MakeProgress(FARPROC callback, LONG_PTR data);

// Copies text into a caller's buffer of buflen bytes, cut to fit and NUL-terminated, and returns
// the number of characters written (0 when nothing fits).
int CopyToCallerBuffer(const char* text, LPSTR buf, int buflen);

// True when IsSupported's second argument is a file handle rather than the address of the file's
// first 2 KB: handles never reach 0x10000, addresses always do.
inline bool IsHandleArgument(DWORD_PTR dw) { return (dw & 0xFFFF0000u) == 0; }

// IsSupported's answer: the file's first headSize bytes, read from the handle or taken from the
// address that dw holds, go to recognise. Nothing raised leaves: a failure answers 0.
int AnswerIsSupported(DWORD_PTR dw, size_t headSize, const std::function<bool(std::span<const uint8_t>)>& recognise);

// Runs an export's body: no exception may leave an export, since the host is not ours and may not
// be C++. Memory exhaustion is srNoMemory, anything else srInternalError.
template <class Fn>
int Guarded(Fn fn) noexcept {
    try {
        return fn();
    } catch (const std::bad_alloc&) {
        return srNoMemory;
    } catch (...) {
        return srInternalError;
    }
}

#define SPI_EXPORT extern "C" __declspec(dllexport)
