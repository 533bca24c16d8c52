// batch_bench: the batch engine's own costs, each beside a reference from the same run.
//   - copying FILES files of MB megabytes with numbered renaming through the engine (no check
//     list), beside a plain CopyFileW loop over the same files into the same names;
//   - converting PICTURES PNG pictures to BMP through the engine with the shipped image plug-in,
//     beside decoding each and writing its BMP file alone.
// Best of three rounds each, engine and reference in turn; the destination folder is emptied
// before every round.
//
//   batch_bench [FILES [MB [PICTURES]]]
// Runs from bin/ beside the shipped plug-ins.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "BenchFiles_win.h"
#include "forms/BatchEngine_win.h"
#include "plugins/SPIBmp.h"
#include "plugins/SPIs.h"
#include "spi/PictureWriter.h"
#include "toolkit/Application_win.h"
#include "toolkit/Prompt.h"
#include "toolkit/SystemInfo.h"

namespace {

using TClock = std::chrono::steady_clock;

double TimeMs(const std::function<void()>& work) {
    const auto start = TClock::now();
    work();
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

// The best of three rounds of the engine and of the reference, taken in turn so that both meet
// the same load of a busy machine.
std::pair<double, double> BestOfRounds(const std::function<void()>& prepare, const std::function<void()>& engine,
                                       const std::function<void()>& reference) {
    double bestEngine = 1e300, bestReference = 1e300;
    for (int i = 0; i < 3; ++i) {
        prepare();
        bestEngine = std::min(bestEngine, TimeMs(engine));
        prepare();
        bestReference = std::min(bestReference, TimeMs(reference));
    }
    return {bestEngine, bestReference};
}

struct TQuietProgress : TBatchProgress {
    void SetStatus(const std::wstring&) override {}
    void SetMaximum(int) override {}
    void Step() override {}
    void Reset() override {}
};

void Report(const char* what, double engine, double reference) {
    std::printf("%-44s engine %9.1f ms   reference %9.1f ms   ratio %.2f\n", what, engine, reference, engine / reference);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int files = argc > 1 ? _wtoi(argv[1]) : 1000;
    const int megabytes = argc > 2 ? _wtoi(argv[2]) : 1;
    const int pictures = argc > 3 ? _wtoi(argv[3]) : 200;
    Application().Initialize();
    // Every question is answered Yes; with emptied folders none is asked.
    TScriptedPrompt yes(std::vector<TPromptAnswer>(100000, TPromptAnswer::paYes));
    TPromptScope promptScope(yes);

    const std::wstring root = MakeScratchFolder(L"batch_bench");
    const std::wstring sources = MakeFolder(root, L"src"), target = root + L"\\dst";
    auto emptyTarget = [&] {
        RemoveTree(target);
        CreateDirectoryW(target.c_str(), nullptr);
    };
    TQuietProgress progress;

    // count files of the same content in the sources' folder: name0.ext, name1.ext, ...
    auto writeSources = [&](const std::wstring& name, const std::wstring& ext, const void* data, size_t size,
                            int count) {
        std::vector<std::wstring> written;
        for (int i = 0; i < count; ++i) {
            written.push_back(sources + L"\\" + name + std::to_wstring(i) + ext);
            WriteBytes(written.back(), data, size);
        }
        return written;
    };

    // Copying with renaming.
    const std::vector<char> block(static_cast<size_t>(megabytes) << 20, 'x');
    std::vector<std::wstring> paths = writeSources(L"file", L".dat", block.data(), block.size(), files);
    TBatchOptions copy;
    copy.confirm = false;
    copy.kind = TBatchKind::bkCopy;
    copy.rename = true;
    copy.renameDefinition = L"COPY****";
    copy.folder = target;
    const auto [engineCopy, plainCopy] = BestOfRounds(emptyTarget, [&] { CopyFiles(paths, copy, progress); }, [&] {
        wchar_t name[32];
        for (int i = 0; i < files; ++i) {
            swprintf(name, 32, L"\\COPY%.4d.dat", i);
            CopyFileW(paths[static_cast<size_t>(i)].c_str(), (target + name).c_str(), TRUE);
        }
    });
    char label[96];
    std::snprintf(label, sizeof label, "copy %d x %d MB, renamed", files, megabytes);
    Report(label, engineCopy, plainCopy);
    for (const std::wstring& p : paths) DeleteFileW(p.c_str());

    // Converting pictures.
    TInSPI image(ProgramFolder() + L"\\vvimage.spi");
    const TBytes png = WritePng(MakePixels(640, 480, 3));
    paths = writeSources(L"pic", L".png", png.data(), png.size(), pictures);
    TBatchOptions convert;
    convert.confirm = false;
    convert.kind = TBatchKind::bkCopy;
    convert.convert = true;
    convert.folder = target;
    convert.picturePlugin = &image;
    const auto [engineConvert, plainConvert] = BestOfRounds(emptyTarget, [&] { CopyFiles(paths, convert, progress); }, [&] {
        for (int i = 0; i < pictures; ++i) {
            TSPIBitmap bitmap;
            bitmap.LoadFromFileSPI(paths[static_cast<size_t>(i)], &image);
            bitmap.SaveToFile(target + L"\\pic" + std::to_wstring(i) + L".BMP");
        }
    });
    std::snprintf(label, sizeof label, "convert %d PNG 640 x 480 to BMP", pictures);
    Report(label, engineConvert, plainConvert);

    RemoveTree(root);
    return 0;
}
