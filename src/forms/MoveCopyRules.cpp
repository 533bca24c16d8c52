#include "forms/MoveCopyRules.h"

#include <iterator>
#include <utility>

#include "app/FileUtil.h"

namespace {

constexpr size_t kHistoryLimit = 15;
constexpr size_t kDroppedItem = 14;

std::wstring FolderKeyText(const std::wstring& folder) { return UpperAscii(StripTrailingBackslash(folder)); }

}  // namespace

TMoveCopyEnabling MoveCopyEnabling(bool archive, int formatIndex, int renameIndex) {
    TMoveCopyEnabling e;
    e.move = !archive;
    e.overwrite = !archive && !(renameIndex == kRenameOff && formatIndex == kFormatOriginal);
    e.renameEdit = renameIndex == kRenameOn;
    e.saveOriginal = formatIndex == kFormatBitmap;
    return e;
}

void RememberFolder(TFolderHistory& history, std::wstring typed, const TExistsPredicate& folderExists) {
    if (typed.empty() || !folderExists(typed)) return;
    const std::wstring key = FolderKeyText(typed);
    for (size_t i = 0; i < history.items.size(); ++i) {
        if (FolderKeyText(history.items[i]) != key) continue;
        history.text = history.items[i];
        history.items.erase(history.items.begin() + static_cast<std::ptrdiff_t>(i));
        history.items.insert(history.items.begin(), std::move(typed));
        return;
    }
    history.items.insert(history.items.begin(), std::move(typed));
    if (history.items.size() > kHistoryLimit)
        history.items.erase(history.items.begin() + static_cast<std::ptrdiff_t>(kDroppedItem));
}

std::wstring StartFolderText(const std::wstring& startFolder, const std::vector<std::wstring>& items,
                             const std::wstring& programFolder, const TExistsPredicate& folderExists) {
    if (!startFolder.empty() && folderExists(startFolder)) return startFolder;
    if (!items.empty()) return items.front();
    return programFolder;
}

std::wstring MoveCopyCaption(size_t selected) {
    return L"コピー・移動  (" + std::to_wstring(selected) + L"個選択)";
}

std::wstring RenameHelpText() {
    static const wchar_t* const kLines[] = {
        L"一括リネーム定義の書き方",
        L"・識別子部分と識別番号部分にとで定義します",
        L"・識別子部分は適当な文字列を入れて下さい",
        L"　　（ただし \\、/、:、*、?、\"、<、>、|  の各文字は使用できません)",
        L"・識別番号部分には桁数の分だけ * マークを入れて下さい。",
        L"",
        L"例：定義が 「abcd****」で、元ファイルの拡張子が .ZZZ の場合、",
        L"　　リネームされたファイル名は順に",
        L"       abcd0001.ZZZ, abcd0002.ZZZ, ..... , abcd9999.ZZZ",
        L"　　となります。",
        L"　　Bitmapに変換するにチェックが入っている場合、",
        L"　　元ファイルの拡張子に関わらず、",
        L"       abcd0001.BMP, abcd0002.BMP, ..... , abcd9999.BMP",
        L"    となります。",
        L"",
        L"注：選択されたファイル数より、大きい数字が指定できるように、",
        L"　　識別番号の桁数を調節して下さい。選択されたファイルの分だけ",
        L"　　識別番号が割り当てられない場合は、エラーになります。",
    };
    std::wstring text = kLines[0];
    for (size_t i = 1; i < std::size(kLines); ++i) text += std::wstring(L"\n\r") + kLines[i];
    return text;
}

std::wstring FolderKey(size_t index) { return L"Folder" + std::to_wstring(index); }
