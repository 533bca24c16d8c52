// Fuzz target: the member-name rules of the archive plug-in. The input is one member name, read
// once as single-byte text and once with the lead bytes of code page 932; its first bytes also
// serve as a field size and a DOS stamp. Each rule is checked against what it promises.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "spi/archive/MemberNames.h"

namespace {

bool IsCp932Lead(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Well-formed UTF-8 by the table of well-formed byte sequences, written independently of the
// decoder under test: lead byte, then the allowed range of the second byte, then continuation bytes.
bool ReferenceUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto b = [&](size_t k) { return static_cast<uint8_t>(s[i + k]); };
        const uint8_t c = b(0);
        size_t n = 0;
        uint8_t lo = 0x80, hi = 0xBF;
        if (c <= 0x7F) n = 0;
        else if (c >= 0xC2 && c <= 0xDF) n = 1;
        else if (c == 0xE0) n = 2, lo = 0xA0;
        else if (c >= 0xE1 && c <= 0xEC) n = 2;
        else if (c == 0xED) n = 2, hi = 0x9F;
        else if (c >= 0xEE && c <= 0xEF) n = 2;
        else if (c == 0xF0) n = 3, lo = 0x90;
        else if (c >= 0xF1 && c <= 0xF3) n = 3;
        else if (c == 0xF4) n = 3, hi = 0x8F;
        else return false;
        if (i + n >= s.size() && n > 0) return false;
        if (n > 0 && (b(1) < lo || b(1) > hi)) return false;
        for (size_t k = 2; k <= n; ++k)
            if (b(k) < 0x80 || b(k) > 0xBF) return false;
        i += n + 1;
    }
    return true;
}

// The character boundaries of text: offsets where a character starts, and its end.
std::vector<size_t> Boundaries(std::string_view text, TLeadBytePredicate isLead) {
    std::vector<size_t> at;
    size_t i = 0;
    while (i < text.size()) {
        at.push_back(i);
        i += i + 1 < text.size() && isLead && isLead(static_cast<uint8_t>(text[i])) ? 2 : 1;
    }
    at.push_back(i);
    return at;
}

bool IsBoundary(const std::vector<size_t>& at, size_t offset) {
    for (size_t b : at)
        if (b == offset) return true;
    return false;
}

void Check(std::string_view name, TLeadBytePredicate isLead, size_t fieldSize) {
    const std::vector<size_t> at = Boundaries(name, isLead);

    const TSplitName split = SplitMemberName(name, isLead);
    if (split.path.size() + split.file.size() != name.size()) abort();
    if (!split.path.empty() && split.path.back() != '\\') abort();
    for (size_t i = 0; i + 1 < at.size(); ++i) {
        // Every single-byte separator of the name lies in the path part, as '\'.
        const size_t b = at[i];
        const bool separator = at[i + 1] - b == 1 && (name[b] == '/' || name[b] == '\\');
        if (separator && (b >= split.path.size() || split.path[b] != '\\')) abort();
        if (!separator && b < split.path.size() && split.path.compare(b, at[i + 1] - b, name.substr(b, at[i + 1] - b)))
            abort();
    }
    if (EndsWithSeparator(name, isLead) != (!name.empty() && split.file.empty())) abort();

    std::vector<char> field(fieldSize + 1, '\x7F');
    CopyField(field.data(), fieldSize, name, isLead);
    const std::string_view copied(field.data());
    if (copied.size() >= fieldSize || field[fieldSize] != '\x7F') abort();  // NUL inside, nothing past it
    if (name.substr(0, copied.size()) != copied && name.find('\0') == std::string_view::npos) abort();
    if (name.find('\0') == std::string_view::npos && !IsBoundary(at, copied.size())) abort();

    const std::string safe = SafeFileName(split.file, isLead);
    if (safe.empty() != (split.file.find_first_not_of(". ") == std::string::npos)) abort();
    if (!safe.empty() && safe.size() != split.file.size() && safe.size() != split.file.size() + 1) abort();
    const std::vector<size_t> safeAt = Boundaries(safe, isLead);
    for (size_t i = 0; i + 1 < safeAt.size(); ++i) {
        if (safeAt[i + 1] - safeAt[i] != 1) continue;
        const auto c = static_cast<uint8_t>(safe[safeAt[i]]);
        if (c < 0x20 || std::string_view("<>:\"|?*/\\").find(static_cast<char>(c)) != std::string_view::npos) abort();
    }
    if (!safe.empty() && SafeFileName(safe, isLead) != safe) abort();  // a safe name stays as it is
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    if (IsValidUtf8(name) != ReferenceUtf8(name)) abort();
    const size_t fieldSize = size > 0 ? data[0] % 40 + 1 : 1;
    Check(name, nullptr, fieldSize);
    Check(name, IsCp932Lead, fieldSize);
    if (size >= 4) {
        const auto date = static_cast<uint16_t>(data[0] | data[1] << 8), time = static_cast<uint16_t>(data[2] | data[3] << 8);
        const int64_t seconds = DosDateTimeToSeconds(date, time);
        // 1980-01-01 00:00:00 to 2107-12-31 23:59:59, the range of the DOS date.
        if (seconds < 315532800 || seconds > 4354819199) abort();
    }
    return 0;
}
