#include "spi/archive/ZipReader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "spi/archive/MemberNames.h"

namespace {

constexpr uint32_t kLocalSig = 0x04034b50;
constexpr uint32_t kCentralSig = 0x02014b50;
constexpr uint32_t kEndSig = 0x06054b50;
constexpr uint32_t kEnd64Sig = 0x06064b50;
constexpr uint32_t kLocator64Sig = 0x07064b50;
constexpr size_t kLocalSize = 30;
constexpr size_t kCentralSize = 46;
constexpr size_t kEndSize = 22;
constexpr size_t kEnd64Size = 56;
constexpr size_t kLocator64Size = 20;
constexpr size_t kMaxComment = 0xFFFF;
constexpr size_t kChunk = 64 * 1024;

constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagUtf8 = 0x0800;
constexpr uint16_t kMethodStore = 0;
constexpr uint16_t kMethodDeflate = 8;

struct TCentralDirectory {
    uint64_t start = 0;  // where it lies in the source
    uint64_t size = 0;
    uint64_t entries = 0;
    bool zip64 = false;
    // Source offset minus recorded offset (bytes in front of the archive), modulo 2^64: added to a
    // recorded offset it gives the source offset, and a forged offset gives some number that the
    // bounds checks then refuse.
    uint64_t bias = 0;
};

// One central-directory record with its extra fields applied.
struct TCentralRecord {
    size_t length = 0;  // bytes the record takes, name, extra and comment included
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0, dosDate = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t localOffset = 0;
    uint32_t externalAttributes = 0;
    std::string name;
    bool nameIsUtf8 = false;
    bool hasUnixTime = false;
    int64_t unixTime = 0;
};

bool StartsWithSig(std::span<const uint8_t> bytes, uint32_t sig) { return bytes.size() >= 4 && Le32(bytes.data()) == sig; }

const char* MethodName(uint16_t method) {
    switch (method) {
    case 0: return "Store";
    case 8: return "Deflate";
    case 9: return "Defl64";
    case 12: return "BZip2";
    case 14: return "LZMA";
    case 93: return "Zstd";
    case 95: return "XZ";
    case 98: return "PPMd";
    case 99: return "AES";
    default: return nullptr;
    }
}

std::string MethodText(uint16_t method) {
    const char* name = MethodName(method);
    return name ? name : "#" + std::to_string(method);
}

// The end record is in the last 22 + 65535 bytes. Scanning back, the first record whose comment
// ends exactly at the end of the source wins; failing that (bytes appended after the archive),
// the first whose comment fits at all.
TSpiResult FindEndRecord(TByteSource& source, uint64_t& endPos, std::vector<uint8_t>& record) {
    const uint64_t size = source.Size();
    if (size < kEndSize) return srUnknownFormat;
    const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(size, kEndSize + kMaxComment));
    std::vector<uint8_t> tail(tailSize);
    const uint64_t tailStart = size - tailSize;
    if (TSpiResult r = source.ReadAt(tailStart, tail.data(), tailSize); r != srSuccess) return r;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = tailSize - kEndSize + 1; i-- > 0;) {
            if (Le32(&tail[i]) != kEndSig) continue;
            const size_t end = i + kEndSize + Le16(&tail[i + 20]);
            if (pass == 0 ? end == tailSize : end <= tailSize) {
                endPos = tailStart + i;
                record.assign(tail.begin() + static_cast<ptrdiff_t>(i),
                              tail.begin() + static_cast<ptrdiff_t>(i + kEndSize));
                return srSuccess;
            }
        }
    }
    return srUnknownFormat;
}

// Reads the ZIP64 end record that the locator in front of the end record points to. The recorded
// offset is tried first, then the place right before the locator (archives with bytes in front).
TSpiResult ReadEnd64(TByteSource& source, uint64_t locatorPos, TCentralDirectory& cd, uint64_t& end64Pos) {
    uint8_t locator[kLocator64Size];
    if (TSpiResult r = source.ReadAt(locatorPos, locator, sizeof locator); r != srSuccess) return r;
    if (Le32(locator + 4) != 0 || Le32(locator + 16) > 1) return srUnknownFormat;  // spans several disks
    const uint64_t candidates[] = {Le64(locator + 8), locatorPos >= kEnd64Size ? locatorPos - kEnd64Size : locatorPos};
    for (uint64_t at : candidates) {
        uint8_t rec[kEnd64Size];
        if (source.ReadAt(at, rec, sizeof rec) != srSuccess || Le32(rec) != kEnd64Sig) continue;
        if (Le32(rec + 16) != 0 || Le32(rec + 20) != 0) return srUnknownFormat;
        cd.entries = Le64(rec + 32);
        cd.size = Le64(rec + 40);
        cd.start = Le64(rec + 48);  // recorded offset for now
        cd.zip64 = true;
        end64Pos = at;
        return srSuccess;
    }
    return srBrokenData;
}

