#pragma once
// Decisions about member names and stamps that need no Windows API: UTF-8 validity, splitting a
// name into folder and file, cutting text to a fixed field, a file name safe to create, and DOS
// date and time. Byte strings in the ANSI code page are walked character by character, because
// in double-byte code pages a trail byte may equal '\' or '|'; isLead says which bytes lead.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using TLeadBytePredicate = bool (*)(uint8_t);

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

struct TSplitName {
    std::string path;  // the folders, each followed by '\'; empty for a member at the top
    std::string file;
};
// Splits a member name at its last separator; '/' becomes '\'.
TSplitName SplitMemberName(std::string_view name, TLeadBytePredicate isLead);

// True when the text's last character is '\' or '/'.
bool EndsWithSeparator(std::string_view text, TLeadBytePredicate isLead);

// Copies text into a field of size bytes (at least 1), NUL-terminated, cut before a character
// that would not fit whole.
void CopyField(char* dest, size_t size, std::string_view text, TLeadBytePredicate isLead);

// A name under which the member can be written into a folder: characters that Windows forbids in
// file names become '_', and device names (CON, NUL, COM1, ...) get a leading '_'. Empty when
// nothing usable is left ("", ".", "..", only dots and spaces).
std::string SafeFileName(std::string_view file, TLeadBytePredicate isLead);

// Seconds since 1970 of a DOS date and time, read as if it were UTC. Fields out of range are
// pulled into range (a zero date is 1980-01-01).
int64_t DosDateTimeToSeconds(uint16_t date, uint16_t time);

// Seconds since 1970 of a civil date and time, read as UTC.
int64_t CivilToSeconds(int year, int month, int day, int hour, int minute, int second);
