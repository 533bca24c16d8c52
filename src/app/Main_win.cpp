// Program entry: initialises the application, creates the main window and runs the message loop
// until it closes.
#include <windows.h>

#include "toolkit/Application_win.h"
#include "toolkit/Form_win.h"

namespace {

// The main window; its panes come with the windows built on the layer.
class TSPIMain : public TForm {
public:
    TSPIMain() {
        Create(L"TSPIMain", L"Vardeno View  Ver.0.14(β版)", 687, 532);
        SetMinTrackSize(350, 300);
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    TApplication& app = Application();
    try {
        app.Initialize();
        app.SetTitle(L"Vardeno View");
        TSPIMain mainForm;
        ShowWindow(mainForm.Handle(), show);
        return app.Run(mainForm);
    } catch (...) {
        app.HandleException();
        return 1;
    }
}
