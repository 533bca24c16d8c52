// viewer_bench: showing pictures from an archive with the shipped plug-ins, each beside a reference
// from the same run.
//   - one 4000 x 3000 JPEG member of a ZIP, from the list's show command (what a double click
//     sends) until the image view window holds the picture, beside extracting and decoding the
//     same member alone;
//   - paging through 200 pictures with Show next, in pictures per second, with the process's
//     the process's committed memory before the first and after the last picture of two rounds,
//     beside extracting and decoding the same pictures alone.
// Best of three rounds for the single picture.
//
//   viewer_bench [PAGES]
// Runs from bin/ beside the shipped plug-ins.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/ArchMain_win.h"
#include "app/Extraction_win.h"
#include "app/ImgView_win.h"
#include "BenchFiles_win.h"
#include "BenchPictures.h"
#include "plugins/SPIPxDIB.h"
#include "resources/ResourceIds.h"
#include "spi/ArchiveWriter.h"
#include "toolkit/Application_win.h"
#include "toolkit/SystemInfo.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

using TClock = std::chrono::steady_clock;

double BestMs(int rounds, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const auto start = TClock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(TClock::now() - start).count());
    }
    return best;
}

// A JPEG of a photograph-like picture.
TBytes Jpeg(int width, int height, uint32_t seed) {
    const TBytes rgb = PhotoLikeRgb(width, height, seed);
    TBytes out;
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            auto* bytes = static_cast<TBytes*>(context);
            bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        },
        &out, width, height, 3, rgb.data(), 90);
    return out;
}

void WriteZipFile(const std::wstring& path, const TBytes& zip) { WriteBytes(path, zip.data(), zip.size()); }

// The memory the process has committed (what the system charges it for), and its working set.
struct TMemory {
    double committedMb;
    double workingSetMb;
};

TMemory MemoryInUse() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return {static_cast<double>(counters.PagefileUsage) / (1024.0 * 1024.0),
            static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0)};
}

}  // namespace

int main(int argc, char** argv) {
    const int pages = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;
    const int rounds = 3;

    // A program folder of its own with the shipped plug-ins; the settings file comes and goes.
    const std::wstring root = MakeScratchFolder(L"vvbench-viewer");
    const std::wstring program = MakeProgramFolder(root);
    SetProgramFolderOverride(program);

    // Archives as the sample is made: pictures in a folder, stored as they are.
    const std::wstring bigZip = root + L"\\big.zip", pagesZip = root + L"\\pages.zip";
    const TBytes big = Jpeg(4000, 3000, 7);
    WriteZipFile(bigZip, WriteZip({{"photos/readme.txt", TBytes(100, 'x')}, {"photos/big.jpg", big}}));
    std::vector<TZipMemberDef> many;
    for (int i = 0; i < pages; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "photos/%03d.jpg", i);
        many.push_back({name, Jpeg(640, 480, static_cast<uint32_t>(i + 1))});
    }
    WriteZipFile(pagesZip, WriteZip(many));

    Application().Initialize();
    auto main = std::make_unique<TSPIMain>();
    main->Show();
    if (!main->OpenArchive(bigZip)) {
        std::printf("no archive plug-in opens the ZIP\n");
        return 1;
    }
    int row = -1;
    for (int i = 0; i < main->List().Count(); ++i)
        if (const TArchiveEntry* entry = main->Rows().EntryOf(i); entry && entry->fileName == L"big.jpg") row = i;
    if (row < 0) {
        std::printf("the ZIP lists no big.jpg\n");
        return 1;
    }
    const TArchiveEntry entry = *main->Rows().EntryOf(row);
    double aloneMs = 0;
    {
        TSPIPxDIB picture;
        aloneMs = BestMs(rounds, [&] {
            LoadMemberPicture(bigZip, entry, picture, nullptr, main->ArchivePlugin());
        });
        std::printf("extract and decode big.jpg alone (%dx%d, %zu bytes) %9.1f ms  (reference)\n", picture.GetWidth(),
                    picture.GetHeight(), big.size(), aloneMs);
    }
    main->List().SetSelected(-1, false);
    main->List().SetSelected(row, true);
    const double showMs = BestMs(rounds, [&] {
        SendMessageW(main->Handle(), WM_COMMAND, MAKEWPARAM(IDM_LIST_SHOW, 0), 0);
    });
    const TPxDIB* shown = main->ImageView().Picture();
    std::printf("show big.jpg from the list's command         %9.1f ms  (%.2f x extract and decode; %dx%d shown)\n",
                showMs, showMs / aloneMs, shown ? shown->GetWidth() : 0, shown ? shown->GetHeight() : 0);

    // Paging: extracting and decoding every picture alone first (the reference), then two rounds
    // of Show next through the list, the memory read before and after each.
    if (!main->OpenArchive(pagesZip)) {
        std::printf("the paging archive cannot be opened\n");
        return 1;
    }
    {
        const auto start = TClock::now();
        for (int i = 1; i < main->List().Count(); ++i) {
            TSPIPxDIB picture;
            LoadMemberPicture(pagesZip, *main->Rows().EntryOf(i), picture, nullptr, main->ArchivePlugin());
        }
        const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
        std::printf("extract and decode %d pictures of 640x480 alone:   %7.1f pictures/s  (reference)\n",
                    main->List().Count() - 1, (main->List().Count() - 1) / seconds);
    }
    if (!main->ShowMember(0, false)) {
        std::printf("the paging archive cannot be shown\n");
        return 1;
    }
    Application().ProcessMessages();
    for (int round = 1; round <= 2; ++round) {
        const TMemory before = MemoryInUse();
        int shownPages = 0;
        const auto start = TClock::now();
        for (int i = 1; i < pages; ++i) {
            if (main->ShowNext(false, false)) ++shownPages;
            Application().ProcessMessages();
        }
        const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
        const TMemory after = MemoryInUse();
        std::printf("round %d: Show next through %d pictures:          %7.1f pictures/s; committed %.1f -> %.1f MB, "
                    "working set %.1f -> %.1f MB\n",
                    round, shownPages, shownPages / seconds, before.committedMb, after.committedMb,
                    before.workingSetMb, after.workingSetMb);
        main->ShowMember(0, false);
        Application().ProcessMessages();
    }

    main.reset();
    SetProgramFolderOverride(std::nullopt);
    RemoveTree(root);
    return 0;
}
