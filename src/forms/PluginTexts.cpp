#include "forms/PluginTexts.h"

#include <algorithm>

namespace {

// Line breaks inside messages are written line feed first.
constexpr wchar_t kBreak[] = L"\n\r";

}  // namespace

std::wstring PluginFileTitle(const std::wstring& fileName) {
    const size_t slash = fileName.find_last_of(L"\\/");
    return slash == std::wstring::npos ? fileName : fileName.substr(slash + 1);
}

std::wstring PluginInfoCaption(const std::wstring& fileName) { return PluginFileTitle(fileName) + L" の情報"; }

std::wstring PluginCheckFilter(const std::vector<std::wstring>& extensions, const std::vector<std::wstring>& fileTypes) {
    std::wstring all;
    for (const std::wstring& e : extensions) all += (all.empty() ? L"" : L";") + e;
    // An empty pattern would end the system's filter list there.
    if (all.empty()) all = L"*.*";
    std::wstring filter = L"すべてのファイル(*.*)|*.*|すべての対応ファイル(" + all + L")|" + all;
    const size_t formats = std::min(extensions.size(), fileTypes.size());
    for (size_t i = 0; i < formats; ++i) filter += L"|" + fileTypes[i] + L"|" + extensions[i];
    return filter;
}

std::wstring PluginCheckMessage(const std::wstring& chosenFile, const std::wstring& pluginFileName, bool supported) {
    return chosenFile + kBreak + L"は、" + kBreak + PluginFileTitle(pluginFileName) + kBreak + L"の、" +
           (supported ? L"サポート形式ファイルです" : L"非サポート形式ファイルです");
}

std::wstring PluginCheckReadError(const std::wstring& chosenFile, const std::wstring& reason) {
    return chosenFile + kBreak + L"を読めないため、対応を確認できません。" + kBreak + reason;
}

std::vector<std::wstring> PluginRowCells(const TPluginRowSource& plugin) {
    std::wstring extensions;
    for (const std::wstring& e : plugin.extensions) extensions += e + L";";
    return {plugin.configurable ? kConfigurableMark : L"", PluginFileTitle(plugin.fileName), plugin.version,
            plugin.info, extensions};
}

TPluginButtons PluginButtonStates(int selectedCount, const std::wstring& firstSelectedMark) {
    TPluginButtons b;
    b.info = selectedCount == 1;
    b.setup = b.info && firstSelectedMark == kConfigurableMark;
    return b;
}

int SelectedPluginRow(int firstSelected, int rowCount) {
    if (rowCount <= 0) return -1;
    return firstSelected >= 0 && firstSelected < rowCount ? firstSelected : 0;
}


std::wstring MissingSaveFolderMessage(const std::wstring& folder, const std::wstring& programFolder) {
    return folder + kBreak + L"は存在しません。保存先フォルダを" + kBreak + programFolder + kBreak + L"に設定します。";
}
