// mainwindow_bench: the main window's own costs with the shipped plug-ins, each beside a reference
// from the same run.
//   - opening a ZIP of 100,000 members until every row is in the list, beside the archive
//     plug-in's GetArchiveInfo alone on the same file;
//   - sorting those rows by name and by size, select all, moving a row;
//   - listing a folder of 10,000 picture files;
//   - start-up: the window made (plug-in search, settings, filer) and painted.
// memcpy over 256 MB is printed as the machine's reference speed. Best of three rounds each.
//
//   mainwindow_bench [MEMBERS [FILES]]
// Runs from bin/ beside the shipped plug-ins.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/ArchMain_win.h"
#include "BenchFiles_win.h"
#include "spi/ArchiveWriter.h"
#include "toolkit/Application_win.h"
#include "toolkit/SystemInfo.h"

namespace {

using TClock = std::chrono::steady_clock;

double BestMs(int rounds, const std::function<void()>& prepare, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        prepare();
        const auto start = TClock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(TClock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int members = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int files = argc > 2 ? std::atoi(argv[2]) : 10000;
    const int rounds = 3;

    // A program folder of its own: the shipped plug-ins and a settings file that comes and goes.
    const std::wstring root = MakeScratchFolder(L"vvbench-main");
    const std::wstring program = MakeProgramFolder(root);
    SetProgramFolderOverride(program);

    std::vector<TZipMemberDef> defs;
    defs.reserve(static_cast<size_t>(members));
    for (int i = 0; i < members; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "photos/%06d_%05d.jpg", (i * 7919) % members, i);
        defs.push_back({name, TBytes(static_cast<size_t>(16 + i % 97), static_cast<uint8_t>(i))});
    }
    const TBytes zip = WriteZip(defs);
    const std::wstring zipPath = root + L"\\many.zip";
    WriteBytes(zipPath, zip.data(), zip.size());
    const std::wstring folder = MakeFolder(root, L"pictures");
    for (int i = 0; i < files; ++i)
        WriteBytes(folder + L"\\p" + std::to_wstring(i) + L".bmp", "BM", 2);

    // The machine's reference speed.
    std::vector<char> from(256u << 20, 1), to(from.size());
    const double memcpyMs = BestMs(rounds, [] {}, [&] { std::memcpy(to.data(), from.data(), from.size()); });
    std::printf("memcpy 256 MB                              %9.1f ms  (%.2f GB/s)\n", memcpyMs,
                256.0 / 1024.0 / (memcpyMs / 1000.0));

    Application().Initialize();
    std::unique_ptr<TSPIMain> main;
    const double startMs = BestMs(
        rounds, [&] { main.reset(); },
        [&] {
            main = std::make_unique<TSPIMain>();
            main->Show();
            UpdateWindow(main->Handle());
        });
    std::printf("start-up to the painted main window        %9.1f ms\n", startMs);

    TAmSPI* plugin = main->FindArchivePlugin(zipPath);
    if (!plugin) {
        std::printf("no archive plug-in accepts the ZIP\n");
        return 1;
    }
    std::vector<TSusieFileInfo> records;
    const double infoMs = BestMs(rounds, [&] { records.clear(); }, [&] { plugin->ReadArchiveInfo(zipPath, records); });
    const double openMs = BestMs(rounds, [] {}, [&] { main->OpenArchive(zipPath); });
    std::printf("GetArchiveInfo alone, %6zu members        %9.1f ms  (reference)\n", records.size(), infoMs);
    std::printf("open the archive until all rows are listed %9.1f ms  (%.2f x GetArchiveInfo; %d rows)\n", openMs,
                openMs / infoMs, main->List().Count());

    // Sorts: from the archive's order each time. The first click on the name sorts descending.
    auto reopen = [&] { main->OpenArchive(zipPath); };
    const double sortNameMs = BestMs(rounds, reopen, [&] { main->HeaderClick(0); });
    const double sortSizeMs = BestMs(rounds, reopen, [&] { main->HeaderClick(1); });
    std::printf("sort %6d rows by name                    %9.1f ms\n", main->List().Count(), sortNameMs);
    std::printf("sort %6d rows by size                    %9.1f ms\n", main->List().Count(), sortSizeMs);
    const double selectMs = BestMs(rounds, [&] { main->List().SetSelected(-1, false); }, [&] { main->SelectAll(); });
    std::printf("select all                                 %9.1f ms\n", selectMs);
    const double moveMs = BestMs(
        rounds,
        [&] {
            main->List().SetSelected(-1, false);
            main->List().SetSelected(members / 2, true);
            main->List().SetFocusedRow(members / 2);
        },
        [&] { main->MoveFocusedRow(TRowMove::rmTop); });
    std::printf("move a row to the top                      %9.1f ms\n", moveMs);

    const double folderMs =
        BestMs(rounds, [] {}, [&] { main->OpenFolders({folder}, main->AllPicturePatterns(), false); });
    std::printf("list a folder of %5d pictures            %9.1f ms  (%d rows)\n", files, folderMs, main->List().Count());

    main.reset();
    SetProgramFolderOverride(std::nullopt);
    RemoveTree(root);
    return 0;
}
