/* A test image plug-in for the tests' own picture format:
     "VVI1", width (uint16), height (uint16), then width x height pixels of 3 bytes (B, G, R), top row first.
   It answers as a 24-bit DIB. Variants, by definition:
     VERSION="..."   the version entry (default "00IN")
     NO_GET_PICTURE  no GetPicture export
     HALF_FORMATS    entries 2-4 only: an extension without a description at the end
     FAILING         every call fails, leaving a live block in each out-handle
     NO_CONFIG       no ConfigurationDlg export
     CONFIG_RESULT=n what ConfigurationDlg answers (default 0)
     THREE_FORMATS   a third format after the usual two: "*.vvr", "VV test picture (third)"
     COUNT_NUL       GetPluginInfo results count the terminating NUL
     SHORT_BITS      the header it hands back promises one row more than the pixel block holds
     CRASHING        GetPicture writes through a null pointer for a picture 13 pixels wide, as a
                     plug-in with a fault does on one file
     DIB=...         the picture it hands back (default kDib24): kDib565 (16 bits, masks after a
                     40-byte header), kDibMask32 (32 bits, red in the low byte, masks after a 40-byte
                     header), kDibV5 (a 124-byte header holding 32-bit masks), kDibLyingSize (a
                     24-bit picture whose header says 124 bytes in a 40-byte block), kDibZeroMask
                     (16 bits with a green mask of 0)
   It upsets the FPU control words on loading and in every export, and records what it was given
   for the tests to read through VVTestProbe. */
#include "TestSpi.h"

#ifndef VERSION
#define VERSION "00IN"
#endif
#ifndef COUNT_NUL
#define COUNT_NUL 0
#endif
#ifndef CONFIG_RESULT
#define CONFIG_RESULT 0
#endif

enum { kDib24, kDib565, kDibMask32, kDibV5, kDibLyingSize, kDibZeroMask };
#ifndef DIB
#define DIB kDib24
#endif

static uint8_t g_lastHead[2048];
static int g_isSupportedCalls;
static int g_nullProgress;
static int g_progressCalls;
static LONG_PTR g_lastLData;
static HWND g_configParent;
static int g_configFnc = -1;
static HLOCAL g_leftHandle;

static const char* const kInfo[] = {
    VERSION, "VV test picture plug-in 1.0",
#ifdef HALF_FORMATS
    "*.hx", "Half formats picture", "*.hy",
#else
    "*.vvi", "VV test picture", "*.vvp;*.vvq", "VV test picture (other names)",
#endif
#ifdef THREE_FORMATS
    "*.vvr", "VV test picture (third)",
#endif
};

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance, (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) UpsetFpu();
    return TRUE;
}

SPI_EXPORT int WINAPI GetPluginInfo(int infono, LPSTR buf, int buflen) {
    UpsetFpu();
    if (infono < 0 || infono >= (int)(sizeof kInfo / sizeof kInfo[0])) return 0;
    return CopyInfoText(kInfo[infono], buf, buflen, 1, COUNT_NUL);
}

#ifndef NO_CONFIG
SPI_EXPORT int WINAPI ConfigurationDlg(HWND parent, int fnc) {
    UpsetFpu();
    g_configParent = parent;
    g_configFnc = fnc;
    return CONFIG_RESULT;
}
#endif

static int IsOurs(const uint8_t* p) { return memcmp(p, "VVI1", 4) == 0; }

SPI_EXPORT int WINAPI IsSupported(LPCSTR filename, ULONG_PTR dw) {
    (void)filename;
    UpsetFpu();
    ++g_isSupportedCalls;
    /* The host promises the address of 2048 bytes; a file handle here would be read as memory. */
    memcpy(g_lastHead, (const void*)(uintptr_t)dw, sizeof g_lastHead);
#ifdef FAILING
    return 0;
#else
    return IsOurs(g_lastHead);
#endif
}

