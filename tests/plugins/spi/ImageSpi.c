/* A test image plug-in for the tests' own picture format:
     "VVI1", width (uint16), height (uint16), then width x height pixels of 3 bytes (B, G, R), top row first.
   It answers as a 24-bit DIB. Variants, by definition:
     VERSION="..."   the version entry (default "00IN")
     NO_GET_PICTURE  no GetPicture export
     HALF_FORMATS    entries 2-4 only: an extension without a description at the end
     FAILING         every call fails, leaving a live block in each out-handle
     NO_CONFIG       no ConfigurationDlg export
     COUNT_NUL       GetPluginInfo results count the terminating NUL
     SHORT_BITS      the header it hands back promises one row more than the pixel block holds
   It upsets the FPU control words on loading and in every export, and records what it was given
   for the tests to read through VVTestProbe. */
#include "TestSpi.h"

#ifndef VERSION
#define VERSION "00IN"
#endif
#ifndef COUNT_NUL
#define COUNT_NUL 0
#endif

static uint8_t g_lastHead[2048];
static int g_isSupportedCalls;
static int g_nullProgress;
static int g_progressCalls;
static LONG g_lastLData;
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
    return 0;
}
#endif

static int IsOurs(const uint8_t* p) { return memcmp(p, "VVI1", 4) == 0; }

SPI_EXPORT int WINAPI IsSupported(LPCSTR filename, DWORD_PTR dw) {
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

static inline int ParseHeader(LPCSTR buf, LONG len, UINT flag, int* w, int* h) {
    if ((flag & 7) != 1) return SPI_NOT_IMPLEMENTED; /* memory input only */
    const uint8_t* p = (const uint8_t*)buf;
    if (len < 8 || !IsOurs(p)) return SPI_UNKNOWN_FORMAT;
    *w = Get16(p + 4);
    *h = Get16(p + 6);
    if (*w == 0 || *h == 0 || (LONG)(8 + *w * *h * 3) > len) return SPI_BROKEN;
    return SPI_OK;
}

SPI_EXPORT int WINAPI GetPictureInfo(LPCSTR buf, LONG len, UINT flag, PictureInfo* info) {
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

static inline int Progress(ProgressFn progress, int num, int denom, LONG lData) {
    ++g_progressCalls;
    g_lastLData = lData;
    if (!progress) { /* a real plug-in would crash here */
        g_nullProgress = 1;
        return 0;
    }
    return progress(num, denom, lData);
}

#ifndef NO_GET_PICTURE
SPI_EXPORT int WINAPI GetPicture(LPCSTR buf, LONG len, UINT flag, HLOCAL* pHBInfo, HLOCAL* pHBm,
                                 ProgressFn progress, LONG lData) {
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
    if (Progress(progress, 0, h, lData)) return 1;
    const int stride = (w * 3 + 3) & ~3;
    HLOCAL info = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER));
    HLOCAL bits = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, (SIZE_T)stride * h);
    if (!info || !bits) {
        if (info) LocalFree(info);
        if (bits) LocalFree(bits);
        return SPI_NO_MEMORY;
    }
    BITMAPINFOHEADER* bi = (BITMAPINFOHEADER*)LocalLock(info);
    bi->biSize = sizeof *bi;
    bi->biWidth = w;
    bi->biHeight = h;
#ifdef SHORT_BITS
    bi->biHeight = h + 1;
#endif
    bi->biPlanes = 1;
    bi->biBitCount = 24;
    bi->biSizeImage = (DWORD)(stride * h);
    LocalUnlock(info);
    uint8_t* out = (uint8_t*)LocalLock(bits);
    const uint8_t* in = (const uint8_t*)buf + 8;
    for (int y = 0; y < h; ++y) {
        memcpy(out + (size_t)(h - 1 - y) * stride, in + (size_t)y * w * 3, (size_t)w * 3); /* bottom-up */
        Progress(progress, y + 1, h, lData);
    }
    LocalUnlock(bits);
    *pHBInfo = info;
    *pHBm = bits;
    return SPI_OK;
#endif
}
#endif

SPI_EXPORT int WINAPI GetPreview(LPCSTR buf, LONG len, UINT flag, HLOCAL* pHBInfo, HLOCAL* pHBm,
                                 ProgressFn progress, LONG lData) {
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
