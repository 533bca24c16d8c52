#include "e2e/UserActions_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "common/WindowTest_win.h"
#include "e2e/ProgramDriver_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/TextUtil.h"
#include "toolkit/WinPath_win.h"

namespace {

struct TCaptionWait {
    HWND window;
    std::wstring prefix;
};

struct TShown {
    HWND window;
    bool shown;
};

struct TChildSearch {
    const wchar_t* text;
    HWND found;
};

BOOL CALLBACK MatchChildText(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<TChildSearch*>(lp);
    if (WindowText(hwnd) != search->text) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

bool WaitForCaption(HWND window, const std::wstring& prefix) {
    TCaptionWait wait{window, prefix};
    return WaitFor([](void* p) {
        auto* w = static_cast<TCaptionWait*>(p);
        return WindowText(w->window).rfind(w->prefix, 0) == 0;
    }, &wait);
}

bool WaitForShown(HWND window, bool shown) {
    TShown wait{window, shown};
    return WaitFor([](void* p) {
        auto* w = static_cast<TShown*>(p);
        return (IsWindowVisible(w->window) != FALSE) == w->shown;
    }, &wait);
}

void PressKey(HWND window, WPARAM key) {
    SetForegroundWindow(window);
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

void Click(HWND control, int x, int y, bool twice) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
    if (twice) {
        PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(control, WM_LBUTTONUP, 0, at);
    }
}

HWND ChildWithText(HWND parent, const wchar_t* text) {
    TChildSearch search{text, nullptr};
    EnumChildWindows(parent, MatchChildText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Settle(DWORD milliseconds) {
    struct TUntil {
        DWORD start, ms;
    } until{GetTickCount(), milliseconds};
    WaitFor([](void* p) {
        auto* u = static_cast<TUntil*>(p);
        return GetTickCount() - u->start >= u->ms;
    }, &until, milliseconds + 1000);
}

void ClickRow(HWND list, int row, bool addToSelection) {
    const int height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const LPARAM at = MAKELPARAM(20, row * height + height / 2);
    const WPARAM keys = addToSelection ? MK_CONTROL : 0;
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    PostMessageW(list, WM_LBUTTONUP, keys, at);
}

void TypeText(HWND edit, const std::wstring& text) {
    PostMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : text) PostMessageW(edit, WM_CHAR, c, 1);
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring EnvironmentText(const wchar_t* name) {
    wchar_t value[MAX_PATH]{};
    GetEnvironmentVariableW(name, value, MAX_PATH);
    return value;
}

int ListCount(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); }

std::vector<std::wstring> RowNames(HWND list) {
    std::vector<std::wstring> names;
    for (int i = 0; i < ListCount(list); ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        names.push_back(text.substr(0, text.find(L'\t')));
    }
    return names;
}

namespace {

// Memory of another process, lent for one message whose answer lands there.
class TRemoteMemory {
public:
    TRemoteMemory(HWND window, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~TRemoteMemory() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    TRemoteMemory(const TRemoteMemory&) = delete;
    TRemoteMemory& operator=(const TRemoteMemory&) = delete;

    void* Address() const { return address_; }
    // Leaves the memory behind: the target frees it (or it goes with the process).
    void* Release() { return std::exchange(address_, nullptr); }
    bool Write(const void* data, size_t size) const {
        return address_ && size <= size_ && WriteProcessMemory(process_, address_, data, size, nullptr);
    }
    bool Read(void* data, size_t size) const {
        return address_ && size <= size_ && ReadProcessMemory(process_, address_, data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_;
};

struct TLongest {
    std::wstring text;
};

BOOL CALLBACK KeepLongestStatic(HWND hwnd, LPARAM lp) {
    wchar_t cls[16]{};
    GetClassNameW(hwnd, cls, 16);
    auto* longest = reinterpret_cast<TLongest*>(lp);
    if (_wcsicmp(cls, L"Static") == 0) {
        std::wstring text = WindowText(hwnd);
        if (text.size() > longest->text.size()) longest->text = std::move(text);
    }
    return TRUE;
}

void SendKey(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

// The e2e screenshot folder, relative to this test program's (set by the build).
std::wstring StepShotFolder() {
    std::wstring relative = Utf8ToWide(VV_E2E_SHOTS_DIR);
    for (wchar_t& c : relative)
        if (c == L'/') c = L'\\';
    return ModuleFolder(nullptr) + L"\\" + relative;
}

}  // namespace

std::wstring StatusText(HWND bar, int part) {
    const size_t chars = 1024;
    TRemoteMemory memory(bar, chars * sizeof(wchar_t));
    if (!memory.Address()) return L"";
    const LRESULT length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
    if (static_cast<size_t>(length) >= chars) return L"";
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(memory.Address()));
    std::wstring text(static_cast<size_t>(length), L'\0');
    memory.Read(text.data(), text.size() * sizeof(wchar_t));
    return text;
}

bool WaitForStatus(const TProgramDriver& program, int part, const std::wstring& text) {
    struct TStatusWait {
        HWND bar;
        int part;
        const std::wstring& text;
    } wait{program.Control(IDC_MAIN_STATUS), part, text};
    return WaitFor([](void* p) {
        auto* w = static_cast<TStatusWait*>(p);
        return StatusText(w->bar, w->part) == w->text;
    }, &wait);
}

void ChooseMenuCommand(HWND window, int command) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0); }

std::wstring DialogMessage(HWND dialog) {
    TLongest longest;
    EnumChildWindows(dialog, KeepLongestStatic, reinterpret_cast<LPARAM>(&longest));
    return longest.text;
}

void PressButton(HWND dialog, int id) {
    if (HWND button = FindDescendant(dialog, id)) PostMessageW(button, BM_CLICK, 0, 0);
}

std::wstring ListViewText(HWND listView, int row, int column) {
    const size_t chars = 512;
    TRemoteMemory memory(listView, sizeof(LVITEMW) + chars * sizeof(wchar_t));
    if (!memory.Address()) return L"";
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(memory.Address()) + sizeof(LVITEMW));
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = remoteText;
    item.cchTextMax = static_cast<int>(chars);
    memory.Write(&item, sizeof(item));
    const auto length = static_cast<size_t>(
        SendMessageW(listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory.Address())));
    std::vector<BYTE> all(sizeof(LVITEMW) + (length + 1) * sizeof(wchar_t));
    memory.Read(all.data(), all.size());
    return std::wstring(reinterpret_cast<const wchar_t*>(all.data() + sizeof(LVITEMW)), length);
}

RECT ListViewRowRect(HWND listView, int row) {
    TRemoteMemory memory(listView, sizeof(RECT));
    RECT bounds{LVIR_BOUNDS, 0, 0, 0};
    memory.Write(&bounds, sizeof(bounds));
    SendMessageW(listView, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory.Address()));
    memory.Read(&bounds, sizeof(bounds));
    return bounds;
}

namespace {

struct TClassSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchChildClass(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<TClassSearch*>(lp);
    wchar_t cls[64]{};
    GetClassNameW(hwnd, cls, 64);
    if (_wcsicmp(cls, search->className) != 0) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

HWND ChildOfClass(HWND parent, const wchar_t* className) {
    TClassSearch search{className, nullptr};
    EnumChildWindows(parent, MatchChildClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int ListViewCount(HWND listView) { return static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0)); }

bool DropFiles(HWND target, const std::vector<std::wstring>& paths, bool control) {
    // A DROPFILES header followed by the wide names, each ended by a null, and one null more.
    std::vector<BYTE> block(sizeof(DROPFILES));
    for (const std::wstring& path : paths) {
        const auto* bytes = reinterpret_cast<const BYTE*>(path.c_str());
        block.insert(block.end(), bytes, bytes + (path.size() + 1) * sizeof(wchar_t));
    }
    block.insert(block.end(), sizeof(wchar_t), 0);
    auto* header = reinterpret_cast<DROPFILES*>(block.data());
    header->pFiles = sizeof(DROPFILES);
    header->pt = {20, 20};
    header->fWide = TRUE;
    // A drop handle is a fixed block of the receiving process's memory.
    TRemoteMemory memory(target, block.size());
    if (!memory.Write(block.data(), block.size())) return false;
    if (control) {
        SetForegroundWindow(GetAncestor(target, GA_ROOT));
        SendKey(VK_CONTROL, false);
        Settle(300);  // the key reaches the program's input state before the drop does
    }
    const bool posted = PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory.Release()), 0) != FALSE;
    if (control) {
        Settle(500);
        SendKey(VK_CONTROL, true);
    }
    return posted;
}

TStepShots::TStepShots(std::wstring walk) : walk_(std::move(walk)) {
    const std::wstring folder = StepShotFolder();
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\" + walk_ + L"-*.png").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

void TStepShots::Shot(HWND window, const std::wstring& step) {
    wchar_t number[8];
    swprintf(number, 8, L"%02d", next_++);
    const std::wstring folder = StepShotFolder();
    CreateDirectoryW(folder.c_str(), nullptr);
    Settle(700);
    SaveWindowPngAs(window, folder + L"\\" + walk_ + L"-" + number + L"-" + step + L".png");
}