// endFound tells a source without an end record from one whose end record is not for us.
TSpiResult FindCentralDirectory(TByteSource& source, TCentralDirectory& cd, bool& endFound) {
    uint64_t endPos = 0;
    std::vector<uint8_t> end;
    endFound = false;
    if (TSpiResult r = FindEndRecord(source, endPos, end); r != srSuccess) return r;
    endFound = true;
    const uint16_t disk = Le16(&end[4]), cdDisk = Le16(&end[6]);
    cd.entries = Le16(&end[10]);
    cd.size = Le32(&end[12]);
    cd.start = Le32(&end[16]);
    uint64_t cdEnd = endPos;  // the directory ends where the record after it starts

    uint8_t sig[4];
    if (endPos >= kLocator64Size && source.ReadAt(endPos - kLocator64Size, sig, 4) == srSuccess &&
        Le32(sig) == kLocator64Sig) {
        if (TSpiResult r = ReadEnd64(source, endPos - kLocator64Size, cd, cdEnd); r != srSuccess) return r;
    } else if (disk != 0 || cdDisk != 0 || Le16(&end[8]) != cd.entries) {
        return srUnknownFormat;  // one volume of a split archive
    }

    if (cd.size > cdEnd) return srBrokenData;
    const uint64_t recorded = cd.start;
    cd.start = cdEnd - cd.size;
    cd.bias = cd.start - recorded;
    if (cd.entries == 0) return srSuccess;
    // Usually the directory lies right before the end record. If no record starts there, the
    // recorded offset may still be right (the directory is followed by something else).
    if (source.ReadAt(cd.start, sig, 4) == srSuccess && Le32(sig) == kCentralSig) return srSuccess;
    if (recorded <= source.Size() && cd.size <= source.Size() - recorded &&
        source.ReadAt(recorded, sig, 4) == srSuccess && Le32(sig) == kCentralSig) {
        cd.start = recorded;
        cd.bias = 0;
        return srSuccess;
    }
    return srBrokenData;
}

// The ZIP64 extra field holds, in this order, those of size, compressed size and local offset
// whose 32-bit field is all ones.
bool ApplyZip64(const uint8_t* data, size_t length, TCentralRecord& rec, bool sizeMax, bool compMax, bool offsetMax) {
    const std::pair<bool, uint64_t*> fields[] = {
        {sizeMax, &rec.size}, {compMax, &rec.compressedSize}, {offsetMax, &rec.localOffset}};
    size_t at = 0;
    for (auto [wanted, field] : fields) {
        if (!wanted) continue;
        if (length - at < 8) return false;
        *field = Le64(data + at);
        at += 8;
    }
    return true;
}

// Parses the record at p, of which avail bytes are in the buffer.
TSpiResult ParseCentralRecord(const uint8_t* p, size_t avail, TCentralRecord& rec) {
    if (avail < kCentralSize || Le32(p) != kCentralSig) return srBrokenData;
    const size_t nameLen = Le16(p + 28), extraLen = Le16(p + 30), commentLen = Le16(p + 32);
    rec.length = kCentralSize + nameLen + extraLen + commentLen;
    if (rec.length > avail) return srBrokenData;
    rec.flags = Le16(p + 8);
    rec.method = Le16(p + 10);
    rec.dosTime = Le16(p + 12);
    rec.dosDate = Le16(p + 14);
    rec.crc = Le32(p + 16);
    rec.compressedSize = Le32(p + 20);
    rec.size = Le32(p + 24);
    rec.localOffset = Le32(p + 42);
    rec.externalAttributes = Le32(p + 38);
    rec.name.assign(reinterpret_cast<const char*>(p + kCentralSize), nameLen);
    rec.nameIsUtf8 = (rec.flags & kFlagUtf8) != 0;
    const bool sizeMax = rec.size == 0xFFFFFFFF, compMax = rec.compressedSize == 0xFFFFFFFF,
               offsetMax = rec.localOffset == 0xFFFFFFFF;

    const uint8_t* extra = p + kCentralSize + nameLen;
    for (size_t at = 0; at < extraLen;) {
        if (extraLen - at < 4) break;  // padding some writers leave behind
        const uint16_t id = Le16(extra + at), len = Le16(extra + at + 2);
        const uint8_t* data = extra + at + 4;
        if (len > extraLen - at - 4) return srBrokenData;
        if (id == 0x0001) {
            if (!ApplyZip64(data, len, rec, sizeMax, compMax, offsetMax)) return srBrokenData;
        } else if (id == 0x5455 && len >= 5 && (data[0] & 1)) {
            // Extended timestamp: the modification time in UTC.
            rec.hasUnixTime = true;
            rec.unixTime = static_cast<int32_t>(Le32(data + 1));
        } else if (id == 0x7075 && len >= 5 && data[0] == 1 && !rec.nameIsUtf8) {
            // Unicode path: valid while its CRC matches the name it was made for.
            const uLong crc = crc32(0, p + kCentralSize, static_cast<uInt>(nameLen));
            if (crc == Le32(data + 1)) {
                rec.name.assign(reinterpret_cast<const char*>(data + 5), len - 5u);
                rec.nameIsUtf8 = true;
            }
        }
        at += 4u + len;
    }
    return srSuccess;
}

