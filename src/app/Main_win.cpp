// Program entry: creates the main window and runs the message loop until it closes.
#include <windows.h>

#include <commctrl.h>

#include "toolkit/Exceptions.h"
#include "toolkit/Prompt.h"

namespace {

const wchar_t kMainClass[] = L"TSPIMain";
const wchar_t kMainCaption[] = L"Vardeno View  Ver.0.14(β版)";

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int Run(HINSTANCE instance, int show) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainClass;
    if (!RegisterClassExW(&wc)) throw Exception(L"メインウィンドウを登録できません。");

    HWND main = CreateWindowExW(0, kMainClass, kMainCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                                480, nullptr, nullptr, instance, nullptr);
    if (!main) throw Exception(L"メインウィンドウを作成できません。");
    ShowWindow(main, show);
    UpdateWindow(main);

    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return static_cast<int>(m.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    try {
        return Run(instance, show);
    } catch (const Exception& e) {
        CurrentPrompt().Ask(TPromptKind::pkError, e.Message(), TPromptButtons::pbOK);
        return 1;
    }
}
