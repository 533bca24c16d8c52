/* A test archive plug-in for the tests' own archive format:
     "VVA1", member count (uint32), then per member: path length (uint8), path, name length (uint8),
     name, time stamp (uint32, Unix seconds), size (uint32), then size bytes of data.
   A member's position is 0xF0000000 plus its index, so that a host that alters the value on its
   way back to GetFile fails. Variants, by definition:
     FAILING        every call fails, leaving a live block in the out-handle
     NO_TERMINATOR  the record block has no terminating record and ends in part of a record
     SHORT_BLOCK    GetFile hands back a block half as long as the member
     NO_HANDLE      GetArchiveInfo and GetFile answer success without a handle
   Its GetPluginInfo writes no NUL after the text: the host terminates entries itself. */
#include "TestSpi.h"

#define POSITION_BASE 0xF0000000u

static int g_nullProgress;
static HLOCAL g_leftHandle;
static char g_lastSupportedName[MAX_PATH];

static const char* const kInfo[] = {"00AM", "VV test archive plug-in 1.0", "*.vva", "VV test archive"};

SPI_EXPORT int WINAPI GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono < 0 || infono >= (int)(sizeof kInfo / sizeof kInfo[0])) return 0;
    return CopyInfoText(kInfo[infono], buf, buflen, 0, 0);
}

SPI_EXPORT int WINAPI IsSupported(LPCSTR filename, DWORD_PTR dw) {
    lstrcpynA(g_lastSupportedName, filename ? filename : "", MAX_PATH);
    return memcmp((const void*)(uintptr_t)dw, "VVA1", 4) == 0;
}

typedef struct {
    const char* path;
    int pathLen;
    const char* name;
    int nameLen;
    uint32_t time;
    uint32_t size;
    const uint8_t* data;
} Member;

/* Walks the archive; fills member (when not NULL) for entry `want`. Returns the member count, or -1. */
static inline int Walk(const uint8_t* p, DWORD size, uint32_t want, Member* member) {
    if (size < 8 || memcmp(p, "VVA1", 4) != 0) return -1;
    const uint32_t count = Get32(p + 4);
    DWORD at = 8;
    for (uint32_t i = 0; i < count; ++i) {
        Member m = {0};
        if (at + 1 > size) return -1;
        m.pathLen = p[at++];
        if (at + m.pathLen + 1 > size) return -1;
        m.path = (const char*)p + at;
        at += m.pathLen;
        m.nameLen = p[at++];
        if (at + m.nameLen + 8 > size) return -1;
        m.name = (const char*)p + at;
        at += m.nameLen;
        m.time = Get32(p + at);
        m.size = Get32(p + at + 4);
        at += 8;
        if (m.size > size - at) return -1;
        m.data = p + at;
        at += m.size;
        if (member && i == want) *member = m;
    }
    return (int)count;
}

static inline void CopyField(char* field, const char* text, int n) {
    memset(field, 0, 200);
    memcpy(field, text, (size_t)(n < 200 ? n : 200)); /* a 200-byte name has no NUL */
}

static inline uint32_t Sum(const uint8_t* p, uint32_t n) {
    uint32_t s = 0;
    for (uint32_t i = 0; i < n; ++i) s = s * 31 + p[i];
    return s;
}

