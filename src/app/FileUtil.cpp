#include "app/FileUtil.h"

std::wstring StripTrailingBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') return path.substr(0, path.size() - 1);
    return path;
}

std::wstring RightJustify(const std::wstring& text, int width) {
    if (width < 1) return {};
    const size_t w = static_cast<size_t>(width);
    if (w < text.size()) return text.substr(text.size() - w);
    return std::wstring(w - text.size(), L' ') + text;
}

std::wstring RepeatText(const std::wstring& text, int count) {
    std::wstring out;
    if (text.empty() || count < 1) return out;
    out.reserve(text.size() * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) out += text;
    return out;
}

std::wstring GroupDigits(int64_t number, int width) {
    // Work on the magnitude as unsigned so that the most negative value has a form too.
    const bool negative = number < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
    std::wstring digits;
    int inGroup = 0;
    do {
        if (inGroup == 3) {
            digits += L',';
            inGroup = 0;
        }
        digits += static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
        ++inGroup;
    } while (magnitude != 0);
    if (negative) digits += L'-';
    const std::wstring text(digits.rbegin(), digits.rend());
    return width != 0 ? RightJustify(text, width) : text;
}

TDateTime UnixToDateTime(int64_t seconds, int biasMinutes) {
    constexpr double kUnixEpochDay = 25569;  // 1 January 1970 counted from 30 December 1899
    return static_cast<double>(seconds) / 86400.0 + kUnixEpochDay - static_cast<double>(biasMinutes) / 1440.0;
}
