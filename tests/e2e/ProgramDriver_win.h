#pragma once
// Drives the real program from outside, as a user would: starts VardenoView.exe in a program
// folder of its own, finds its windows, reads what they show and sends them the messages that
// input would, and ends it (by closing its main window, or by force if a test fails half-way).
#include <windows.h>

#include <string>
#include <vector>

class TProgramDriver {
public:
    enum class TSource { sBuild, sInPlace };
    // With sBuild, copies the program and the shipped plug-ins from the build into the folder (a
    // fresh one); with sInPlace, runs the program that the folder already holds (an unpacked
    // release package).
    explicit TProgramDriver(const std::wstring& programFolder, TSource source = TSource::sBuild);
    ~TProgramDriver();
    TProgramDriver(const TProgramDriver&) = delete;
    TProgramDriver& operator=(const TProgramDriver&) = delete;

    const std::wstring& Folder() const { return folder_; }
    std::wstring IniPath() const { return folder_ + L"\\VardenoView.ini"; }

    // Starts the program and waits until its main window is shown; false when it does not come.
    bool Start(const std::vector<std::wstring>& arguments = {});
    HWND MainWindow() const { return main_; }
    // A shown top-level window of the program by its class; null when none is shown.
    HWND ShownWindow(const wchar_t* className) const;
    // The same, waiting until one is shown; null on timeout.
    HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs = 10000) const;
    // A control of the main window by its id (searched through every level); null when absent.
    HWND Control(int id) const;
    // The member list: the list box under the archive pane's header.
    HWND MemberList() const;
    // Waits for the process to end by itself; its exit code, STILL_ACTIVE on timeout.
    DWORD WaitForExit(DWORD timeoutMs);
    // Closes the main window as its close box does and waits for the process to end; its exit code.
    DWORD Close();

private:
    std::wstring folder_;
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

// The sample archive of the build, and its pictures as files.
std::wstring SampleZip();
std::wstring SamplePicture(const std::wstring& name);
// The text of a window of another process.
std::wstring WindowText(HWND hwnd);
// Waits, handling this thread's messages, until done() holds; false on timeout.
bool WaitFor(bool (*done)(void*), void* context, DWORD timeoutMs = 10000);
