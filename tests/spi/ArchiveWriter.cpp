#include "spi/ArchiveWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

void Put16(TBytes& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(TBytes& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void Put64(TBytes& out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v));
    Put32(out, static_cast<uint32_t>(v >> 32));
}
void PutText(TBytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

uint32_t Crc(const TBytes& data) { return static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size()))); }

TBytes Extra(const TZipMemberDef& m, uint32_t size, uint32_t compSize, uint32_t offset) {
    TBytes extra;
    if (m.zip64) {
        Put16(extra, 0x0001);
        Put16(extra, 24);
        Put64(extra, size);
        Put64(extra, compSize);
        Put64(extra, offset);
    }
    if (m.unixTime) {
        Put16(extra, 0x5455);
        Put16(extra, 5);
        extra.push_back(1);
        Put32(extra, *m.unixTime);
    }
    if (m.unicodePath) {
        Put16(extra, 0x7075);
        Put16(extra, static_cast<uint32_t>(5 + m.unicodePath->size()));
        extra.push_back(1);
        TBytes name = Bytes(m.name);
        if (m.unicodePathStale) name.push_back('!');
        Put32(extra, Crc(name));
        PutText(extra, *m.unicodePath);
    }
    return extra;
}

void PutOctal(uint8_t* field, size_t length, uint64_t value) {
    std::string digits(length - 1, '0');
    for (size_t i = length - 1; i-- > 0; value >>= 3) digits[i] = static_cast<char>('0' + (value & 7));
    std::memcpy(field, digits.data(), length - 1);
    field[length - 1] = '\0';
}

void PutHeader(TBytes& out, std::string_view name, std::string_view prefix, uint64_t size, uint32_t mtime, char type,
               bool base256Size) {
    uint8_t h[512] = {};
    std::copy_n(name.begin(), std::min<size_t>(name.size(), 100), h);
    PutOctal(h + 100, 8, 0644);
    PutOctal(h + 108, 8, 1000);
    PutOctal(h + 116, 8, 1000);
    if (base256Size) {
        h[124] = 0x80;
        for (int i = 0; i < 8; ++i) h[135 - i] = static_cast<uint8_t>(size >> (8 * i));
    } else {
        PutOctal(h + 124, 12, size);
    }
    PutOctal(h + 136, 12, mtime);
    h[156] = static_cast<uint8_t>(type);
    std::memcpy(h + 257, "ustar\0" "00", 8);
    std::copy_n(prefix.begin(), std::min<size_t>(prefix.size(), 155), h + 345);
    std::memset(h + 148, ' ', 8);
    unsigned sum = 0;
    for (uint8_t b : h) sum += b;
    PutOctal(h + 148, 7, sum);
    h[155] = ' ';
    out.insert(out.end(), h, h + 512);
}

void PutData(TBytes& out, const TBytes& data) {
    out.insert(out.end(), data.begin(), data.end());
    out.resize((out.size() + 511) / 512 * 512, 0);
}

std::string PaxRecord(std::string_view key, std::string_view value) {
    // The length counts itself: find the number of digits that makes it consistent.
    const size_t rest = key.size() + value.size() + 3;
    size_t length = rest + 1;
    while (std::to_string(length).size() + rest != length) ++length;
    return std::to_string(length) + " " + std::string(key) + "=" + std::string(value) + "\n";
}

}  // namespace

TBytes Bytes(std::string_view text) { return TBytes(text.begin(), text.end()); }

