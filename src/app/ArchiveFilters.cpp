#include "app/ArchiveFilters.h"

#include <algorithm>

#include "app/FileUtil.h"

namespace {

constexpr wchar_t kAllFiles[] = L"すべてのファイル(*.*)(標準)";
constexpr wchar_t kAllSupported[] = L"すべての対応ファイル(標準)";
// Drop-down entries before the first picture pattern.
constexpr size_t kStandardEntries = 2;

TFilterRow BuiltInRow(const wchar_t* text) { return {text, nullptr, std::wstring()}; }

std::wstring BaseName(std::wstring_view path) {
    const size_t cut = path.find_last_of(L"\\/:");
    return std::wstring(cut == std::wstring_view::npos ? path : path.substr(cut + 1));
}

void CollectFormats(const std::vector<TPluginFormats>& plugins, TSPIKind kind, std::vector<TFilterRow>& patterns,
                    std::vector<TFilterRow>& descriptions) {
    for (const TPluginFormats& p : plugins) {
        if (p.kind != kind) continue;
        const std::wstring name = BaseName(p.fileName);
        // A plug-in with fewer descriptions than patterns still lists every pattern.
        for (size_t j = 0; j < p.patterns.size(); ++j) {
            descriptions.push_back({j < p.descriptions.size() ? p.descriptions[j] : std::wstring(), p.plugin, name});
            patterns.push_back({p.patterns[j], p.plugin, name});
        }
    }
}

std::vector<std::wstring> Texts(const std::vector<TFilterRow>& rows) {
    std::vector<std::wstring> out;
    out.reserve(rows.size());
    for (const TFilterRow& r : rows) out.push_back(r.text);
    return out;
}

bool LessIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
    return UpperAscii(a) < UpperAscii(b);
}

}  // namespace

TFilterLists BuildFilterLists(const std::vector<TPluginFormats>& plugins) {
    TFilterLists lists;
    lists.picturePatterns = {BuiltInRow(L"*.BMP"), BuiltInRow(L"*.DIB")};
    lists.pictureDescriptions = {BuiltInRow(L"Bitmapファイル形式(標準)"), BuiltInRow(L"DIBファイル形式(標準)")};
    CollectFormats(plugins, TSPIKind::skInSPI, lists.picturePatterns, lists.pictureDescriptions);
    CollectFormats(plugins, TSPIKind::skAmSPI, lists.archivePatterns, lists.archiveDescriptions);
    return lists;
}

std::wstring OpenDialogFilter(const TFilterLists& lists) {
    std::wstring filter = L"すべての対応ファイル(*.*)|";
    for (const TFilterRow& p : lists.archivePatterns) filter += p.text + L';';
    filter.pop_back();  // the last ";", or with no archive pattern the "|"
    for (size_t i = 0; i < lists.archivePatterns.size(); ++i) {
        const std::wstring& description =
            i < lists.archiveDescriptions.size() ? lists.archiveDescriptions[i].text : std::wstring();
        filter += L'|' + description + L'|' + lists.archivePatterns[i].text;
    }
    return filter;
}

std::vector<std::wstring> FileListMasks(const TFilterLists& lists) {
    std::vector<std::wstring> masks;
    for (const TFilterRow& p : lists.archivePatterns) {
        const size_t dot = p.text.rfind(L'.');
        masks.push_back(dot == std::wstring::npos ? std::wstring() : p.text.substr(dot));
    }
    return masks;
}

std::vector<TFilterRow> FilterDropDownEntries(const TFilterLists& lists) {
    std::vector<TFilterRow> entries = {BuiltInRow(kAllFiles), BuiltInRow(kAllSupported)};
    for (const TFilterRow& p : lists.picturePatterns) {
        TFilterRow entry = p;
        entry.text += p.plugin ? L" (" + p.pluginName + L")" : std::wstring(L" (標準)");
        entries.push_back(entry);
    }
    return entries;
}

std::vector<std::wstring> CurrentPatterns(const TFilterLists& lists, size_t entry, bool archiveMode) {
    if (entry == 0 && archiveMode) return {};
    if (entry < kStandardEntries) return Texts(lists.picturePatterns);
    if (entry - kStandardEntries < lists.picturePatterns.size())
        return {lists.picturePatterns[entry - kStandardEntries].text};
    return {};
}

std::vector<std::wstring> PatternMasks(const std::vector<std::wstring>& patterns) {
    std::vector<std::wstring> masks;
    for (const std::wstring& pattern : patterns) {
        for (size_t start = 0, end = 0; end != std::wstring::npos; start = end + 1) {
            end = pattern.find(L';', start);
            std::wstring mask = pattern.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
            if (!mask.empty()) masks.push_back(std::move(mask));
        }
    }
    return masks;
}

bool MemberMatchesPatterns(std::wstring_view fileName, const std::vector<std::wstring>& patterns) {
    const size_t dot = fileName.rfind(L'.');
    const std::wstring_view extension = dot == std::wstring_view::npos ? std::wstring_view() : fileName.substr(dot);
    const std::wstring mask = L"*" + UpperAscii(extension);
    for (const std::wstring& pattern : PatternMasks(patterns))
        if (UpperAscii(pattern) == mask) return true;
    return false;
}

std::vector<std::wstring> MergeFolderList(const std::vector<std::wstring>& present,
                                          const std::vector<std::wstring>& added, bool append, const TTextLess& less) {
    std::vector<std::wstring> folders = append ? present : std::vector<std::wstring>();
    folders.insert(folders.end(), added.begin(), added.end());
    if (less)
        std::stable_sort(folders.begin(), folders.end(), less);
    else
        std::stable_sort(folders.begin(), folders.end(), LessIgnoringAsciiCase);
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    return folders;
}

std::wstring FolderStripSource(std::wstring_view firstGiven, size_t folderCount) {
    if (folderCount == 1) return std::wstring(firstGiven);
    return L"1" + std::wstring(firstGiven) + L" 他";
}

TStatusStrip ArchiveStatusStrip(std::wstring_view archivePath) {
    return {L"  アーカイブファイル  " + BaseName(archivePath) + L" の情報", false};
}

TStatusStrip FolderStatusStrip(std::wstring_view source) {
    if (!source.empty() && source.front() == L'1')
        return {L"           フォルダ  " + std::wstring(source.substr(1)) + L" の情報", true};
    return {L"  フォルダ  " + std::wstring(source) + L" の情報", false};
}

std::wstring OpenFoldersMessage(const std::vector<std::wstring>& folders) {
    std::wstring text = L"現在開いているフォルダは次の " + std::to_wstring(folders.size()) + L"個です\n\r";
    for (const std::wstring& folder : folders) text += L"\n\r" + folder;
    return text;
}

std::wstring FoundFilesText(size_t count) { return std::to_wstring(count) + L"個のファイルが見つかりました"; }
