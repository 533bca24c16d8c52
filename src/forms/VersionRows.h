#pragma once
// The texts of the version dialog, and its plug-in list's rows: each the plug-in's file name
// padded to a column of its own, then what the plug-in says of itself.
#include <cstddef>
#include <string>
#include <string_view>

inline constexpr wchar_t kVersionCaption[] = L"ﾊﾞｰｼﾞｮﾝ情報";
inline constexpr wchar_t kVersionTitle[] = L"Vardeno View";
inline constexpr wchar_t kVersionText[] = L" Version 0.14(β版) ";
inline constexpr wchar_t kVersionAuthor[] = L"Vardeno View 開発チーム";
inline constexpr wchar_t kVersionHomePage[] = L"https://github.com/vardeno/vardeno-view";
inline constexpr wchar_t kVersionMail[] = L"vardeno-view@users.noreply.github.com";

// The column of the file names, in columns of the list's fixed-pitch font (a Japanese character
// takes two): shorter names are padded with spaces to it, longer ones are kept whole.
inline constexpr size_t kPluginNameColumn = 15;

// A row: the file name of the plug-in's path (without its folder), padded on the right to the
// name column, followed directly by the plug-in's information text.
std::wstring PluginRowText(std::wstring_view path, std::wstring_view info);
// Whether a row belongs to an archive plug-in (API version "00AM"); those rows are drawn apart.
bool IsArchiveRow(std::wstring_view version);
