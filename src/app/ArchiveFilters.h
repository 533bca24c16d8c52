#pragma once
// What the main window builds from the loaded plug-ins' formats: the four filter lists, the
// open-file dialog's filter, the file list's masks, the filter drop-down and the patterns it
// selects; and the texts of the status strip and status panel that tell what is open.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "plugins/SPIRules.h"

class TSPI;

// One loaded plug-in as the filters see it, in the plug-in set's order.
struct TPluginFormats {
    TSPI* plugin = nullptr;
    std::wstring fileName;  // the plug-in's file, with or without its folder
    TSPIKind kind = TSPIKind::skSPI;
    std::vector<std::wstring> patterns;      // "*.jpg"
    std::vector<std::wstring> descriptions;  // parallel to the patterns
};

// A line of a filter list or of the drop-down, with the plug-in that supplied it (or none).
struct TFilterRow {
    std::wstring text;
    TSPI* plugin = nullptr;
    std::wstring pluginName;  // the plug-in's file name without folder
};

struct TFilterLists {
    std::vector<TFilterRow> picturePatterns;
    std::vector<TFilterRow> pictureDescriptions;
    std::vector<TFilterRow> archivePatterns;
    std::vector<TFilterRow> archiveDescriptions;
};

TFilterLists BuildFilterLists(const std::vector<TPluginFormats>& plugins);

// "説明|パターン" pairs separated by "|", the form the open-file dialog's filter is written in.
std::wstring OpenDialogFilter(const TFilterLists& lists);
// The extensions, dot included, that the file list shows; empty when no archive plug-in is loaded
// (the file list then keeps its masks).
std::vector<std::wstring> FileListMasks(const TFilterLists& lists);
// The filter drop-down's entries: the two standard ones, then one per picture pattern.
std::vector<TFilterRow> FilterDropDownEntries(const TFilterLists& lists);
// The patterns that drop-down entry `entry` selects. Entry 0 selects none in archive mode (every
// member is shown).
std::vector<std::wstring> CurrentPatterns(const TFilterLists& lists, size_t entry, bool archiveMode);

// The single masks of patterns, in order: a plug-in's pattern may name several, separated by ";".
std::vector<std::wstring> PatternMasks(const std::vector<std::wstring>& patterns);
// Whether a member named fileName is listed under patterns: "*" and its upper-cased extension
// from the last dot ("*" alone without one) equal to an upper-cased pattern. A pattern that lists
// several masks separated by ";" matches any of them.
bool MemberMatchesPatterns(std::wstring_view fileName, const std::vector<std::wstring>& patterns);

// Folders joined to the folder list: added to it or replacing it, sorted by less (ignoring the
// case of ASCII letters when none is given; on Windows the locale's case-insensitive order), a
// name exactly equal to its predecessor dropped.
using TTextLess = std::function<bool(const std::wstring&, const std::wstring&)>;
std::vector<std::wstring> MergeFolderList(const std::vector<std::wstring>& present,
                                          const std::vector<std::wstring>& added, bool append,
                                          const TTextLess& less = {});

// The status strip's source text after opening folders: the first given folder when the folder
// list holds one folder, otherwise "1" + that folder + " 他" (the "1" marks the many-folder form).
std::wstring FolderStripSource(std::wstring_view firstGiven, size_t folderCount);

struct TStatusStrip {
    std::wstring caption;
    bool detailsButton = false;  // "詳細": shown only for many folders
};
TStatusStrip ArchiveStatusStrip(std::wstring_view archivePath);
TStatusStrip FolderStatusStrip(std::wstring_view source);

// The message of the "詳細" button: how many folders are open, then one per line.
std::wstring OpenFoldersMessage(const std::vector<std::wstring>& folders);

// Second status panel texts.
inline constexpr wchar_t kStatusReadingArchive[] = L"アーカイブ内情報取得中...";
inline constexpr wchar_t kStatusArchiveFailed[] = L"アーカイブ内情報取得失敗";
inline constexpr wchar_t kStatusRefilling[] = L"表示更新中...";
inline constexpr wchar_t kStatusSearchingFolders[] = L"フォルダ検索中...";
// "N個のファイルが見つかりました"
std::wstring FoundFilesText(size_t count);