bool IsFolder(const TCentralRecord& rec) {
    if (!rec.name.empty() && rec.name.back() == '/') return true;
    return (rec.externalAttributes & 0x10) != 0 && rec.size == 0;  // MS-DOS folder attribute
}

TArchiveMember ToMember(const TCentralRecord& rec, uint64_t position) {
    TArchiveMember m;
    m.method = MethodText(rec.method);
    m.position = position;
    m.compressedSize = rec.compressedSize;
    m.size = rec.size;
    if (rec.hasUnixTime) {
        m.time = rec.unixTime;
    } else {
        m.time = DosDateTimeToSeconds(rec.dosDate, rec.dosTime);
        m.timeIsLocal = true;
    }
    m.name = rec.name;
    m.nameIsUtf8 = rec.nameIsUtf8;
    m.crc = rec.crc;
    return m;
}

// Reads the directory whole: it is bounded by the source, and records are small.
TSpiResult ReadCentralDirectory(TByteSource& source, const TCentralDirectory& cd, std::vector<uint8_t>& bytes) {
    if (cd.size > source.Size()) return srBrokenData;
    bytes.resize(static_cast<size_t>(cd.size));
    return source.ReadAt(cd.start, bytes.data(), bytes.size());
}

TSpiResult CopyStored(TByteSource& source, uint64_t at, const TCentralRecord& rec, TMemberSink& sink,
                      const TProgress& progress, uint32_t& crc) {
    if (rec.compressedSize != rec.size) return srBrokenData;
    std::vector<uint8_t> buffer(kChunk);
    for (uint64_t done = 0; done < rec.size;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, rec.size - done));
        if (TSpiResult r = source.ReadAt(at + done, buffer.data(), n); r != srSuccess) return r;
        crc = static_cast<uint32_t>(crc32(crc, buffer.data(), static_cast<uInt>(n)));
        if (TSpiResult r = sink.Write(buffer.data(), n); r != srSuccess) return r;
        done += n;
        if (progress && !progress(done, rec.size)) return srAborted;
    }
    return srSuccess;
}

class TInflater {
public:
    TInflater() = default;
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;
    ~TInflater() {
        if (open_) inflateEnd(&z_);
    }
    TSpiResult Open() {
        const int r = inflateInit2(&z_, -MAX_WBITS);  // raw deflate: ZIP has no zlib wrapper
        open_ = r == Z_OK;
        return open_ ? srSuccess : r == Z_MEM_ERROR ? srNoMemory : srInternalError;
    }
    z_stream& Stream() { return z_; }

private:
    z_stream z_ = {};
    bool open_ = false;
};

TSpiResult Inflate(TByteSource& source, uint64_t at, const TCentralRecord& rec, TMemberSink& sink,
                   const TProgress& progress, uint32_t& crc) {
    TInflater inflater;
    if (TSpiResult r = inflater.Open(); r != srSuccess) return r;
    z_stream& z = inflater.Stream();
    std::vector<uint8_t> in(kChunk), out(kChunk);
    uint64_t read = 0, written = 0;
    for (;;) {
        if (z.avail_in == 0 && read < rec.compressedSize) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, rec.compressedSize - read));
            if (TSpiResult r = source.ReadAt(at + read, in.data(), n); r != srSuccess) return r;
            read += n;
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(n);
        }
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        const int zr = inflate(&z, Z_NO_FLUSH);
        if (zr == Z_MEM_ERROR) return srNoMemory;
        if (zr != Z_OK && zr != Z_STREAM_END && zr != Z_BUF_ERROR) return srBrokenData;
        const size_t produced = out.size() - z.avail_out;
        if (produced > rec.size - written) return srBrokenData;  // more than the directory says
        crc = static_cast<uint32_t>(crc32(crc, out.data(), static_cast<uInt>(produced)));
        if (TSpiResult r = sink.Write(out.data(), produced); r != srSuccess) return r;
        written += produced;
        if (progress && produced && !progress(written, rec.size)) return srAborted;
        if (zr == Z_STREAM_END) return written == rec.size ? srSuccess : srBrokenData;
        // No progress with all input used: the stream ends early.
        if (zr == Z_BUF_ERROR && z.avail_in == 0 && read == rec.compressedSize) return srBrokenData;
    }
}

}  // namespace

