#include "spi/archive/MemberNames.h"

#include <algorithm>
#include <cctype>

namespace {

// Length in bytes of the character that starts at i: two for a lead byte with a trail after it.
size_t CharLength(std::string_view text, size_t i, TLeadBytePredicate isLead) {
    return i + 1 < text.size() && isLead && isLead(static_cast<uint8_t>(text[i])) ? 2 : 1;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsForbiddenInFileName(uint8_t c) {
    return c < 0x20 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*' ||
           c == '/' || c == '\\';
}

bool IsDeviceName(std::string_view file) {
    const std::string_view base = file.substr(0, file.find('.'));
    std::string upper(base);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    });
    // Windows also ignores trailing spaces here: "CON .txt" is the console too.
    while (!upper.empty() && upper.back() == ' ') upper.pop_back();
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" ||
        upper == "CONOUT$")
        return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
           upper[3] <= '9';
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<uint8_t>(text[i]);
        size_t n;
        uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            n = 1, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3, cp = c & 0x07;
        } else {
            return false;
        }
        if (text.size() - i <= n) return false;
        for (size_t k = 1; k <= n; ++k) {
            const auto t = static_cast<uint8_t>(text[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = cp << 6 | (t & 0x3F);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

TSplitName SplitMemberName(std::string_view name, TLeadBytePredicate isLead) {
    std::string converted;
    converted.reserve(name.size());
    size_t fileStart = 0;
    for (size_t i = 0; i < name.size();) {
        const size_t n = CharLength(name, i, isLead);
        if (n == 1 && IsSeparator(name[i])) {
            converted += '\\';
            fileStart = converted.size();
        } else {
            converted.append(name.substr(i, n));
        }
        i += n;
    }
    return {converted.substr(0, fileStart), converted.substr(fileStart)};
}

bool EndsWithSeparator(std::string_view text, TLeadBytePredicate isLead) {
    bool last = false;
    for (size_t i = 0; i < text.size();) {
        const size_t n = CharLength(text, i, isLead);
        last = n == 1 && IsSeparator(text[i]);
        i += n;
    }
    return last;
}

void CopyField(char* dest, size_t size, std::string_view text, TLeadBytePredicate isLead) {
    size_t used = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t n = CharLength(text, i, isLead);
        if (used + n > size - 1) break;
        for (size_t k = 0; k < n; ++k) dest[used++] = text[i + k];
        i += n;
    }
    dest[used] = '\0';
}

std::string SafeFileName(std::string_view file, TLeadBytePredicate isLead) {
    if (file.find_first_not_of(". ") == std::string_view::npos) return {};
    std::string out;
    out.reserve(file.size() + 1);
    for (size_t i = 0; i < file.size();) {
        const size_t n = CharLength(file, i, isLead);
        if (n == 1 && IsForbiddenInFileName(static_cast<uint8_t>(file[i])))
            out += '_';
        else
            out.append(file.substr(i, n));
        i += n;
    }
    if (IsDeviceName(out)) out.insert(out.begin(), '_');
    return out;
}

int64_t CivilToSeconds(int year, int month, int day, int hour, int minute, int second) {
    // Days from 1970-01-01 in the proleptic Gregorian calendar, counted in 400-year eras from March.
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = era * 146097 + doe - 719468;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

int64_t DosDateTimeToSeconds(uint16_t date, uint16_t time) {
    const int year = 1980 + (date >> 9);
    const int month = std::clamp((date >> 5) & 0xF, 1, 12);
    const int day = std::max(date & 0x1F, 1);
    const int hour = std::min(time >> 11, 23);
    const int minute = std::min((time >> 5) & 0x3F, 59);
    const int second = std::min((time & 0x1F) * 2, 59);
    return CivilToSeconds(year, month, day, hour, minute, second);
}
