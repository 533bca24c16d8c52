#include "spi/archive/TarReader.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "spi/archive/MemberNames.h"

namespace {

// Extension data is read into memory; real headers stay far below these.
constexpr uint64_t kMaxPaxSize = 1 << 20;
constexpr uint64_t kMaxLongNameSize = 64 * 1024;
constexpr size_t kChunk = 64 * 1024;

struct TTarEntry {
    char type = 0;
    std::string name;
    uint64_t size = 0;
    int64_t mtime = 0;
    uint64_t data = 0;  // where the data starts
    uint64_t next = 0;  // where the next header starts
};

std::string_view Field(const uint8_t* block, size_t at, size_t length) {
    const char* p = reinterpret_cast<const char*>(block + at);
    return std::string_view(p, strnlen(p, length));
}

// A numeric field: octal digits between optional spaces, ended by a space or NUL, or (GNU) a
// big-endian binary number when the first byte has its top bit set.
std::optional<uint64_t> ParseNumber(const uint8_t* p, size_t length) {
    if (p[0] & 0x80) {
        if (p[0] != 0x80) return std::nullopt;  // negative, or too large for 64 bits
        uint64_t v = 0;
        for (size_t i = 1; i < length; ++i) {
            if (v >> 56) return std::nullopt;
            v = v << 8 | p[i];
        }
        return v;
    }
    size_t i = 0;
    while (i < length && p[i] == ' ') ++i;
    uint64_t v = 0;
    for (; i < length && p[i] >= '0' && p[i] <= '7'; ++i) {
        if (v >> 61) return std::nullopt;
        v = v << 3 | static_cast<uint64_t>(p[i] - '0');
    }
    for (; i < length; ++i)
        if (p[i] != ' ' && p[i] != '\0') return std::nullopt;
    return v;
}

std::optional<uint64_t> ParseDecimal(std::string_view text) {
    if (text.empty()) return std::nullopt;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || v > (UINT64_MAX - 9) / 10) return std::nullopt;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    return v;
}

// pax times may be negative and carry a fraction: "-12.5", "1700000000.123456789".
std::optional<int64_t> ParsePaxTime(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    const auto whole = ParseDecimal(text.substr(0, text.find('.')));
    if (!whole || *whole > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
    return negative ? -static_cast<int64_t>(*whole) : static_cast<int64_t>(*whole);
}

int64_t ClampTime(uint64_t t) { return t > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(t); }

// What extension headers say about the entry after them.
struct TPending {
    std::optional<std::string> name;
    std::optional<uint64_t> size;
    std::optional<int64_t> mtime;
};

// pax records: "<length> <key>=<value>\n", the length counting the whole record.
TSpiResult ParsePax(std::string_view data, TPending& pending) {
    while (!data.empty()) {
        const size_t space = data.find(' ');
        if (space == std::string_view::npos) return srBrokenData;
        const auto length = ParseDecimal(data.substr(0, space));
        if (!length || *length <= space + 1 || *length > data.size()) return srBrokenData;
        const std::string_view record = data.substr(space + 1, static_cast<size_t>(*length) - space - 1);
        data.remove_prefix(static_cast<size_t>(*length));
        if (record.back() != '\n') return srBrokenData;
        const size_t eq = record.find('=');
        if (eq == std::string_view::npos) return srBrokenData;
        const std::string_view key = record.substr(0, eq), value = record.substr(eq + 1, record.size() - eq - 2);
        if (key == "path") {
            pending.name = std::string(value);
        } else if (key == "size") {
            if (!(pending.size = ParseDecimal(value))) return srBrokenData;
        } else if (key == "mtime") {
            if (!(pending.mtime = ParsePaxTime(value))) return srBrokenData;
        }
    }
    return srSuccess;
}

bool IsRegularFile(char type) { return type == '0' || type == '\0' || type == '7'; }

TArchiveMember ToMember(const TTarEntry& entry, uint64_t position) {
    TArchiveMember m;
    m.method = "-tar-";
    m.position = position;
    m.compressedSize = m.size = entry.size;
    m.time = entry.mtime;
    m.name = entry.name;
    m.nameIsUtf8 = IsValidUtf8(entry.name);
    return m;
}

// Reads the entry whose first header lies at offset: extension headers ('x', 'L', 'g', 'K')
// and then the header they belong to. end is set instead when the archive's end is reached.
TSpiResult ReadEntry(TByteSource& source, uint64_t offset, TTarEntry& entry, bool& end) {
    end = false;
    TPending pending;
    for (;;) {
        const uint64_t size = source.Size();
        if (offset == size) {  // no end blocks: a file that simply stops between members
            end = true;
            return srSuccess;
        }
        uint8_t h[kTarBlock];
        if (TSpiResult r = source.ReadAt(offset, h, kTarBlock); r != srSuccess) return r;
        if (std::all_of(h, h + kTarBlock, [](uint8_t b) { return b == 0; })) {
            end = true;
            return srSuccess;
        }
        if (!IsTarHeader(h)) return srBrokenData;
        const auto headerSize = ParseNumber(h + 124, 12);
        if (!headerSize) return srBrokenData;
        const int64_t mtime = ClampTime(ParseNumber(h + 136, 12).value_or(0));  // a stamp is no reason to fail

        entry.type = static_cast<char>(h[156]);
        const bool extension = entry.type == 'x' || entry.type == 'g' || entry.type == 'L' || entry.type == 'K';
        entry.size = extension || !pending.size ? *headerSize : *pending.size;
        entry.data = offset + kTarBlock;
        if (entry.data > size || entry.size > size - entry.data) return srBrokenData;
        entry.next = entry.data + (entry.size + kTarBlock - 1) / kTarBlock * kTarBlock;
        entry.next = std::min(entry.next, size);  // the last block's padding may be missing

        if (entry.type == 'x' || entry.type == 'L') {
            if (entry.size > (entry.type == 'x' ? kMaxPaxSize : kMaxLongNameSize)) return srBrokenData;
            std::string data(static_cast<size_t>(entry.size), '\0');
            if (TSpiResult r = source.ReadAt(entry.data, data.data(), data.size()); r != srSuccess) return r;
            if (entry.type == 'L') {
                pending.name = data.substr(0, data.find('\0'));
            } else if (TSpiResult r2 = ParsePax(data, pending); r2 != srSuccess) {
                return r2;
            }
            offset = entry.next;
            continue;
        }
        if (entry.type == 'g' || entry.type == 'K') {  // global pax settings, GNU long link target
            offset = entry.next;
            continue;
        }

        if (pending.name) {
            entry.name = *pending.name;
        } else {
            entry.name = std::string(Field(h, 0, 100));
            // POSIX ustar keeps the front of a long name in a prefix field; GNU uses that space otherwise.
            const std::string_view prefix = Field(h, 345, 155);
            if (std::memcmp(h + 257, "ustar\0", 6) == 0 && !prefix.empty())
                entry.name = std::string(prefix) + "/" + entry.name;
        }
        entry.mtime = pending.mtime.value_or(mtime);
        return srSuccess;
    }
}

}  // namespace

