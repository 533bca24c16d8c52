// spisearch_bench: what the start-up search of the plug-in set costs per plug-in, beside the cost
// of loading and freeing the same DLL directly, measured in the same run. The search finds each
// file, loads it twice (a probe for the version, then the object of its class), reads its
// self-description and registers its formats; the reference is one LoadLibrary and FreeLibrary.
//
//   spisearch_bench [PLUGIN [COUNT]]
//
// PLUGIN defaults to vvimage.spi beside the program; COUNT (default 50) copies of it go into a
// temporary folder, which is searched as the program searches a plug-in folder. Best of three
// rounds each.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "plugins/FPUGuard_win.h"
#include "plugins/SPIs.h"
#include "toolkit/WinPath_win.h"

namespace {

using TClock = std::chrono::steady_clock;

double Milliseconds(TClock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A fresh folder under the temporary folder, removed with everything in it when the object goes.
class TBenchFolder {
public:
    TBenchFolder() {
        wchar_t base[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, base);
        wchar_t name[64];
        swprintf(name, 64, L"vvbench-%lu-%llu", GetCurrentProcessId(),
                 static_cast<unsigned long long>(GetTickCount64()));
        path_ = std::wstring(base, n) + name;
        if (!CreateDirectoryW(path_.c_str(), nullptr)) path_.clear();
    }
    ~TBenchFolder() {
        for (const std::wstring& file : files_) DeleteFileW(file.c_str());
        if (!path_.empty()) RemoveDirectoryW(path_.c_str());
    }
    TBenchFolder(const TBenchFolder&) = delete;
    TBenchFolder& operator=(const TBenchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    bool Copy(const std::wstring& from, const std::wstring& name) {
        const std::wstring to = path_ + L"\\" + name;
        if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) return false;
        files_.push_back(to);
        return true;
    }
    const std::vector<std::wstring>& Files() const { return files_; }

private:
    std::wstring path_;
    std::vector<std::wstring> files_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring plugin = argc > 1 ? argv[1] : ModuleFolder(nullptr) + L"\\vvimage.spi";
    const int count = argc > 2 ? _wtoi(argv[2]) : 50;
    if (count <= 0) {
        std::fwprintf(stderr, L"usage: spisearch_bench [PLUGIN [COUNT]]\n");
        return 2;
    }
    TBenchFolder folder;
    if (folder.Path().empty()) {
        std::fwprintf(stderr, L"cannot make a temporary folder\n");
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"p%03d.spi", i);
        if (!folder.Copy(plugin, name)) {
            std::fwprintf(stderr, L"cannot copy %ls\n", plugin.c_str());
            return 1;
        }
    }

    double reference = 1e9;
    {
        const TFPUGuard fpu;  // a plug-in's start-up code may change the FPU state
        for (int round = 0; round < 3; ++round) {
            const auto t0 = TClock::now();
            for (const std::wstring& file : folder.Files()) {
                HMODULE h = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
                if (!h) {
                    std::fwprintf(stderr, L"cannot load %ls\n", file.c_str());
                    return 1;
                }
                FreeLibrary(h);
            }
            reference = std::min(reference, Milliseconds(TClock::now() - t0) / count);
        }
    }

    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        TSPIs spis;
        spis.AutoSearch = false;
        const auto t0 = TClock::now();
        spis.Search(folder.Path() + L"\\*.spi");
        best = std::min(best, Milliseconds(TClock::now() - t0) / count);
        if (spis.Count() != count) {
            std::fwprintf(stderr, L"the search found %d of %d plug-ins\n", spis.Count(), count);
            return 1;
        }
    }
    std::printf("start-up search: %d plug-ins, %.3f ms per plug-in (load+free alone: %.3f ms, ratio %.1f)\n", count,
                best, reference, best / reference);
    return 0;
}
