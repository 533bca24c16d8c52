#include "forms/VersionRows.h"

#include "app/SaveTarget.h"

std::wstring PluginRowText(std::wstring_view path, std::wstring_view info) {
    std::wstring row = NamePart(path);
    if (row.size() < kPluginNameColumn) row.resize(kPluginNameColumn, L' ');
    row += info;
    return row;
}

bool IsArchiveRow(std::wstring_view version) { return version == L"00AM"; }