bool IsTarHeader(const uint8_t* block) {
    if (std::memcmp(block + 257, "ustar", 5) != 0 || (block[262] != '\0' && block[262] != ' ')) return false;
    const auto recorded = ParseNumber(block + 148, 8);
    if (!recorded) return false;
    // The sum of all bytes with the checksum field read as spaces. Some old writers summed
    // signed chars, so that sum counts too.
    uint64_t sum = 0;
    int64_t signedSum = 0;
    for (size_t i = 0; i < kTarBlock; ++i) {
        const uint8_t b = i >= 148 && i < 156 ? ' ' : block[i];
        sum += b;
        signedSum += static_cast<int8_t>(b);
    }
    return *recorded == sum || static_cast<int64_t>(*recorded) == signedSum;
}

TSpiResult ListTar(TByteSource& source, std::vector<TArchiveMember>& members) {
    members.clear();
    for (uint64_t offset = 0;;) {
        TTarEntry entry;
        bool end = false;
        if (TSpiResult r = ReadEntry(source, offset, entry, end); r != srSuccess) return r;
        if (end) return srSuccess;
        if (IsRegularFile(entry.type)) members.push_back(ToMember(entry, offset));
        offset = entry.next;
    }
}

TSpiResult ExtractTarMember(TByteSource& source, uint64_t position, TMemberSink& sink, const TProgress& progress) {
    TTarEntry entry;
    bool end = false;
    TSpiResult r = ReadEntry(source, position, entry, end);
    if (r != srSuccess) return r;
    if (end || !IsRegularFile(entry.type)) return srBrokenData;

    if ((r = sink.Begin(ToMember(entry, position))) != srSuccess) return r;
    if (progress && !progress(0, entry.size)) return srAborted;
    std::vector<uint8_t> buffer(kChunk);
    for (uint64_t done = 0; done < entry.size;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, entry.size - done));
        if ((r = source.ReadAt(entry.data + done, buffer.data(), n)) != srSuccess) return r;
        if ((r = sink.Write(buffer.data(), n)) != srSuccess) return r;
        done += n;
        if (progress && !progress(done, entry.size)) return srAborted;
    }
    return srSuccess;
}
