#pragma once
// The values of the main window's settings store (TSpiReg, SpiReg_win.h) and the rules that need
// no file: how long a text may be, and when the stored window size is used.
#include <cstddef>
#include <string>
#include <string_view>

// The longest text the store keeps, in UTF-16 units.
inline constexpr size_t kSpiRegTextLimit = 255;

// Every setting, with the value it holds before the file is read. The window-applying and
// capturing code of the main window and the image view window fill it and read it.
struct TSpiRegValues {
    // The main window ("FormStyle").
    int width = 0;
    int height = 0;
    int folderTreeWidth = 0;          // "SLeft"
    int filerHeight = 0;              // "STop"
    bool listOperationShown = false;  // "AOperation"
    // The image view window ("ImageStyle"); its position is kept in memory only, never written.
    int imageLeft = 0;
    int imageTop = 0;
    bool viewMode = true;      // replaced by the file's value, which is false when missing
    bool imageToolBar = true;  // "ToolBar"
    // The filer pane and the folders ("FolderSetting").
    std::wstring folderView;       // the folder selected in the folder tree
    bool filerShown = true;        // "FilerVisible"
    bool filerSmallIcons = true;   // "FilerType"; false: report view
    std::wstring browseFolder;     // the folder picker's folder
    std::wstring saveFolder;       // where the save-to-folder commands write

    bool operator==(const TSpiRegValues&) const = default;
};

// A text as the store keeps it: its first 255 UTF-16 units, one fewer when the cut would split a
// surrogate pair.
std::wstring SpiRegText(std::wstring_view text);
// The values with every text cut as the store keeps it.
TSpiRegValues SpiRegLimited(TSpiRegValues values);
// The stored window size, the splitter positions and the list-operation box are applied to the
// main window only when the stored width and height are both non-zero.
bool AppliesStoredLayout(const TSpiRegValues& values);
