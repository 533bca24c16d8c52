#pragma once
// Text at the plug-in boundary, which speaks the ANSI code page.
#include <string>
#include <string_view>

std::string WideToAnsi(std::wstring_view text);
std::wstring AnsiToWide(std::string_view text);
// True when every character of the text survives the trip through the ANSI code page.
bool FitsAnsi(std::wstring_view text);
// A path for a plug-in: its ANSI form, or, when the code page cannot hold it, the ANSI form of
// its short (8.3) name where the file system has one.
std::string PathToAnsi(const std::wstring& path);
