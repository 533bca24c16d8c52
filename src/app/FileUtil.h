#pragma once
// File and text utilities shared by the main window and the batch engine: the overwrite question,
// copy, rename and move with it, and the text and time conversions of the member list.
#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/TextUtil.h"

// --- Files (Windows) -------------------------------------------------------------------------

// Whether path names an existing file (not a folder), or an existing folder.
bool IsExistingFile(const std::wstring& path);
bool IsExistingFolder(const std::wstring& path);

enum class TOverwriteAnswer { oaAbsent, oaYes, oaNo, oaCancel };

// Asks whether an existing target may be overwritten; oaAbsent when it does not exist.
TOverwriteAnswer AskOverwrite(const std::wstring& target);

// Each returns true to go on with the batch and false to stop it (the user chose Cancel).
// Failures raise Exception with the operation's fixed message.
bool CopyWithQuestion(const std::wstring& source, const std::wstring& target);
bool RenameWithQuestion(const std::wstring& source, const std::wstring& target);
bool MoveWithQuestion(const std::wstring& source, const std::wstring& target);

// Copy with question, telling a copy made from one the user skipped (No) or stopped (Cancel).
enum class TCopyResult { crCopied, crSkipped, crCancelled };
TCopyResult CopyWithQuestionResult(const std::wstring& source, const std::wstring& target);

// Whether two paths name one file as the file system sees it: the same full path up to case, or
// one file reached by two names.
bool IsSameFile(const std::wstring& a, const std::wstring& b);

extern const wchar_t kCopyFailed[];
extern const wchar_t kRenameFailed[];
extern const wchar_t kRenameAcrossDrives[];
extern const wchar_t kDeleteFailed[];
extern const wchar_t kOverwriteQuestion[];

// --- Text (portable) -------------------------------------------------------------------------

std::wstring StripTrailingBackslash(const std::wstring& path);
// Pads with spaces on the left to width; a longer text keeps its last width characters.
std::wstring RightJustify(const std::wstring& text, int width);
std::wstring RepeatText(const std::wstring& text, int count);
// Decimal with a comma between groups of three digits; right-justified when width is not 0.
std::wstring GroupDigits(int64_t number, int width);

// --- Time ------------------------------------------------------------------------------------

// Days since 30 December 1899, with the time of day as the fraction.
using TDateTime = double;

// Unix seconds to a date-time shifted by a time-zone bias in minutes (UTC minus local time).
TDateTime UnixToDateTime(int64_t seconds, int biasMinutes);
// The same with the system's standard bias, read once (daylight saving is not applied).
TDateTime UnixToLocalDateTime(int64_t seconds);

struct TDate {
    int year;
    int month;  // 1..12
    int day;    // 1..31
};
// The calendar day a date-time falls on (the fraction, the time of day, is dropped).
TDate DateOfDateTime(TDateTime dateTime);
// "yy/mm/dd": the last two digits of the year, month and day, each two digits.
std::wstring ShortDateText(const TDate& date);
