#include <windows.h>

#include "app/FileUtil.h"
#include "toolkit/Exceptions.h"
#include "toolkit/Prompt.h"
#include "toolkit/SystemInfo.h"

const wchar_t kCopyFailed[] = L"コピーに失敗しました。";
const wchar_t kRenameFailed[] = L"リネームに失敗しました。";
const wchar_t kRenameAcrossDrives[] = L"異なるドライブのファイルへはリネーム出来ません。";
const wchar_t kDeleteFailed[] = L"削除に失敗しました。";
const wchar_t kOverwriteQuestion[] = L"はすでに存在します。上書きしますか？";

namespace {

std::wstring FullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(written < size ? written : 0);
    return full.empty() ? path : full;
}

// The volume and file index of an existing file; false when it cannot be opened.
bool FileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool ok = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return ok;
}

bool IsFileInTheWay(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

// Copies source to a target that is not there; false, with the system's error, when it fails. A
// copy that fails part-way (on a full disk) leaves the part it wrote under the target's name: that
// part goes, when this copy was the one that made the file.
bool CopyToNewFile(const std::wstring& source, const std::wstring& target) {
    const bool absent = GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (CopyFileW(source.c_str(), target.c_str(), TRUE)) return true;
    const DWORD error = GetLastError();
    if (absent && !IsFileInTheWay(error)) DeleteFileW(target.c_str());
    SetLastError(error);
    return false;
}

// Replaces target by a copy of source. The copy is made beside the target under a temporary name
// first, so that a copy that fails leaves the old target as it was.
bool CopyReplacing(const std::wstring& source, const std::wstring& target) {
    // The folder with its separator ("C:\\" for a file at a drive's root).
    const size_t cut = target.find_last_of(L"\\/:");
    const std::wstring folder = cut == std::wstring::npos ? L"." : target.substr(0, cut + 1);
    wchar_t temp[MAX_PATH]{};
    if (!GetTempFileNameW(folder.c_str(), L"vv", 0, temp)) return false;
    if (CopyFileW(source.c_str(), temp, FALSE) && MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(temp);
    return false;
}

}  // namespace

TCopyResult CopyWithQuestionResult(const std::wstring& source, const std::wstring& target) {
    // The common case, a target that is not there yet, costs the copy alone: the question is
    // asked only when the copy finds a file in the way.
    if (CopyToNewFile(source, target)) return TCopyResult::crCopied;
    if (!IsFileInTheWay(GetLastError())) throw Exception(kCopyFailed);
    switch (AskOverwrite(target)) {
    case TOverwriteAnswer::oaNo: return TCopyResult::crSkipped;
    case TOverwriteAnswer::oaCancel: return TCopyResult::crCancelled;
    case TOverwriteAnswer::oaAbsent:
        if (!CopyToNewFile(source, target)) throw Exception(kCopyFailed);
        return TCopyResult::crCopied;
    case TOverwriteAnswer::oaYes:
        if (!CopyReplacing(source, target)) throw Exception(kCopyFailed);
        return TCopyResult::crCopied;
    }
    return TCopyResult::crSkipped;
}

bool IsSameFile(const std::wstring& a, const std::wstring& b) {
    const std::wstring fullA = FullPath(a), fullB = FullPath(b);
    if (CompareStringOrdinal(fullA.c_str(), static_cast<int>(fullA.size()), fullB.c_str(),
                             static_cast<int>(fullB.size()), TRUE) == CSTR_EQUAL)
        return true;
    BY_HANDLE_FILE_INFORMATION infoA{}, infoB{};
    return FileIdentity(a, infoA) && FileIdentity(b, infoB) && infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
}

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TOverwriteAnswer AskOverwrite(const std::wstring& target) {
    if (!IsExistingFile(target)) return TOverwriteAnswer::oaAbsent;
    // Line feed before carriage return: the order the program's messages have always used.
    const std::wstring text = target + L"\n\r" + kOverwriteQuestion;
    switch (CurrentPrompt().Ask(TPromptKind::pkInformation, text, TPromptButtons::pbYesNoCancel)) {
    case TPromptAnswer::paYes: return TOverwriteAnswer::oaYes;
    case TPromptAnswer::paNo: return TOverwriteAnswer::oaNo;
    case TPromptAnswer::paCancel: return TOverwriteAnswer::oaCancel;
    default: return TOverwriteAnswer::oaAbsent;
    }
}

bool CopyWithQuestion(const std::wstring& source, const std::wstring& target) {
    return CopyWithQuestionResult(source, target) != TCopyResult::crCancelled;
}

bool RenameWithQuestion(const std::wstring& source, const std::wstring& target) {
    // A rename cannot cross drives; refuse before asking anything.
    if (source.empty() || target.empty() || source[0] != target[0]) throw Exception(kRenameAcrossDrives);
    DWORD flags = 0;
    switch (AskOverwrite(target)) {
    case TOverwriteAnswer::oaNo: return true;
    case TOverwriteAnswer::oaCancel: return false;
    case TOverwriteAnswer::oaAbsent: break;
    case TOverwriteAnswer::oaYes:
        // Replace the target in the rename itself rather than deleting it first: if the rename
        // fails, the target is still there, and a target that is the source under another
        // spelling (a change of case) is never deleted.
        flags = MOVEFILE_REPLACE_EXISTING;
        break;
    }
    if (!MoveFileExW(source.c_str(), target.c_str(), flags)) throw Exception(kRenameFailed);
    return true;
}

bool MoveWithQuestion(const std::wstring& source, const std::wstring& target) {
    try {
        return RenameWithQuestion(source, target);
    } catch (const Exception&) {
        // Another drive, or the rename failed: copy (asking again if the target exists), and
        // delete the source only once the copy is made.
    }
    switch (CopyWithQuestionResult(source, target)) {
    case TCopyResult::crSkipped: return true;
    case TCopyResult::crCancelled: return false;
    case TCopyResult::crCopied: break;
    }
    if (!DeleteFileW(source.c_str())) throw Exception(kDeleteFailed);
    return true;
}

TDateTime UnixToLocalDateTime(int64_t seconds) { return UnixToDateTime(seconds, TimeZoneBias()); }
