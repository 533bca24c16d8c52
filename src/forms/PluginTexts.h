#pragma once
// The settings and plug-in information dialogs' texts and decisions that need no Windows API:
// the plug-in list's rows, the enabling of its buttons, the filter of the support check and the
// messages both dialogs show.
#include <string>
#include <vector>

// The plug-in file's name without its folder ("\" or "/" end a folder).
std::wstring PluginFileTitle(const std::wstring& fileName);

// The information dialog's caption: "<file name> の情報".
std::wstring PluginInfoCaption(const std::wstring& fileName);

// The open dialog's filter of the support check: all files, every pattern of the plug-in joined
// by ";" ("*.*" for a plug-in that declares none), then one entry per format in the plug-in's
// order. fileTypes[i] describes extensions[i].
std::wstring PluginCheckFilter(const std::vector<std::wstring>& extensions, const std::vector<std::wstring>& fileTypes);

// The answer of the support check for a chosen file.
std::wstring PluginCheckMessage(const std::wstring& chosenFile, const std::wstring& pluginFileName, bool supported);

// The support check could not read the chosen file.
std::wstring PluginCheckReadError(const std::wstring& chosenFile, const std::wstring& reason);

// The plug-in list's columns, left to right.
struct TPluginColumn {
    const wchar_t* caption;
    int width;
};
inline constexpr TPluginColumn kPluginColumns[] = {
    {L"設定", 40}, {L"Plugin", 90}, {L"Version", 55}, {L"Plugin情報", 165}, {L"拡張子", 70}};
inline constexpr wchar_t kConfigurableMark[] = L"設定";

// One row of the plug-in list: its cells in column order.
struct TPluginRowSource {
    std::wstring fileName;
    std::wstring version;
    std::wstring info;
    std::vector<std::wstring> extensions;
    bool configurable = false;  // the plug-in has its own configuration dialog
};
std::vector<std::wstring> PluginRowCells(const TPluginRowSource& plugin);

// "情報" and "設定" of the plug-in list: both need exactly one selected row, and "設定" a row
// marked as configurable.
struct TPluginButtons {
    bool info = false;
    bool setup = false;
};
TPluginButtons PluginButtonStates(int selectedCount, const std::wstring& firstSelectedMark);

// The row the buttons act on: the first selected one; 0 when rows exist but none is selected;
// -1 when the list is empty.
int SelectedPluginRow(int firstSelected, int rowCount);

// The save folder named no existing folder and becomes the program's folder.
std::wstring MissingSaveFolderMessage(const std::wstring& folder, const std::wstring& programFolder);

inline constexpr int kSetUpOK = 111;  // the settings dialog's tag after "OK"; 0 after "Cancel"
