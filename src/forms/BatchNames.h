#pragma once
// The names a batch copy, move or extraction writes: the numbered-rename definition ("ABCD****":
// a prefix, then one "*" per digit) and the destination of every source.
#include <cstddef>
#include <string>
#include <vector>

enum class TBatchKind { bkOverwrite = 0, bkMove = 1, bkCopy = 2, bkInvalid = 3 };

struct TRenameDefinition {
    std::wstring prefix;
    int digits = 0;
    // The prefix and the number zero-padded to the digit count.
    std::wstring Name(size_t number) const;
};

inline constexpr wchar_t kBadRenameDefinition[] = L"一括リネーム定義が間違っています。";
inline constexpr wchar_t kBadRenameCharacter[] = L"ファイル名に使っては行けない文字が入っています。";
inline constexpr wchar_t kTooFewDigits[] = L"定義桁数が少なすぎます。";
inline constexpr wchar_t kBadBatchKind[] = L"不正なボタン操作です。";
inline constexpr wchar_t kOverwriteItself[] = L"オリジナル形式で一括リネームなし、かつ上書きは選択できません";

// Reads a definition for count sources; raises Exception with the definition's fault. A number
// field of ten or more digits is refused as too few digits would be (its limit is out of range).
TRenameDefinition ParseRenameDefinition(const std::wstring& definition, size_t count);

struct TBatchNaming {
    bool archive = false;  // sources are member names of an archive, not paths on disk
    TBatchKind kind = TBatchKind::bkCopy;
    bool rename = false;
    bool convert = false;  // every destination is a ".BMP" file
    std::wstring definition;
    std::wstring folder;  // the destination folder; ignored for overwrite
};

// One destination path per source, in the sources' order, numbered from 0. Member names give only
// their last component, and one that is not a plain file name is refused (EUnsafeFileName), so
// nothing lands outside the destination folder.
std::vector<std::wstring> BuildDestinationNames(const std::vector<std::wstring>& sources, const TBatchNaming& naming);