bool IsZipHead(std::span<const uint8_t> head) {
    if (StartsWithSig(head, kLocalSig) || StartsWithSig(head, kEndSig)) return true;
    // A one-part archive written by a splitting tool starts with the split marker.
    return StartsWithSig(head, 0x08074b50) && StartsWithSig(head.subspan(4), kLocalSig);
}

TSpiResult ListZip(TByteSource& source, std::vector<TArchiveMember>& members) {
    members.clear();
    TCentralDirectory cd;
    bool endFound = false;
    TSpiResult r = FindCentralDirectory(source, cd, endFound);
    if (r == srUnknownFormat && !endFound) {
        // A ZIP that lost its end (a broken download) is broken, not foreign.
        uint8_t head[8] = {};
        const size_t n = static_cast<size_t>(std::min<uint64_t>(sizeof head, source.Size()));
        if (source.ReadAt(0, head, n) == srSuccess && IsZipHead(std::span<const uint8_t>(head, n)) &&
            !StartsWithSig(std::span<const uint8_t>(head, n), kEndSig))
            return srBrokenData;
    }
    if (r != srSuccess) return r;
    std::vector<uint8_t> dir;
    if ((r = ReadCentralDirectory(source, cd, dir)) != srSuccess) return r;

    uint64_t count = 0;
    for (size_t at = 0; at < dir.size(); ++count) {
        TCentralRecord rec;
        if ((r = ParseCentralRecord(dir.data() + at, dir.size() - at, rec)) != srSuccess) return r;
        if (!IsFolder(rec)) members.push_back(ToMember(rec, cd.start + at));
        at += rec.length;
    }
    // Old writers wrap the 16-bit count of archives with more members; ZIP64 counts must match.
    const uint64_t recorded = cd.zip64 ? cd.entries : cd.entries & 0xFFFF;
    if ((cd.zip64 ? count : count & 0xFFFF) != recorded) return srBrokenData;
    return srSuccess;
}

TSpiResult ExtractZipMember(TByteSource& source, uint64_t position, TMemberSink& sink, const TProgress& progress) {
    TCentralDirectory cd;
    bool endFound = false;
    TSpiResult r = FindCentralDirectory(source, cd, endFound);
    if (r != srSuccess) return endFound ? r : srBrokenData;
    if (position < cd.start || position - cd.start >= cd.size) return srBrokenData;

    // The record, up to its full possible length but not past the directory.
    const size_t avail = static_cast<size_t>(std::min<uint64_t>(cd.start + cd.size - position, kCentralSize + 3 * 0xFFFF));
    std::vector<uint8_t> bytes(avail);
    if ((r = source.ReadAt(position, bytes.data(), avail)) != srSuccess) return r;
    TCentralRecord rec;
    if ((r = ParseCentralRecord(bytes.data(), avail, rec)) != srSuccess) return r;

    // The local header repeats the name and may carry a different extra field; only its
    // lengths matter here, the sizes come from the directory (they may be zero locally).
    const uint64_t local = rec.localOffset + cd.bias;
    uint8_t header[kLocalSize];
    if ((r = source.ReadAt(local, header, kLocalSize)) != srSuccess) return r;
    if (Le32(header) != kLocalSig) return srBrokenData;
    const uint64_t data = local + kLocalSize + Le16(header + 26) + Le16(header + 28);
    if (data > source.Size() || rec.compressedSize > source.Size() - data) return srBrokenData;

    if ((rec.flags & kFlagEncrypted) || (rec.method != kMethodStore && rec.method != kMethodDeflate))
        return srUnknownFormat;
    if ((r = sink.Begin(ToMember(rec, position))) != srSuccess) return r;
    if (progress && !progress(0, rec.size)) return srAborted;
    uint32_t crc = 0;
    r = rec.method == kMethodStore ? CopyStored(source, data, rec, sink, progress, crc)
                                   : Inflate(source, data, rec, sink, progress, crc);
    if (r != srSuccess) return r;
    return crc == rec.crc ? srSuccess : srBrokenData;
}
