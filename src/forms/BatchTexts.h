#pragma once
// The batch engine's status line and messages.
#include <string>
#include <string_view>

#include "forms/BatchNames.h"

// What the status line adds to a file's name while the kind works on it; empty for no kind.
std::wstring BatchStatusSuffix(TBatchKind kind);

inline constexpr wchar_t kConvertingSuffix[] = L" 変換中...";
inline constexpr wchar_t kConversionFailed[] = L"変換失敗";  // followed by the kind's suffix
inline constexpr wchar_t kExtractingConvertingSuffix[] = L" 解凍&変換中...";
inline constexpr wchar_t kConversionFailedExtracting[] = L"変換失敗　解凍中...";
inline constexpr wchar_t kExtractingSuffix[] = L" 解凍中...";

inline constexpr wchar_t kNoArchivePluginGiven[] = L"AmSPIが空です";
inline constexpr wchar_t kNoListBox[] = L"ArchiveViewの引数渡しに失敗しました。";
inline constexpr wchar_t kNoRecordList[] = L"Listが不正です。";
inline constexpr wchar_t kNoNameList[] = L"StringListが不正です。";

// "フォルダ", the folder and "が見つかりません。" on three lines.
std::wstring FolderNotFoundMessage(std::wstring_view folder);
// "ファイル", the archive and "が見つかりません。" on three lines.
std::wstring ArchiveNotFoundMessage(std::wstring_view path);
