#include "forms/VersionRows.h"

#include "app/SaveTarget.h"

namespace {

// Columns of the list's fixed-pitch font: ASCII and half-width katakana take one, every other
// character (kanji, kana, full-width forms) two, as they take two bytes in the Japanese code page.
size_t Columns(std::wstring_view text) {
    size_t columns = 0;
    for (const wchar_t c : text) columns += (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
    return columns;
}

}  // namespace

std::wstring PluginRowText(std::wstring_view path, std::wstring_view info) {
    std::wstring row = NamePart(path);
    const size_t columns = Columns(row);
    if (columns < kPluginNameColumn) row.append(kPluginNameColumn - columns, L' ');
    row += info;
    return row;
}

bool IsArchiveRow(std::wstring_view version) { return version == L"00AM"; }
