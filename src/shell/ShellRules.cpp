#include "shell/ShellRules.h"

#include <algorithm>

#include "toolkit/TextUtil.h"

std::wstring_view NameExtension(std::wstring_view name) {
    const size_t component = name.find_last_of(L"\\/:");
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos || (component != std::wstring_view::npos && dot < component)) return {};
    return name.substr(dot);
}

bool MaskAccepts(const std::vector<std::wstring>& mask, std::wstring_view name, bool folder) {
    if (mask.empty() || folder) return true;
    const std::wstring_view ext = NameExtension(name);
    if (ext.empty()) return false;
    return std::any_of(mask.begin(), mask.end(), [ext](const std::wstring& entry) { return SameTextIgnoringAsciiCase(entry, ext); });
}

std::wstring FileSizeText(std::uint64_t size) {
    std::wstring digits = std::to_wstring(size / 1024 + 1);
    if (digits.size() < 8) digits.insert(0, 8 - digits.size(), L' ');
    return digits + L"KB";
}

std::wstring DosDateTimeText(std::uint16_t date, std::uint16_t time) {
    auto two = [](unsigned value) {
        const wchar_t text[] = {static_cast<wchar_t>(L'0' + value / 10 % 10), static_cast<wchar_t>(L'0' + value % 10), 0};
        return std::wstring(text);
    };
    const unsigned year = 1980 + (date >> 9), month = (date >> 5) & 15, day = date & 31;
    const unsigned hour = time >> 11, minute = (time >> 5) & 63;
    return two(year % 100) + L"/" + two(month) + L"/" + two(day) + L" " + two(hour) + L":" + two(minute);
}
