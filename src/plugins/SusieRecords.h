#pragma once
// The records that cross the Susie plug-in boundary and have the same layout on every platform.
// These records hold no pointers, so portable code can read them too.
// The picture-information record, which carries a handle, is in SusieApi.h.
#include <cstddef>
#include <cstdint>

// IsSupported always reads this many bytes of the file's head.
inline constexpr size_t kSusieHeadSize = 2048;

#pragma pack(push, 1)
// One archive member as GetArchiveInfo lists it. Text fields are ANSI and end at their first NUL
// or at their full width.
struct TSusieFileInfo {
    uint8_t method[8];   // compression method; a first byte of 0 ends the list
    uint32_t position;   // where the member is, in the plug-in's own terms; handed back to GetFile
    uint32_t compsize;   // compressed size
    uint32_t filesize;   // original size
    int32_t timestamp;   // seconds since 1970, UTC
    char path[200];      // folder inside the archive
    char filename[200];  // name without folder
    uint32_t crc;
};
#pragma pack(pop)
static_assert(sizeof(TSusieFileInfo) == 428, "archive member record is 428 bytes");
static_assert(offsetof(TSusieFileInfo, path) == 24 && offsetof(TSusieFileInfo, crc) == 424);
