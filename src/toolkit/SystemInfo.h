#pragma once
// Facts about the machine that the program reads once, each of which tests can set.
#include <optional>
#include <string>

struct TScreenMetrics {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;  // planes × bits per pixel of the desktop
};

TScreenMetrics ScreenMetrics();
// The time-zone bias in minutes (UTC minus local time), read once from the system.
int TimeZoneBias();
// The folder of the program file, without a trailing backslash.
std::wstring ProgramFolder();

// Overrides for tests; an empty value restores the system's.
void SetScreenMetricsOverride(std::optional<TScreenMetrics> metrics);
void SetTimeZoneBiasOverride(std::optional<int> bias);
void SetProgramFolderOverride(std::optional<std::wstring> folder);
