#pragma once
// The plug-in host's decisions that need no Windows API: which class a plug-in gets from its
// version string, how extensions are cut from patterns and file names, how search masks split and
// join, and how a block of archive records is read without trusting the plug-in's terminator.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plugins/SusieRecords.h"

// The four plug-in classes: TSPI (any other version), TInSPI ("00IN"), TAmSPI ("00AM"), TXnSPI ("00XN").
enum class TSPIKind { skSPI, skInSPI, skAmSPI, skXnSPI };

// Exact, case-sensitive comparison: "00in" is not an image plug-in.
TSPIKind SPIKindOfVersion(std::wstring_view version);

// The extension of a format pattern without its dot: "*.jpg" gives "jpg"; a pattern list such as
// "*.jpg;*.jpeg" gives its last extension only. Empty when the pattern has no dot.
std::wstring PatternExtension(std::wstring_view pattern);

// A file name's extension with its dot, taken from the last dot after the last folder separator
// ('\\', '/' or ':'); empty when there is none.
std::wstring FileExtension(std::wstring_view fileName);

// Extensions compared ignoring the case of ASCII letters.
bool SameExtension(std::wstring_view a, std::wstring_view b);

// True when some pattern, reduced to its extension with the dot, equals ext (which has its dot).
bool PatternsClaimExtension(const std::vector<std::wstring>& patterns, std::wstring_view ext);

// A search mask split into its folder part (with its trailing separator, or empty) and name part.
struct TSearchMask {
    std::wstring folder;
    std::wstring pattern;
};
TSearchMask SplitSearchMask(std::wstring_view mask);

// folder + "\" + pattern; no separator is added after an empty folder or one that already ends
// with a separator or a drive colon.
std::wstring JoinSearchPath(std::wstring_view folder, std::wstring_view pattern);

// The number of whole records in a GetArchiveInfo block before the first record whose method
// starts with 0. A block without that record ends at its last whole record.
size_t CountArchiveRecords(std::span<const uint8_t> block);
std::vector<TSusieFileInfo> ReadArchiveRecords(std::span<const uint8_t> block);

// A fixed-width ANSI text field up to its first NUL or its full width.
std::string FixedText(const char* field, size_t width);
template <size_t N>
std::string FixedText(const char (&field)[N]) {
    return FixedText(field, N);
}
