#include "e2e/ProgramDriver_win.h"

#include <gtest/gtest.h>

#include "common/WindowTest_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/TextUtil.h"
#include "toolkit/WinPath_win.h"

namespace {

// The program's build folder, relative to this test program's (set by the build).
std::wstring BuiltProgramFolder() {
    std::wstring relative = Utf8ToWide(VV_PROGRAM_DIR);
    for (wchar_t& c : relative)
        if (c == L'/') c = L'\\';
    return ModuleFolder(nullptr) + L"\\" + relative;
}

struct TFind {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

// A shown top-level window of the process, of the class looked for.
BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lp) {
    auto* find = reinterpret_cast<TFind*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64]{};
    GetClassNameW(hwnd, cls, 64);
    if (pid != find->processId || std::wstring(cls) != find->className || !IsWindowVisible(hwnd)) return TRUE;
    find->found = hwnd;
    return FALSE;
}

}  // namespace

TProgramDriver::TProgramDriver(const std::wstring& programFolder, TSource source) : folder_(programFolder) {
    if (source == TSource::sInPlace) return;
    const std::wstring from = BuiltProgramFolder();
    for (const wchar_t* name : {L"VardenoView.exe", L"vvarchive.spi", L"vvimage.spi"})
        EXPECT_TRUE(CopyFileW((from + L"\\" + name).c_str(), (folder_ + L"\\" + name).c_str(), FALSE))
            << "copying " << WideToUtf8(name);
}

TProgramDriver::~TProgramDriver() {
    if (process_.hProcess) {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
}

bool TProgramDriver::Start(const std::vector<std::wstring>& arguments) {
    const std::wstring exe = folder_ + L"\\VardenoView.exe";
    std::wstring command = L"\"" + exe + L"\"";
    for (const std::wstring& a : arguments) command += L" \"" + a + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &si,
                        &process_))
        return false;
    main_ = WaitForWindow(L"TSPIMain", 30000);
    return main_ != nullptr;
}

HWND TProgramDriver::ShownWindow(const wchar_t* className) const {
    TFind find{process_.dwProcessId, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

HWND TProgramDriver::WaitForWindow(const wchar_t* className, DWORD timeoutMs) const {
    struct TWait {
        const TProgramDriver* driver;
        const wchar_t* className;
        HWND found;
    } wait{this, className, nullptr};
    WaitFor(
        [](void* p) {
            auto* w = static_cast<TWait*>(p);
            w->found = w->driver->ShownWindow(w->className);
            return w->found != nullptr;
        },
        &wait, timeoutMs);
    return wait.found;
}

HWND TProgramDriver::Control(int id) const { return FindDescendant(main_, id); }

HWND TProgramDriver::MemberList() const { return FindWindowExW(Control(IDC_MAIN_LIST), nullptr, L"ListBox", nullptr); }

DWORD TProgramDriver::Close() {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    return WaitForExit(20000);
}

DWORD TProgramDriver::WaitForExit(DWORD timeoutMs) {
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

namespace {

std::wstring SamplesFolder() {
    std::wstring relative = Utf8ToWide(VV_SAMPLES_DIR);
    for (wchar_t& c : relative)
        if (c == L'/') c = L'\\';
    const std::wstring path = ModuleFolder(nullptr) + L"\\" + relative;
    wchar_t full[MAX_PATH]{};
    return GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr) ? std::wstring(full) : path;
}

}  // namespace

std::wstring SampleZip() { return SamplesFolder() + L"\\sample.zip"; }

std::wstring SamplePicture(const std::wstring& name) { return SamplesFolder() + L"\\pictures\\" + name; }

std::wstring WindowText(HWND hwnd) {
    const int length = static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::max(0, length)));
    return text;
}

bool WaitFor(bool (*done)(void*), void* context, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done(context)) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(20);
    }
    return true;
}
