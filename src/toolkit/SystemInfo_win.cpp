#include <windows.h>

#include "toolkit/SystemInfo.h"

#include "toolkit/GdiGuards_win.h"
#include "toolkit/WinPath_win.h"

namespace {
std::optional<TScreenMetrics> g_screenOverride;
std::optional<int> g_biasOverride;
std::optional<std::wstring> g_folderOverride;
}  // namespace

TScreenMetrics ScreenMetrics() {
    if (g_screenOverride) return *g_screenOverride;
    TScreenMetrics m;
    const TWindowDC screen(nullptr);
    m.width = GetDeviceCaps(screen.get(), HORZRES);
    m.height = GetDeviceCaps(screen.get(), VERTRES);
    m.bitsPerPixel = GetDeviceCaps(screen.get(), PLANES) * GetDeviceCaps(screen.get(), BITSPIXEL);
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
    return ModuleFolder(nullptr);
}

void SetScreenMetricsOverride(std::optional<TScreenMetrics> metrics) { g_screenOverride = metrics; }
void SetTimeZoneBiasOverride(std::optional<int> bias) { g_biasOverride = bias; }
void SetProgramFolderOverride(std::optional<std::wstring> folder) { g_folderOverride = std::move(folder); }