static inline int ParseHeader(LPCSTR buf, LONG_PTR len, UINT flag, int* w, int* h) {
    if ((flag & 7) != 1) return SPI_NOT_IMPLEMENTED; /* memory input only */
    const uint8_t* p = (const uint8_t*)buf;
    if (len < 8 || !IsOurs(p)) return SPI_UNKNOWN_FORMAT;
    *w = Get16(p + 4);
    *h = Get16(p + 6);
    if (*w == 0 || *h == 0 || (LONG_PTR)(8 + *w * *h * 3) > len) return SPI_BROKEN;
    return SPI_OK;
}

SPI_EXPORT int WINAPI GetPictureInfo(LPCSTR buf, LONG_PTR len, UINT flag, PictureInfo* info) {
    UpsetFpu();
#ifdef FAILING
    (void)buf, (void)len, (void)flag;
    g_leftHandle = LocalAlloc(LMEM_FIXED, 16);
    info->hInfo = g_leftHandle;
    return SPI_BROKEN;
#else
    int w, h;
    int rc = ParseHeader(buf, len, flag, &w, &h);
    if (rc != SPI_OK) return rc;
    memset(info, 0, sizeof *info);
    info->width = w;
    info->height = h;
    info->colorDepth = 24;
    /* Text without a terminating NUL: the block's size ends it. */
    static const char text[] = "made by the test plug-in";
    info->hInfo = LocalAlloc(LMEM_MOVEABLE, sizeof text - 1);
    if (info->hInfo) {
        memcpy(LocalLock(info->hInfo), text, sizeof text - 1);
        LocalUnlock(info->hInfo);
    }
    return SPI_OK;
#endif
}

static inline int Progress(ProgressFn progress, int num, int denom, LONG_PTR lData) {
    ++g_progressCalls;
    g_lastLData = lData;
    if (!progress) { /* a real plug-in would crash here */
        g_nullProgress = 1;
        return 0;
    }
    return progress(num, denom, lData);
}

#ifndef NO_GET_PICTURE
SPI_EXPORT int WINAPI GetPicture(LPCSTR buf, LONG_PTR len, UINT flag, HLOCAL* pHBInfo, HLOCAL* pHBm,
                                 ProgressFn progress, LONG_PTR lData) {
    UpsetFpu();
#ifdef FAILING
    (void)buf, (void)len, (void)flag, (void)progress, (void)lData;
    g_leftHandle = LocalAlloc(LMEM_FIXED, 16);
    *pHBInfo = g_leftHandle;
    *pHBm = g_leftHandle;
    return SPI_BROKEN;
#else
    int w, h;
    int rc = ParseHeader(buf, len, flag, &w, &h);
    if (rc != SPI_OK) return rc;
#ifdef CRASHING
    if (w == 13) *(volatile int*)(uintptr_t)len = 0; /* len is small: an address nothing is mapped at */
#endif
    if (Progress(progress, 0, h, lData)) return 1;
    const int bitCount = DIB == kDib565 || DIB == kDibZeroMask ? 16 : DIB == kDibMask32 || DIB == kDibV5 ? 32 : 24;
    const int stride = (w * bitCount / 8 + 3) & ~3;
    const int masksAfter = DIB == kDib565 || DIB == kDibMask32 || DIB == kDibZeroMask;
    const SIZE_T infoSize = DIB == kDibV5 ? sizeof(BITMAPV5HEADER) : sizeof(BITMAPINFOHEADER) + (masksAfter ? 12 : 0);
    HLOCAL info = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, infoSize);
    HLOCAL bits = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, (SIZE_T)stride * h);
    if (!info || !bits) {
        if (info) LocalFree(info);
        if (bits) LocalFree(bits);
        return SPI_NO_MEMORY;
    }
    uint8_t* infoBytes = (uint8_t*)LocalLock(info);
    BITMAPINFOHEADER* bi = (BITMAPINFOHEADER*)infoBytes;
    bi->biSize = DIB == kDibV5 ? sizeof(BITMAPV5HEADER) : sizeof(BITMAPINFOHEADER);
    bi->biWidth = w;
    bi->biHeight = h;
#ifdef SHORT_BITS
    bi->biHeight = h + 1;
