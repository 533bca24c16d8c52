#include "app/SaveTarget.h"

#include <array>

#include "app/FileUtil.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/' || c == L':'; }

// Windows opens the device, not a file, for these names whatever extension follows them.
bool IsDeviceName(std::wstring_view name) {
    const std::wstring_view stem = name.substr(0, name.find(L'.'));
    static constexpr std::array<std::wstring_view, 6> kDevices = {L"CON", L"PRN",    L"AUX",
                                                                  L"NUL", L"CONIN$", L"CONOUT$"};
    for (std::wstring_view device : kDevices)
        if (SameTextIgnoringAsciiCase(stem, device)) return true;
    // COM1..COM9 and LPT1..LPT9, also with the superscript digits 1, 2 and 3.
    if (stem.size() != 4 || std::wstring_view(L"123456789\u00B9\u00B2\u00B3").find(stem[3]) == std::wstring_view::npos)
        return false;
    return SameTextIgnoringAsciiCase(stem.substr(0, 3), L"COM") || SameTextIgnoringAsciiCase(stem.substr(0, 3), L"LPT");
}

std::wstring JoinFolder(const std::wstring& folder, std::wstring_view name) {
    return StripTrailingBackslash(folder) + L'\\' + std::wstring(name);
}

// The save name, when the caller gave one or has no usable save folder.
bool UsesSaveName(const std::wstring& saveFolder, const std::wstring& saveName, const TExistsPredicate& folderExists) {
    if (saveName.empty() && !saveFolder.empty() && folderExists(saveFolder)) return false;
    const std::wstring nameFolder = FolderPart(saveName);
    if (saveName.empty() || !saveFolder.empty() || nameFolder.empty() || !folderExists(nameFolder))
        throw Exception(kBadSaveTarget);
    return true;
}

}  // namespace

bool IsPlainFileName(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    for (wchar_t c : name) {
        if (c < 0x20 || c == 0x7F) return false;
        if (std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) return false;
    }
    if (name.back() == L'.' || name.back() == L' ') return false;
    return !IsDeviceName(name);
}

std::wstring MemberBaseName(std::wstring_view memberName) {
    const size_t cut = memberName.find_last_of(L"\\/");
    return std::wstring(cut == std::wstring_view::npos ? memberName : memberName.substr(cut + 1));
}

std::wstring SafeMemberFileName(std::wstring_view memberName) {
    std::wstring name = MemberBaseName(memberName);
    if (!IsPlainFileName(name))
        throw EUnsafeFileName(L"アーカイブ内のファイル名「" + std::wstring(memberName) +
                                L"」はファイル名に使えないため、保存できません。");
    return name;
}

std::wstring ReplaceExtension(std::wstring_view fileName, std::wstring_view extension) {
    for (size_t i = fileName.size(); i-- > 0;) {
        if (fileName[i] == L'.') return std::wstring(fileName.substr(0, i)) + std::wstring(extension);
        if (IsSeparator(fileName[i])) break;
    }
    return std::wstring(fileName) + std::wstring(extension);
}

std::wstring FolderPart(std::wstring_view path) {
    const size_t cut = path.find_last_of(L"\\:");
    return cut == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, cut + 1));
}

std::wstring NamePart(std::wstring_view path) {
    const size_t cut = path.find_last_of(L"\\:");
    return std::wstring(cut == std::wstring_view::npos ? path : path.substr(cut + 1));
}

std::wstring ExtensionPart(std::wstring_view path) {
    const std::wstring name = NamePart(path);
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : name.substr(dot);
}

std::wstring SaveToFolderQuestion(const std::wstring& saveFolder, bool asBitmaps) {
    return std::wstring(asBitmaps ? L"選択ファイルをBitmapに変換して、" : L"選択ファイルを") + L"\n\r  " + saveFolder +
           L"\n\rに保存しますか？";
}

std::wstring ExtractingStatus(std::wstring_view memberName) { return std::wstring(memberName) + L" 解凍中...."; }

std::wstring MemberFileTarget(const std::wstring& saveFolder, const std::wstring& saveName,
                              std::wstring_view memberName, const TExistsPredicate& folderExists) {
    if (UsesSaveName(saveFolder, saveName, folderExists)) return saveName;
    return JoinFolder(saveFolder, SafeMemberFileName(memberName));
}

std::wstring MemberBitmapTarget(const std::wstring& saveFolder, const std::wstring& saveName,
                                std::wstring_view memberName, const TExistsPredicate& folderExists) {
    if (UsesSaveName(saveFolder, saveName, folderExists)) return saveName;
    return JoinFolder(saveFolder, ReplaceExtension(SafeMemberFileName(memberName), kBitmapExtension));
}

std::wstring FileBitmapTarget(const std::wstring& saveFolder, const std::wstring& saveName,
                              std::wstring_view filePath) {
    if (!saveName.empty()) return JoinFolder(saveFolder, saveName);
    return JoinFolder(saveFolder, ReplaceExtension(NamePart(filePath), kBitmapExtension));
}
