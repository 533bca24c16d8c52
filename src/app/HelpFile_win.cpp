#include "app/HelpFile_win.h"

#include <shellapi.h>

#include "app/FileUtil.h"
#include "app/HelpFile.h"
#include "app/SaveTarget.h"
#include "toolkit/Exceptions.h"
#include "toolkit/Prompt.h"
#include "toolkit/SystemInfo.h"
#include "toolkit/WinPath_win.h"

namespace {

// The program that the system associates with the file's type shows it.
class TShellHelpViewer : public THelpViewer {
public:
    void Open(HWND owner, const std::wstring& path) override {
        const auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteW(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        // Results up to 32 are errors (no program for the type, file gone, out of memory).
        if (result <= 32) throw Exception(L"ヘルプファイルを開けません。\n\r" + path);
    }
};

THelpViewer* g_viewer = nullptr;

}  // namespace

THelpViewer& CurrentHelpViewer() {
    static TShellHelpViewer shell;
    return g_viewer ? *g_viewer : shell;
}

THelpViewer* SetCurrentHelpViewer(THelpViewer* viewer) {
    THelpViewer* previous = g_viewer;
    g_viewer = viewer;
    return previous;
}

std::wstring HelpProgramPath() { return ProgramFolder() + L"\\" + NamePart(ModuleFileName(nullptr)); }

void ShowHelp(HWND owner) {
    const std::wstring program = HelpProgramPath();
    const THelpChoice choice = ChooseHelpFile(program, [](const std::wstring& path) { return IsExistingFile(path); });
    if (choice.kind == THelpKind::hkNone) {
        CurrentPrompt().Ask(TPromptKind::pkError, HelpMissingText(program), TPromptButtons::pbOK);
        return;
    }
    try {
        CurrentHelpViewer().Open(owner, choice.path);
    } catch (const Exception&) {
        // A system that can no longer show WinHelp files may refuse the .HLP: the page beside it
        // is shown instead, when there is one.
        const THelpChoice page = ChooseHelpFile(
            program, [&](const std::wstring& path) { return path != choice.path && IsExistingFile(path); });
        if (choice.kind != THelpKind::hkHlp || page.kind == THelpKind::hkNone) throw;
        CurrentHelpViewer().Open(owner, page.path);
    }
}