SPI_EXPORT int WINAPI GetArchiveInfo(LPCSTR buf, LONG len, UINT flag, HLOCAL* lphInf) {
    if ((flag & 7) != 0) return SPI_NOT_IMPLEMENTED;
#ifdef FAILING
    (void)buf, (void)len;
    g_leftHandle = LocalAlloc(LMEM_FIXED, sizeof(FileInfo) * 2);
    *lphInf = g_leftHandle;
    return SPI_BROKEN;
#elif defined(NO_HANDLE)
    (void)buf, (void)len, (void)lphInf;
    return SPI_OK;
#else
    DWORD size = 0;
    uint8_t* file = ReadWholeFile(buf, &size);
    if (!file) return SPI_READ_ERROR;
    if ((DWORD)len > size) {
        HeapFree(GetProcessHeap(), 0, file);
        return SPI_READ_ERROR;
    }
    const uint8_t* p = file + len;
    const int count = Walk(p, size - (DWORD)len, 0, NULL);
    if (count < 0) {
        HeapFree(GetProcessHeap(), 0, file);
        return SPI_UNKNOWN_FORMAT;
    }
#ifdef NO_TERMINATOR
    /* Whole records, then 100 bytes of a further one, and no terminating record. */
    const SIZE_T blockSize = sizeof(FileInfo) * (SIZE_T)count + 100;
    HLOCAL block = LocalAlloc(LMEM_FIXED, blockSize);
    if (block) memset(block, 'X', blockSize);
#else
    const SIZE_T blockSize = sizeof(FileInfo) * ((SIZE_T)count + 1);
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, blockSize);
#endif
    if (!block) {
        HeapFree(GetProcessHeap(), 0, file);
        return SPI_NO_MEMORY;
    }
    FileInfo* records = (FileInfo*)LocalLock(block);
    for (int i = 0; i < count; ++i) {
        Member m = {0};
        Walk(p, size - (DWORD)len, (uint32_t)i, &m);
        FileInfo* r = &records[i];
        memcpy(r->method, "VVSTORED", 8); /* all 8 bytes used: no NUL */
        r->position = POSITION_BASE + (uint32_t)i;
        r->compsize = m.size;
        r->filesize = m.size;
        r->timestamp = (int32_t)m.time;
        CopyField(r->path, m.path, m.pathLen);
        CopyField(r->filename, m.name, m.nameLen);
        r->crc = Sum(m.data, m.size);
    }
    LocalUnlock(block);
    HeapFree(GetProcessHeap(), 0, file);
    *lphInf = block;
    return SPI_OK;
#endif
}

SPI_EXPORT int WINAPI GetFileInfo(LPCSTR buf, LONG len, LPCSTR filename, UINT flag, FileInfo* lpInfo) {
    (void)buf, (void)len, (void)filename, (void)flag, (void)lpInfo;
    return SPI_NOT_IMPLEMENTED;
}

SPI_EXPORT int WINAPI GetFile(LPCSTR src, LONG len, LPSTR dest, UINT flag, ProgressFn progress, LONG lData) {
    if ((flag & 7) != 0 || (flag & 0x700) != 0x100) return SPI_NOT_IMPLEMENTED; /* file in, memory out */
    if (!progress) g_nullProgress = 1; /* a real plug-in would crash on calling it */
#ifdef FAILING
    (void)src, (void)len, (void)lData;
    g_leftHandle = LocalAlloc(LMEM_FIXED, 16);
    *(HLOCAL*)dest = g_leftHandle;
    return SPI_BROKEN;
#elif defined(NO_HANDLE)
    (void)src, (void)len, (void)dest, (void)lData;
    return SPI_OK;
#else
    const uint32_t index = (uint32_t)len - POSITION_BASE;
    DWORD size = 0;
    uint8_t* file = ReadWholeFile(src, &size);
    if (!file) return SPI_READ_ERROR;
    Member m = {0};
    const int count = Walk(file, size, index, &m);
    if (count < 0 || index >= (uint32_t)count) {
        HeapFree(GetProcessHeap(), 0, file);
        return SPI_BROKEN;
    }
    if (progress && progress(0, (int)m.size, lData)) {
        HeapFree(GetProcessHeap(), 0, file);
        return 1;
    }
#ifdef SHORT_BLOCK
    const SIZE_T blockSize = m.size / 2;
#else
    const SIZE_T blockSize = m.size;
#endif
    HLOCAL block = LocalAlloc(LMEM_FIXED, blockSize ? blockSize : 1);
    if (!block) {
        HeapFree(GetProcessHeap(), 0, file);
        return SPI_NO_MEMORY;
    }
    memcpy(block, m.data, blockSize);
    HeapFree(GetProcessHeap(), 0, file);
    if (progress) progress((int)m.size, (int)m.size, lData);
    *(HLOCAL*)dest = block;
    return SPI_OK;
#endif
}

enum { PROBE_NULL_PROGRESS = 3, PROBE_LEFT_HANDLE = 8, PROBE_LAST_SUPPORTED_NAME = 9 };

SPI_EXPORT int WINAPI VVTestProbe(int what, void* out) {
    switch (what) {
    case PROBE_NULL_PROGRESS: return g_nullProgress;
    case PROBE_LEFT_HANDLE: return (int)(uintptr_t)g_leftHandle;
    case PROBE_LAST_SUPPORTED_NAME: lstrcpynA((char*)out, g_lastSupportedName, MAX_PATH); return 1;
    }
    return 0;
}
