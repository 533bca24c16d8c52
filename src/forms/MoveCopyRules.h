#pragma once
// The file operation dialog's decisions: which buttons its choices enable, the history of
// destination folders, its texts and its settings' keys.
#include <cstddef>
#include <string>
#include <vector>

#include "app/SaveTarget.h"

// Radio group indices as the dialog lists them.
inline constexpr int kFormatBitmap = 0;    // "Bitmapに変換"
inline constexpr int kFormatOriginal = 1;  // "オリジナル形式"
inline constexpr int kRenameOn = 0;        // "する"
inline constexpr int kRenameOff = 1;       // "しない"

struct TMoveCopyEnabling {
    bool overwrite = false;     // "上書き"
    bool move = false;          // "移動"
    bool renameEdit = false;    // the definition (window colour when enabled, menu colour otherwise)
    bool saveOriginal = false;  // "Bitmap変換失敗時にオリジナル形式で保存"
};
// Members of an archive can only be copied out; a file cannot be written over itself unchanged.
TMoveCopyEnabling MoveCopyEnabling(bool archive, int formatIndex, int renameIndex);

// The folder box after "Remember folder" with text: a folder that exists goes to the top as typed;
// an item naming the same folder (ignoring ASCII case and one trailing "\") is removed and its text
// becomes the box's text; with more than 15 items the fifteenth is dropped. typed is taken by
// value: it may be the history's own text, which the rule overwrites.
struct TFolderHistory {
    std::vector<std::wstring> items;
    std::wstring text;
};
void RememberFolder(TFolderHistory& history, std::wstring typed, const TExistsPredicate& folderExists);

// The folder box's text when the dialog opens: the start folder when it exists, else the first
// remembered folder, else the program's folder.
std::wstring StartFolderText(const std::wstring& startFolder, const std::vector<std::wstring>& items,
                             const std::wstring& programFolder, const TExistsPredicate& folderExists);

// "コピー・移動  (N個選択)"
std::wstring MoveCopyCaption(size_t selected);
// The "HELP" button's text on the rename definition.
std::wstring RenameHelpText();

inline constexpr wchar_t kNoArchiveView[] = L"ArchviveViewが存在しません。";
inline constexpr wchar_t kNothingSelected[] = L"選択項目がありません。";
// A missing archive: the path followed by this.

// The dialog's section of the program's INI file.
inline constexpr wchar_t kMoveCopySection[] = L"MoveCopySetting";
inline constexpr size_t kFolderKeys = 16;
inline constexpr wchar_t kRenameTextKey[] = L"RenameText";
inline constexpr wchar_t kRenameTextDefault[] = L"ABCD****";
inline constexpr wchar_t kErrorToOriginalKey[] = L"ErrorToOriginal";
inline constexpr wchar_t kChangeBmpKey[] = L"ChangeBMP";
// "Folder0" .. "Folder15"
std::wstring FolderKey(size_t index);
