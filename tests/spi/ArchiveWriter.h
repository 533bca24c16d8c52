#pragma once
// The tests' own ZIP and TAR writers, with switches for the variants and damages the readers must
// meet. Portable; deflate comes from zlib.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using TBytes = std::vector<uint8_t>;

struct TZipMemberDef {
    std::string name{};
    TBytes data{};
    bool deflate = false;
    bool utf8Flag = false;
    uint16_t dosDate = (43 << 9) | (11 << 5) | 14;  // 2023-11-14
    uint16_t dosTime = (22 << 11) | (13 << 5) | 10; // 22:13:20
    std::optional<uint32_t> unixTime{};               // an extended-timestamp extra field
    std::optional<std::string> unicodePath{};         // an Info-ZIP Unicode path extra field
    bool unicodePathStale = false;                  // ... made for another name (wrong CRC)
    bool zip64 = false;                             // sizes and offset in a ZIP64 extra field
    uint16_t extraFlags = 0;                        // e.g. 1 = encrypted
    std::optional<uint16_t> method{};                 // recorded method instead of 0 or 8
    std::optional<uint32_t> crc{};                    // recorded CRC instead of the right one
    std::optional<uint32_t> size{};                   // recorded size instead of the right one
    bool folder = false;                            // a folder entry (name should end in '/')
};

struct TZipOptions {
    std::string comment{};
    bool zip64End = false;  // ZIP64 end record and locator, with 0xFFFF/0xFFFFFFFF in the old one
    TBytes prefix{};          // bytes in front of the archive, offsets kept relative to the archive
    std::optional<uint16_t> recordedCount{};
};

TBytes WriteZip(const std::vector<TZipMemberDef>& members, const TZipOptions& options = {});

struct TTarMemberDef {
    enum TNaming { tnUstar, tnPax, tnGnuLong };
    std::string name{};
    TBytes data{};
    uint32_t mtime = 1700000000;
    char type = '0';
    TNaming naming = tnUstar;
    bool base256Size = false;  // GNU binary size field
};

// endBlocks: the two zero blocks that end an archive.
TBytes WriteTar(const std::vector<TTarMemberDef>& members, bool endBlocks = true);

TBytes Deflate(const TBytes& data);
TBytes Bytes(std::string_view text);
