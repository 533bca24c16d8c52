#pragma once
// One archive member as the main window holds it, and the list rows made from members and from
// files of a folder. A row is six fields, each followed by a tab: file name, size, date,
// compressed size, method, path.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "app/FileUtil.h"
#include "plugins/SusieRecords.h"

// Turns a plug-in's ANSI text into the program's text; on Windows the ANSI code page's decoder.
using TAnsiDecoder = std::function<std::wstring(std::string_view)>;

struct TArchiveEntry {
    std::wstring method;
    uint32_t position = 0;  // handed back to the plug-in to extract the member
    uint32_t compSize = 0;
    uint32_t fileSize = 0;
    int32_t timestamp = 0;  // Unix seconds
    std::wstring path;      // folder inside the archive, as the plug-in wrote it
    std::wstring fileName;  // untrusted: see SaveTarget.h before making a file of it
    uint32_t crc = 0;
};

TArchiveEntry ArchiveEntryFromRecord(const TSusieFileInfo& record, const TAnsiDecoder& decode);
// The same from the record's 428 bytes as the plug-in's block holds them (little-endian).
TArchiveEntry ArchiveEntryFromBytes(std::span<const uint8_t, sizeof(TSusieFileInfo)> bytes, const TAnsiDecoder& decode);

inline constexpr size_t kRowFieldCount = 6;
inline constexpr int kRowSizeWidth = 11;
// The compressed-size, method and path fields of a row that has none.
inline constexpr wchar_t kRowNoValue[] = L"  -";

// A size as the list shows it: grouped digits right-justified to 11 characters.
std::wstring RowSizeText(uint64_t size);
// The row of an archive member; biasMinutes is the time-zone bias that dates the time stamp.
std::wstring ArchiveRowText(const TArchiveEntry& entry, int biasMinutes);
// The row of a file found in a folder: its name, size, creation date (local) and the folder as
// the folder list holds it.
std::wstring FolderRowText(std::wstring_view fileName, uint64_t size, const TDate& created, std::wstring_view folder);

// Field index of a row (0 = file name), the text between its tabs; empty past the last field.
std::wstring_view RowField(std::wstring_view row, size_t index);
// The file a folder row names: its path field without a trailing "\", "\", its file-name field.
std::wstring FolderRowPath(std::wstring_view row);
