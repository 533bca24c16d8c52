#include <windows.h>

#include <vector>

#include "toolkit/AnsiText.h"

namespace {

std::string Convert(std::wstring_view text, BOOL* lossy) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, lossy);
    return out;
}

}  // namespace

std::string WideToAnsi(std::wstring_view text) { return Convert(text, nullptr); }

bool FitsAnsi(std::wstring_view text) {
    BOOL lossy = FALSE;
    Convert(text, &lossy);
    return !lossy;
}

std::wstring AnsiToWide(std::string_view text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string PathToAnsi(const std::wstring& path) {
    BOOL lossy = FALSE;
    std::string ansi = Convert(path, &lossy);
    if (!lossy) return ansi;
    const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return ansi;
    std::vector<wchar_t> shortPath(n);
    if (GetShortPathNameW(path.c_str(), shortPath.data(), n) == 0) return ansi;
    BOOL shortLossy = FALSE;
    std::string shortAnsi = Convert(shortPath.data(), &shortLossy);
    return shortLossy ? ansi : shortAnsi;
}
