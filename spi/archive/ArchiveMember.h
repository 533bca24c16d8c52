#pragma once
// One archive member as the archive readers list it, and the receiver of an extracted member.
// Portable: the Windows half turns these into the plug-in's 428-byte records and output blocks.
#include <cstddef>
#include <cstdint>
#include <string>

#include "spi/common/SpiResult.h"

struct TArchiveMember {
    std::string method;           // as listed: "Store", "Deflate", "-tar-", ...
    uint64_t position = 0;        // from the source's start; ExtractMember takes it back
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    int64_t time = 0;             // seconds since 1970
    bool timeIsLocal = false;     // a DOS stamp: the wall-clock time of the zone it was made in
    std::string name;             // the stored name, bytes as they are, '/' or '\' between folders
    bool nameIsUtf8 = false;      // the name is UTF-8 text rather than bytes of the ANSI code page
    uint32_t crc = 0;
};

class TMemberSink {
public:
    TMemberSink() = default;
    TMemberSink(const TMemberSink&) = delete;
    TMemberSink& operator=(const TMemberSink&) = delete;
    virtual ~TMemberSink() = default;

    // Hears the member once before its data; anything but srSuccess ends the extraction.
    virtual TSpiResult Begin(const TArchiveMember& member) = 0;
    // Takes the member's data in order, member.size bytes in all.
    virtual TSpiResult Write(const uint8_t* data, size_t count) = 0;
};
