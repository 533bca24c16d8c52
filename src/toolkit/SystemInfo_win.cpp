#include <windows.h>

#include <vector>

#include "toolkit/SystemInfo.h"

namespace {
std::optional<TScreenMetrics> g_screenOverride;
std::optional<int> g_biasOverride;
std::optional<std::wstring> g_folderOverride;
}  // namespace

TScreenMetrics ScreenMetrics() {
    if (g_screenOverride) return *g_screenOverride;
    TScreenMetrics m;
    HDC dc = GetDC(nullptr);
    m.width = GetDeviceCaps(dc, HORZRES);
    m.height = GetDeviceCaps(dc, VERTRES);
    m.bitsPerPixel = GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    return m;
}

int TimeZoneBias() {
    if (g_biasOverride) return *g_biasOverride;
    static const int bias = [] {
        TIME_ZONE_INFORMATION tz{};
        return GetTimeZoneInformation(&tz) == TIME_ZONE_ID_INVALID ? 0 : static_cast<int>(tz.Bias);
    }();
    return bias;
}

std::wstring ProgramFolder() {
    if (g_folderOverride) return *g_folderOverride;
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            std::wstring path(buf.data(), n);
            const size_t slash = path.find_last_of(L"\\/");
            return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
        }
        buf.resize(buf.size() * 2);
    }
}

void SetScreenMetricsOverride(std::optional<TScreenMetrics> metrics) { g_screenOverride = metrics; }
void SetTimeZoneBiasOverride(std::optional<int> bias) { g_biasOverride = bias; }
void SetProgramFolderOverride(std::optional<std::wstring> folder) { g_folderOverride = std::move(folder); }
