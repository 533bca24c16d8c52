#pragma once
// Where extracted members and converted pictures are written. Member names come from plug-ins
// and are untrusted: a target made from one uses only its last component, and a component that
// is not a plain file name is refused, so nothing is written outside the chosen folder.
#include <functional>
#include <string>
#include <string_view>

#include "toolkit/Exceptions.h"

// A name (from a member, or numbered) that cannot be made into a file in the chosen folder.
VV_EXCEPTION_CLASS(EUnsafeFileName, Exception);

using TExistsPredicate = std::function<bool(const std::wstring&)>;

// True when name can be a file inside a folder: not empty, "." or "..", no control character or
// any of < > : " / \ | ? *, not ending in a dot or a space (Windows would drop them and write
// another name), and not a device name (CON, PRN, AUX, NUL, COM1..COM9, LPT1..LPT9, also with an
// extension, and COM and LPT with a superscript digit).
bool IsPlainFileName(std::wstring_view name);

// The part of a member's name after its last "\" or "/".
std::wstring MemberBaseName(std::wstring_view memberName);
// MemberBaseName, refused with EUnsafeFileName (naming the member) when it is not a plain name.
std::wstring SafeMemberFileName(std::wstring_view memberName);

// The file name with its extension (from the last dot after the last separator) replaced by
// extension, or extension appended when it has none.
std::wstring ReplaceExtension(std::wstring_view fileName, std::wstring_view extension);
// The extension of a path's file name with its dot (from the last dot after the last "\" or
// ":"); empty when the name has none.
std::wstring ExtensionPart(std::wstring_view path);
// The part of a path up to and including its last "\" or ":"; empty when there is none.
std::wstring FolderPart(std::wstring_view path);
// The part after the last "\" or ":".
std::wstring NamePart(std::wstring_view path);

inline constexpr wchar_t kBitmapExtension[] = L".BMP";
inline constexpr wchar_t kBadSaveTarget[] = L"SaveFolderまたはSaveNameが不正です";

// Extracting a member to a file: the save name, when one is given or the save folder does not
// exist (its folder must then exist and the save folder be empty, else kBadSaveTarget);
// otherwise save folder + "\" + the member's safe file name.
std::wstring MemberFileTarget(const std::wstring& saveFolder, const std::wstring& saveName,
                              std::wstring_view memberName, const TExistsPredicate& folderExists);
// Saving a member as a bitmap: as MemberFileTarget, with the member's file name given the
// extension ".BMP".
std::wstring MemberBitmapTarget(const std::wstring& saveFolder, const std::wstring& saveName,
                                std::wstring_view memberName, const TExistsPredicate& folderExists);
// Follows the path of a file or folder that is not there.
inline constexpr wchar_t kDoesNotExist[] = L"が存在しません。";
inline constexpr wchar_t kNoArchivePlugin[] = L"AmSPIが存在しません";
// The archive's file name without folder followed by this: the plug-in could not extract a member.
inline constexpr wchar_t kCannotExtract[] = L" が展開できません";
// The target followed by this: writing a bitmap failed.
inline constexpr wchar_t kWriteFailed[] = L"の書き込みに失敗しました。";
// The question before saving the selected rows into the save folder, stored or as bitmaps.
std::wstring SaveToFolderQuestion(const std::wstring& saveFolder, bool asBitmaps);
// The status text while a member is extracted by the save commands.
std::wstring ExtractingStatus(std::wstring_view memberName);

// Converting a file on disk: save folder + "\" + the save name when one is given, otherwise
// save folder + "\" + the file's name with the extension ".BMP".
std::wstring FileBitmapTarget(const std::wstring& saveFolder, const std::wstring& saveName,
                              std::wstring_view filePath);