TBytes Deflate(const TBytes& data) {
    z_stream z = {};
    if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflate");
    TBytes out(deflateBound(&z, static_cast<uLong>(data.size())));
    z.next_in = const_cast<uint8_t*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

TBytes WriteZip(const std::vector<TZipMemberDef>& members, const TZipOptions& options) {
    TBytes out, central;
    for (const TZipMemberDef& m : members) {
        const TBytes packed = m.deflate ? Deflate(m.data) : m.data;
        const uint16_t method = m.method.value_or(m.deflate ? 8 : 0);
        const uint16_t flags = static_cast<uint16_t>((m.utf8Flag ? 0x0800 : 0) | m.extraFlags);
        const uint32_t crc = m.crc.value_or(Crc(m.data));
        const uint32_t size = m.size.value_or(static_cast<uint32_t>(m.data.size()));
        const auto compSize = static_cast<uint32_t>(packed.size());
        const auto offset = static_cast<uint32_t>(out.size());
        const TBytes extra = Extra(m, size, compSize, offset);
        const uint32_t big = 0xFFFFFFFF;

        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, flags);
        Put16(out, method);
        Put16(out, m.dosTime);
        Put16(out, m.dosDate);
        Put32(out, crc);
        Put32(out, m.zip64 ? big : compSize);
        Put32(out, m.zip64 ? big : size);
        Put16(out, static_cast<uint32_t>(m.name.size()));
        Put16(out, static_cast<uint32_t>(extra.size()));
        PutText(out, m.name);
        out.insert(out.end(), extra.begin(), extra.end());
        out.insert(out.end(), packed.begin(), packed.end());

        Put32(central, 0x02014b50);
        Put16(central, 0x031E);  // made by Unix, version 3.0
        Put16(central, 20);
        Put16(central, flags);
        Put16(central, method);
        Put16(central, m.dosTime);
        Put16(central, m.dosDate);
        Put32(central, crc);
        Put32(central, m.zip64 ? big : compSize);
        Put32(central, m.zip64 ? big : size);
        Put16(central, static_cast<uint32_t>(m.name.size()));
        Put16(central, static_cast<uint32_t>(extra.size()));
        Put16(central, 0);  // comment
        Put16(central, 0);  // disk
        Put16(central, 0);  // internal attributes
        Put32(central, m.folder ? 0x41ED0010u : 0x81A40000u);
        Put32(central, m.zip64 ? big : offset);
        PutText(central, m.name);
        central.insert(central.end(), extra.begin(), extra.end());
    }
    const auto cdOffset = static_cast<uint32_t>(out.size());
    out.insert(out.end(), central.begin(), central.end());
    const uint16_t count = options.recordedCount.value_or(static_cast<uint16_t>(members.size()));
    if (options.zip64End) {
        const auto end64 = static_cast<uint32_t>(out.size());
        Put32(out, 0x06064b50);
        Put64(out, 44);
        Put16(out, 45);
        Put16(out, 45);
        Put32(out, 0);
        Put32(out, 0);
        Put64(out, count);
        Put64(out, count);
        Put64(out, central.size());
        Put64(out, cdOffset);
        Put32(out, 0x07064b50);
        Put32(out, 0);
        Put64(out, end64);
        Put32(out, 1);
    }
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, options.zip64End ? 0xFFFF : count);
    Put16(out, options.zip64End ? 0xFFFF : count);
    Put32(out, options.zip64End ? 0xFFFFFFFF : static_cast<uint32_t>(central.size()));
    Put32(out, options.zip64End ? 0xFFFFFFFF : cdOffset);
    Put16(out, static_cast<uint32_t>(options.comment.size()));
    PutText(out, options.comment);
    out.insert(out.begin(), options.prefix.begin(), options.prefix.end());
    return out;
}

TBytes WriteTar(const std::vector<TTarMemberDef>& members, bool endBlocks) {
    TBytes out;
    for (const TTarMemberDef& m : members) {
        std::string_view name = m.name, prefix;
        switch (m.naming) {
        case TTarMemberDef::tnUstar:
            if (name.size() > 100) {
                const size_t cut = name.rfind('/', name.size() - 1);
                prefix = name.substr(0, cut);
                name = name.substr(cut + 1);
            }
            break;
        case TTarMemberDef::tnPax: {
            const TBytes record = Bytes(PaxRecord("path", m.name) + PaxRecord("mtime", std::to_string(m.mtime) + ".25"));
            PutHeader(out, "PaxHeaders/x", {}, record.size(), m.mtime, 'x', false);
            PutData(out, record);
            name = "ascii-stand-in";
            break;
        }
        case TTarMemberDef::tnGnuLong: {
            TBytes longName = Bytes(m.name);
            longName.push_back(0);
            PutHeader(out, "././@LongLink", {}, longName.size(), 0, 'L', false);
            PutData(out, longName);
            name = name.substr(0, 100);
            break;
        }
        }
        PutHeader(out, name, prefix, m.data.size(), m.mtime, m.type, m.base256Size);
        PutData(out, m.data);
    }
    if (endBlocks) out.resize(out.size() + 1024, 0);
    return out;
}
