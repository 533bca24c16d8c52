#pragma once
// What the shell file list shows and how it writes a file's size and time: plain rules, portable.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The extension of a name, with its dot ("" when none): what follows the last dot of the last
// path component.
std::wstring_view NameExtension(std::wstring_view name);

// Whether a list filtered by mask (extensions with their dot, ".LZH") shows an item: every item
// when the mask is empty, folders always, and files whose extension matches an entry, ignoring
// ASCII case.
bool MaskAccepts(const std::vector<std::wstring>& mask, std::wstring_view name, bool folder);

// A file's size in the list: size div 1024 + 1 right-aligned in eight places, then "KB"
// (0 bytes and 1023 bytes show 1KB, 1024 bytes 2KB). The whole 64-bit size counts.
std::wstring FileSizeText(std::uint64_t size);

// A DOS date and time (the form a file's local time takes in 2-second steps) as "yy/mm/dd hh:nn".
std::wstring DosDateTimeText(std::uint16_t date, std::uint16_t time);
