#include "plugins/SPIRules.h"

#include "toolkit/TextUtil.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/' || c == L':'; }

}  // namespace

TSPIKind SPIKindOfVersion(std::wstring_view version) {
    if (version == L"00IN") return TSPIKind::skInSPI;
    if (version == L"00AM") return TSPIKind::skAmSPI;
    if (version == L"00XN") return TSPIKind::skXnSPI;
    return TSPIKind::skSPI;
}

std::wstring PatternExtension(std::wstring_view pattern) {
    const size_t dot = pattern.rfind(L'.');
    return dot == std::wstring_view::npos ? std::wstring() : std::wstring(pattern.substr(dot + 1));
}

std::wstring FileExtension(std::wstring_view fileName) {
    for (size_t i = fileName.size(); i-- > 0;) {
        if (fileName[i] == L'.') return std::wstring(fileName.substr(i));
        if (IsSeparator(fileName[i])) break;
    }
    return {};
}

bool SameExtension(std::wstring_view a, std::wstring_view b) { return SameTextIgnoringAsciiCase(a, b); }

bool PatternsClaimExtension(const std::vector<std::wstring>& patterns, std::wstring_view ext) {
    if (ext.empty()) return false;
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::wstring& p) { return SameExtension(FileExtension(p), ext); });
}

TSearchMask SplitSearchMask(std::wstring_view mask) {
    size_t cut = 0;
    for (size_t i = mask.size(); i-- > 0;) {
        if (IsSeparator(mask[i])) {
            cut = i + 1;
            break;
        }
    }
    return {std::wstring(mask.substr(0, cut)), std::wstring(mask.substr(cut))};
}

std::wstring JoinSearchPath(std::wstring_view folder, std::wstring_view pattern) {
    std::wstring out(folder);
    if (!out.empty() && !IsSeparator(out.back())) out += L'\\';
    out += pattern;
    return out;
}

size_t CountArchiveRecords(std::span<const uint8_t> block) {
    const size_t whole = block.size() / sizeof(TSusieFileInfo);
    for (size_t i = 0; i < whole; ++i)
        if (block[i * sizeof(TSusieFileInfo)] == 0) return i;  // method's first byte
    return whole;
}

std::vector<TSusieFileInfo> ReadArchiveRecords(std::span<const uint8_t> block) {
    std::vector<TSusieFileInfo> records(CountArchiveRecords(block));
    if (!records.empty()) std::memcpy(records.data(), block.data(), records.size() * sizeof(TSusieFileInfo));
    return records;
}

std::string FixedText(const char* field, size_t width) {
    const void* nul = std::memchr(field, 0, width);
    return std::string(field, nul ? static_cast<const char*>(nul) - field : width);
}
