// Program entry: initialises the application, creates the main window and runs the message loop
// until it closes.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/ArchMain_win.h"
#include "toolkit/Application_win.h"

namespace {

// The command line's arguments after the program's own name.
std::vector<std::wstring> Arguments() {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
    LocalFree(argv);
    return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    TApplication& app = Application();
    try {
        app.Initialize();
        app.SetTitle(L"Vardeno View");
        TSPIMain mainForm(Arguments());
        ShowWindow(mainForm.Handle(), show);
        return app.Run(mainForm);
    } catch (...) {
        app.HandleException();
        return 1;
    }
}
