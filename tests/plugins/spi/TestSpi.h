/* Shared by the test plug-ins: the Susie records and a few helpers. The test plug-ins are plain C
   DLLs with undecorated stdcall exports, as plug-ins from other compilers are. */
#ifndef VV_TEST_SPI_H
#define VV_TEST_SPI_H

#include <windows.h>

#include <stdint.h>
#include <string.h>

#define SPI_EXPORT __declspec(dllexport)

typedef int(WINAPI* ProgressFn)(int nNum, int nDenom, LONG_PTR lData);

#pragma pack(push, 1)
typedef struct {
    int32_t left, top, width, height;
    uint16_t x_density, y_density;
    int16_t colorDepth;
    HLOCAL hInfo;
} PictureInfo;

typedef struct {
    uint8_t method[8];
    uint32_t position;
    uint32_t compsize;
    uint32_t filesize;
    int32_t timestamp;
    char path[200];
    char filename[200];
    uint32_t crc;
} FileInfo;
#pragma pack(pop)

/* Susie result codes. */
enum { SPI_OK = 0, SPI_NOT_IMPLEMENTED = -1, SPI_UNKNOWN_FORMAT = 2, SPI_BROKEN = 3, SPI_NO_MEMORY = 4,
       SPI_READ_ERROR = 6 };

/* Copies an info entry the way plug-ins do it. With terminate 0 no NUL is written (the host must
   terminate the text itself); with countNul 1 the result counts the NUL, as some plug-ins do. */
static inline int CopyInfoText(const char* text, char* buf, int buflen, int terminate, int countNul) {
    int n = (int)strlen(text);
    if (n > buflen - 1) n = buflen - 1;
    memcpy(buf, text, (size_t)n);
    if (terminate) buf[n] = '\0';
    return countNul ? n + 1 : n;
}

/* Changes the FPU control words as plug-ins built with other compilers do: round toward zero,
   64-bit precision on the x87; round toward zero on SSE. The host must put them back. */
static inline void UpsetFpu(void) {
    uint16_t cw = 0x0F7F;
    uint32_t csr = 0x7F80;
    __asm__ volatile("fldcw %0" : : "m"(cw));
    __asm__ volatile("ldmxcsr %0" : : "m"(csr));
}

/* Reads a whole file through the ANSI API, as plug-ins do. Returns a heap block, or NULL. */
static inline uint8_t* ReadWholeFile(const char* path, DWORD* size) {
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) return NULL;
    DWORD n = GetFileSize(h, NULL);
    uint8_t* data = (uint8_t*)HeapAlloc(GetProcessHeap(), 0, n ? n : 1);
    DWORD got = 0;
    if (data && n && (!ReadFile(h, data, n, &got, NULL) || got != n)) {
        HeapFree(GetProcessHeap(), 0, data);
        data = NULL;
    }
    CloseHandle(h);
    *size = n;
    return data;
}

static inline uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24; }
static inline uint16_t Get16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }

#endif
