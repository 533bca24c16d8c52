#pragma once
// Conversions between the program's wide strings and byte encodings. Portable: wchar_t is UTF-16
// on Windows and UTF-32 elsewhere, and both are handled.
#include <initializer_list>
#include <string>
#include <string_view>

std::string WideToUtf8(std::wstring_view text);
// Malformed UTF-8 becomes U+FFFD, one per bad byte.
std::wstring Utf8ToWide(std::string_view text);

// Fills each "%s" of a message template with the next argument, in order ("%%" is a percent sign).
// Only strings are substituted: message templates never reach a C formatting function.
std::wstring FormatW(std::wstring_view format, std::initializer_list<std::wstring_view> args);

// Upper-cases ASCII letters only: file-name matching that must not depend on the locale.
std::wstring UpperAscii(std::wstring_view text);
bool SameTextIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);
