#include "app/ArchiveEntry.h"

#include <cstring>

#include "plugins/SPIRules.h"

TArchiveEntry ArchiveEntryFromRecord(const TSusieFileInfo& record, const TAnsiDecoder& decode) {
    TArchiveEntry entry;
    entry.method = decode(FixedText(reinterpret_cast<const char*>(record.method), sizeof(record.method)));
    entry.position = record.position;
    entry.compSize = record.compsize;
    entry.fileSize = record.filesize;
    entry.timestamp = record.timestamp;
    entry.path = decode(FixedText(record.path));
    entry.fileName = decode(FixedText(record.filename));
    entry.crc = record.crc;
    return entry;
}

namespace {

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// A tab inside a member's text would shift every later field of its row: it shows as a space.
std::wstring FieldText(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out)
        if (c == L'\t') c = L' ';
    return out;
}

void AppendField(std::wstring& row, std::wstring_view field) {
    row += field;
    row += L'\t';
}

}  // namespace

TArchiveEntry ArchiveEntryFromBytes(std::span<const uint8_t, sizeof(TSusieFileInfo)> bytes,
                                    const TAnsiDecoder& decode) {
    TSusieFileInfo record;
    std::memcpy(record.method, bytes.data() + offsetof(TSusieFileInfo, method), sizeof(record.method));
    record.position = Le32(bytes.data() + offsetof(TSusieFileInfo, position));
    record.compsize = Le32(bytes.data() + offsetof(TSusieFileInfo, compsize));
    record.filesize = Le32(bytes.data() + offsetof(TSusieFileInfo, filesize));
    record.timestamp = static_cast<int32_t>(Le32(bytes.data() + offsetof(TSusieFileInfo, timestamp)));
    std::memcpy(record.path, bytes.data() + offsetof(TSusieFileInfo, path), sizeof(record.path));
    std::memcpy(record.filename, bytes.data() + offsetof(TSusieFileInfo, filename), sizeof(record.filename));
    record.crc = Le32(bytes.data() + offsetof(TSusieFileInfo, crc));
    return ArchiveEntryFromRecord(record, decode);
}

std::wstring RowSizeText(uint64_t size) { return GroupDigits(static_cast<int64_t>(size), kRowSizeWidth); }

std::wstring ArchiveRowText(const TArchiveEntry& entry, int biasMinutes) {
    std::wstring row;
    AppendField(row, FieldText(entry.fileName));
    AppendField(row, RowSizeText(entry.fileSize));
    AppendField(row, ShortDateText(DateOfDateTime(UnixToDateTime(entry.timestamp, biasMinutes))));
    AppendField(row, entry.compSize == 0 ? std::wstring(kRowNoValue) : RowSizeText(entry.compSize));
    AppendField(row, FieldText(entry.method));
    AppendField(row, FieldText(entry.path));
    return row;
}

std::wstring FolderRowText(std::wstring_view fileName, uint64_t size, const TDate& created, std::wstring_view folder) {
    std::wstring row;
    AppendField(row, fileName);
    AppendField(row, RowSizeText(size));
    AppendField(row, ShortDateText(created));
    AppendField(row, kRowNoValue);
    AppendField(row, kRowNoValue);
    AppendField(row, folder);
    return row;
}

std::wstring FolderRowPath(std::wstring_view row) {
    return StripTrailingBackslash(std::wstring(RowField(row, 5))) + L'\\' + std::wstring(RowField(row, 0));
}

std::wstring_view RowField(std::wstring_view row, size_t index) {
    size_t start = 0;
    for (size_t i = 0; i < index; ++i) {
        const size_t tab = row.find(L'\t', start);
        if (tab == std::wstring_view::npos) return {};
        start = tab + 1;
    }
    const size_t end = row.find(L'\t', start);
    return row.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start);
}
