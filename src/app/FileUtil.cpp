#include "app/FileUtil.h"

#include <cmath>

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

TDate DateOfDateTime(TDateTime dateTime) {
    // Days counted from 1 March of year 0 make leap days fall at the end of each year; the
    // constants are days per 400, 100 and 4 years.
    constexpr int64_t kUnixEpochDay = 25569;
    const int64_t z = static_cast<int64_t>(std::floor(dateTime)) - kUnixEpochDay + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 = March
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

std::wstring ShortDateText(const TDate& date) {
    auto twoDigits = [](int n) {
        n = ((n % 100) + 100) % 100;
        return std::wstring{static_cast<wchar_t>(L'0' + n / 10), static_cast<wchar_t>(L'0' + n % 10)};
    };
    return twoDigits(date.year) + L'/' + twoDigits(date.month) + L'/' + twoDigits(date.day);
}