#endif
    bi->biPlanes = 1;
    bi->biBitCount = (WORD)bitCount;
    bi->biCompression = bitCount == 24 ? BI_RGB : BI_BITFIELDS;
    bi->biSizeImage = (DWORD)(stride * h);
    DWORD* masks = (DWORD*)(infoBytes + sizeof(BITMAPINFOHEADER)); /* red, green, blue (and alpha in a V5 header) */
    if (DIB == kDib565 || DIB == kDibZeroMask) {
        masks[0] = 0xF800, masks[1] = DIB == kDibZeroMask ? 0 : 0x07E0, masks[2] = 0x001F;
    } else if (DIB == kDibMask32) {
        masks[0] = 0x000000FF, masks[1] = 0x0000FF00, masks[2] = 0x00FF0000;
    } else if (DIB == kDibV5) {
        BITMAPV5HEADER* v5 = (BITMAPV5HEADER*)infoBytes;
        v5->bV5RedMask = 0x00FF0000, v5->bV5GreenMask = 0x0000FF00, v5->bV5BlueMask = 0x000000FF;
        v5->bV5AlphaMask = 0xFF000000;
        v5->bV5CSType = 0x73524742; /* LCS_sRGB, spelt out: the header writes it as a multi-character constant */
        v5->bV5Intent = LCS_GM_IMAGES;
    } else if (DIB == kDibLyingSize) {
        bi->biSize = sizeof(BITMAPV5HEADER);
    }
    LocalUnlock(info);
    uint8_t* out = (uint8_t*)LocalLock(bits);
    const uint8_t* in = (const uint8_t*)buf + 8;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = out + (size_t)(h - 1 - y) * stride; /* bottom-up */
        for (int x = 0; x < w; ++x) {
            const uint8_t* bgr = in + ((size_t)y * w + x) * 3;
            uint8_t* px = row + (size_t)x * bitCount / 8;
            if (bitCount == 16) {
                const unsigned v = (unsigned)(bgr[2] >> 3) << 11 | (unsigned)(bgr[1] >> 2) << 5 | (unsigned)(bgr[0] >> 3);
                px[0] = (uint8_t)v, px[1] = (uint8_t)(v >> 8);
            } else if (DIB == kDibMask32) {
                px[0] = bgr[2], px[1] = bgr[1], px[2] = bgr[0], px[3] = 0;
            } else {
                memcpy(px, bgr, 3);
                if (bitCount == 32) px[3] = 0xFF;
            }
        }
        Progress(progress, y + 1, h, lData);
    }
    LocalUnlock(bits);
    *pHBInfo = info;
    *pHBm = bits;
    return SPI_OK;
#endif
}
#endif

SPI_EXPORT int WINAPI GetPreview(LPCSTR buf, LONG_PTR len, UINT flag, HLOCAL* pHBInfo, HLOCAL* pHBm,
                                 ProgressFn progress, LONG_PTR lData) {
    (void)buf, (void)len, (void)flag, (void)pHBInfo, (void)pHBm, (void)progress, (void)lData;
    return SPI_NOT_IMPLEMENTED;
}

/* For the tests: what the plug-in saw. */
enum { PROBE_LAST_HEAD = 1, PROBE_IS_SUPPORTED_CALLS, PROBE_NULL_PROGRESS, PROBE_PROGRESS_CALLS, PROBE_LAST_LDATA,
       PROBE_CONFIG_PARENT, PROBE_CONFIG_FNC, PROBE_LEFT_HANDLE };

SPI_EXPORT int WINAPI VVTestProbe(int what, void* out) {
    switch (what) {
    case PROBE_LAST_HEAD: memcpy(out, g_lastHead, sizeof g_lastHead); return (int)sizeof g_lastHead;
    case PROBE_IS_SUPPORTED_CALLS: return g_isSupportedCalls;
    case PROBE_NULL_PROGRESS: return g_nullProgress;
    case PROBE_PROGRESS_CALLS: return g_progressCalls;
    case PROBE_LAST_LDATA: return (int)g_lastLData;
    case PROBE_CONFIG_PARENT: return (int)(uintptr_t)g_configParent;
    case PROBE_CONFIG_FNC: return g_configFnc;
    case PROBE_LEFT_HANDLE: return (int)(uintptr_t)g_leftHandle;
    }
    return 0;
}
