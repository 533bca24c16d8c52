// The image view and full-screen windows on the display, driven by real mouse, key and
// activation messages, with a host that records what the viewers ask of it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/FullScreen_win.h"
#include "app/ImgView_win.h"
#include "app/ViewerPlacement.h"
#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/Application_win.h"
#include "toolkit/ClipboardSession_win.h"
#include "toolkit/FileDialogs.h"
#include "toolkit/Prompt.h"
#include "toolkit/Streams.h"
#include "toolkit/SystemInfo.h"

namespace {

// Writes each call as a line: "next ask=1 fs=0", "saveAs C:\x", ...
class TRecordingHost : public TViewerHost {
public:
    bool ShowNext(bool ask, bool fullScreen) override { return Record(L"next", ask, fullScreen); }
    bool ShowPrevious(bool ask, bool fullScreen) override { return Record(L"previous", ask, fullScreen); }
    bool ShowAgain(bool fullScreen) override {
        calls.push_back(L"again fs=" + std::to_wstring(fullScreen));
        return true;
    }
    bool SaveCurrentAs(const std::wstring& path) override {
        calls.push_back(L"saveAs " + path);
        return true;
    }
    bool SaveCurrentToFolder() override {
        calls.push_back(L"toFolder");
        return true;
    }
    bool SaveCurrentAsBitmap() override {
        calls.push_back(L"bitmapToFolder");
        return true;
    }
    void SetViewMode(bool browse) override { viewMode = browse; }
    bool ViewMode() const override { return viewMode; }

    std::vector<std::wstring> calls;
    bool viewMode = false;

private:
    bool Record(const wchar_t* what, bool ask, bool fullScreen) {
        calls.push_back(std::wstring(what) + L" ask=" + std::to_wstring(ask) + L" fs=" + std::to_wstring(fullScreen));
        return true;
    }
};

// A 24-bit picture with a pattern, through the BMP reader.
std::unique_ptr<TPxDIB> PatternPicture(int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    std::vector<uint8_t> bmp(54 + static_cast<size_t>(stride * height));
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&bmp[at], &v, 4); };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    bmp[26] = 1;
    bmp[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &bmp[54 + static_cast<size_t>(y * stride + x * 3)];
            p[0] = static_cast<uint8_t>(x * 255 / width);
            p[1] = static_cast<uint8_t>(y * 255 / height);
            p[2] = static_cast<uint8_t>(((x / 10 + y / 10) % 2) * 200);
        }
    TMemoryStream stream;
    stream.LoadFromBuffer(bmp.data(), bmp.size());
    auto picture = std::make_unique<TPxDIB>();
    picture->LoadFromStream(stream);
    return picture;
}

bool SamePixels(const TPxDIB& a, const TPxDIB& b) {
    const TPxInternalDIB& x = a.InternalDIB();
    const TPxInternalDIB& y = b.InternalDIB();
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           x.Infos().Header.biSizeImage == y.Infos().Header.biSizeImage &&
           std::memcmp(x.Infos().Bits, y.Infos().Bits, x.Infos().Header.biSizeImage) == 0;
}

// Closes the first pop-up menu of this thread that shows while it lives, and remembers where it
// stood. Its timer runs inside the menu's own message loop.
class TMenuWatcher {
public:
    TMenuWatcher() {
        watcher_ = this;
        timer_ = SetTimer(nullptr, 0, 10, Tick);
    }
    ~TMenuWatcher() {
        KillTimer(nullptr, timer_);
        watcher_ = nullptr;
    }
    bool Opened() const { return opened_; }
    POINT At() const { return at_; }

private:
    static BOOL CALLBACK FindMenu(HWND hwnd, LPARAM lp) {
        wchar_t name[16] = {};
        GetClassNameW(hwnd, name, 16);
        if (std::wstring(name) != L"#32768" || !IsWindowVisible(hwnd)) return TRUE;
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND menu = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindMenu, reinterpret_cast<LPARAM>(&menu));
        if (!watcher_ || !menu || watcher_->opened_) return;
        RECT r{};
        GetWindowRect(menu, &r);
        watcher_->at_ = POINT{r.left, r.top};
        watcher_->opened_ = true;
        EndMenu();
    }
    static inline TMenuWatcher* watcher_ = nullptr;
    UINT_PTR timer_ = 0;
    bool opened_ = false;
    POINT at_{};
};

std::vector<int> Box(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

bool MenuFlag(HMENU menu, int command, UINT flag) {
    return (GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) & flag) != 0;
}

// The entries of a pop-up menu in order, "-" for a separator.
std::vector<std::wstring> Entries(HMENU menu) {
    std::vector<std::wstring> entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = L"";
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        entries.emplace_back(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR ? L"-" : text);
    }
    return entries;
}

class ViewersTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application().Initialize();
        SetScreenMetricsOverride(TScreenMetrics{1024, 768, 32});
        view.Create(false, true);
        full.Create();
        view.SetFullScreenForm(&full);
        host.calls.clear();
    }
    void TearDown() override { SetScreenMetricsOverride(std::nullopt); }

    void ShowView(bool browse, int width = 100, int height = 80) {
        view.DisplayPicture(*PatternPicture(width, height), L"pic.jpg(100x80)", browse);
        view.SetCurrentName(L"pic.jpg");
        PumpFor(50);
    }
    void ShowFull(bool browse, int width = 100, int height = 100) {
        full.DisplayPicture(*PatternPicture(width, height), FullScreenPictureFrame(width, height, 1024, 768),
                            FullScreenLabel(L"pic.jpg", width, height), browse);
        full.SetCurrentName(L"pic.jpg");
        PumpFor(50);
    }
    static void Mouse(HWND hwnd, UINT msg, int x = 20, int y = 30) {
        const WPARAM held = msg == WM_RBUTTONDOWN ? MK_RBUTTON : msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0;
        SendMessageW(hwnd, msg, held, MAKELPARAM(x, y));
    }
    static void Command(TWindow& window, int id) { SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // A key as the message loop gets it, with the modifiers held in the thread's key state.
    static void Key(HWND target, UINT vk, bool shift, bool control) {
        BYTE keys[256] = {};
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG m{target, WM_KEYDOWN, vk, 1, 0, {}};
        Application().Dispatch(m);
        keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
    static void Activate(TForm& form) {
        form.Show();
        SetForegroundWindow(form.Handle());
        SetActiveWindow(form.Handle());
        PumpUntil([&] { return Application().ActiveForm() == &form; });
    }

    TRecordingHost host;
    TImgViewForm view{host};
    TFullScreenForm full{host, view};
};

TEST_F(ViewersTest, WindowsStartAsDesigned) {
    RECT r{};
    GetWindowRect(view.Handle(), &r);
    EXPECT_EQ(view.Text(), L"ImgViewForm");
    EXPECT_EQ(r.right - r.left, 614);
    EXPECT_EQ(r.bottom - r.top, 444);
    const LONG_PTR style = GetWindowLongPtrW(view.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(view.PreImage().Enabled());
    EXPECT_TRUE(view.LongPress());
    EXPECT_EQ(view.ClickDelay(), 500);
    EXPECT_EQ(view.ToolPanelHeight(), 25);
    EXPECT_EQ(view.Picture(), nullptr);

    // Full screen covers the screen, with the tool panel in the bottom-right corner.
    GetWindowRect(full.Handle(), &r);
    EXPECT_EQ(Box(r), Box(RECT{0, 0, 1024, 768}));
    EXPECT_FALSE(GetWindowLongPtrW(full.Handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_EQ(Box(full.ToolPanel().Bounds()), Box(RECT{1024 - 186 - 20, 768 - 27 - 20, 1024 - 20, 768 - 20}));
    EXPECT_FALSE(full.LongPress());
    EXPECT_FALSE(full.PreImage().Enabled());
    EXPECT_EQ(full.Menu(), nullptr);
}

TEST_F(ViewersTest, MenusAndButtons) {
    HMENU bar = view.Menu();
    ASSERT_NE(bar, nullptr);
    std::vector<std::wstring> tops;
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        wchar_t text[64] = L"";
        GetMenuStringW(bar, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        tops.emplace_back(text);
    }
    EXPECT_EQ(tops, (std::vector<std::wstring>{L"ファイル(&F)", L"編集(&E)", L"表示(&V)"}));
    EXPECT_EQ(Entries(GetSubMenu(bar, 0)),
              (std::vector<std::wstring>{L"開き直す(&R)\tShift+R", L"-", L"前の画像を開く(&P)\tShift+Space",
                                         L"次の画像を開く(&N)\tSpace", L"-", L"元の形式で保存(&O)", L"Bitmap形式で保存(&S)",
                                         L"-", L"指定フォルダに保存\tCtrl+F", L"Bitmapを指定フォルダに保存\tCtrl+S", L"-",
                                         L"閉じる(&X)"}));
    EXPECT_EQ(Entries(GetSubMenu(bar, 1)), (std::vector<std::wstring>{L"コピー\tCtrl+C"}));
    EXPECT_EQ(Entries(GetSubMenu(bar, 2)),
              (std::vector<std::wstring>{L"閲覧モード\tShift+Enter", L"全画面表示\tEnter", L"ツールバー表示"}));
    EXPECT_TRUE(MenuFlag(bar, IDM_VIEWER_TOOL_BAR, MF_CHECKED));

    // The two pop-up menus differ in the entry that switches viewers.
    const std::vector<std::wstring> popupHead{L"前の画像を開く\tShift+Space", L"次の画像を開く\tSpace", L"-",
                                              L"指定フォルダに保存\tCtrl+F", L"Bitmapを指定フォルダに保存\tCtrl+S", L"-",
                                              L"元の形式で保存", L"Bitmap形式で保存", L"-", L"コピー\tCtrl+C", L"-",
                                              L"閲覧モード\tShift+Enter"};
    for (auto [form, screenEntry] : {std::pair<TViewerForm*, const wchar_t*>{&view, L"フルスクリーン表示\tEnter"},
                                     {&full, L"通常表示\tEnter"}}) {
        std::vector<std::wstring> want = popupHead;
        want.push_back(screenEntry);
        want.push_back(L"ツールバー表示");
        EXPECT_EQ(Entries(form->PopupMenu()), want);
        EXPECT_TRUE(MenuFlag(form->PopupMenu(), IDM_VIEWER_TOOL_BAR, MF_CHECKED));
    }

    struct Button {
        int id;
        const wchar_t* caption;
        int width;
        const wchar_t* hint;
    };
    const Button buttons[] = {
        {IDC_VIEWER_PREVIOUS_BTN, L"＜", 25, L"前の画像を開く"},
        {IDC_VIEWER_NEXT_BTN, L"＞", 25, L"次の画像を開く"},
        {IDC_VIEWER_SAVE_TO_FOLDER_BTN, L"指Ori", 41, L"指定フォルダに保存"},
        {IDC_VIEWER_BITMAP_TO_FOLDER_BTN, L"指Bit", 41, L"指定フォルダにBitmapに変換保存"},
        {IDC_VIEWER_MODE_BTN, L"閲", 25, L"閲覧モード"},
    };
    for (TViewerForm* form : {static_cast<TViewerForm*>(&view), static_cast<TViewerForm*>(&full)}) {
        for (const Button& b : buttons) {
            SCOPED_TRACE(b.caption);
            HWND button = FindDescendant(form->Handle(), b.id);
            ASSERT_NE(button, nullptr);
            RECT r{};
            GetWindowRect(button, &r);
            EXPECT_EQ(TWindow::FromHandle(button)->Text(), b.caption);
            EXPECT_EQ(r.right - r.left, b.width);
            EXPECT_EQ(r.bottom - r.top, 20);
            EXPECT_EQ(form->Hints().TipText(button), b.hint);
        }
    }
    HWND screen = FindDescendant(view.Handle(), IDC_VIEWER_SCREEN_BTN);
    EXPECT_EQ(TWindow::FromHandle(screen)->Text(), L"全");
    EXPECT_EQ(view.Hints().TipText(screen), L"全画面表示（フルスクリーン表示）");
    screen = FindDescendant(full.Handle(), IDC_VIEWER_SCREEN_BTN);
    EXPECT_EQ(TWindow::FromHandle(screen)->Text(), L"常");
    EXPECT_EQ(full.Hints().TipText(screen), L"通常表示");
}

// Each command by its shortcut, by its menu entry and by its tool button, in both viewers.
TEST_F(ViewersTest, ShortcutsMenuEntriesAndButtons) {
    TScriptedFileDialogs dialogs;
    TFileDialogsScope scope(dialogs);
    struct Case {
        UINT vk;
        bool shift, control;
        int command;
        int button;  // 0: none
        const wchar_t* inView;  // the host call each viewer makes; empty: none
        const wchar_t* inFull;
    };
    const Case cases[] = {
        {VK_SPACE, false, false, IDM_VIEWER_NEXT, IDC_VIEWER_NEXT_BTN, L"next ask=1 fs=0", L"next ask=1 fs=1"},
        {VK_SPACE, true, false, IDM_VIEWER_PREVIOUS, IDC_VIEWER_PREVIOUS_BTN, L"previous ask=1 fs=0",
         L"previous ask=1 fs=1"},
        {'R', true, false, IDM_VIEWER_REOPEN, 0, L"again fs=0", L""},
        {VK_RETURN, false, false, IDM_VIEWER_FULL_SCREEN, IDC_VIEWER_SCREEN_BTN, L"again fs=1", L""},
        {VK_RETURN, false, false, IDM_VIEWER_NORMAL_VIEW, IDC_VIEWER_SCREEN_BTN, L"", L"again fs=0"},
        {'F', false, true, IDM_VIEWER_SAVE_TO_FOLDER, IDC_VIEWER_SAVE_TO_FOLDER_BTN, L"toFolder", L"toFolder"},
        {'S', false, true, IDM_VIEWER_BITMAP_TO_FOLDER, IDC_VIEWER_BITMAP_TO_FOLDER_BTN, L"bitmapToFolder",
         L"bitmapToFolder"},
    };
    ShowView(false);
    for (TViewerForm* form : {static_cast<TViewerForm*>(&view), static_cast<TViewerForm*>(&full)}) {
        if (form == &full) ShowFull(false);
        Activate(*form);
        ASSERT_EQ(Application().ActiveForm(), form);
        for (const Case& c : cases) {
            const std::wstring want = form == &view ? c.inView : c.inFull;
            if (want.empty()) continue;
            SCOPED_TRACE(testing::Message() << (form == &view ? "view " : "full ") << c.command);
            host.calls.clear();
            Key(form->PreImage().Handle(), c.vk, c.shift, c.control);
            Command(*form, c.command);
            if (c.button) PostClick(FindDescendant(form->Handle(), c.button), 3, 3);
            PumpFor(30);
            EXPECT_EQ(host.calls, std::vector<std::wstring>(c.button ? 3 : 2, want));
        }
        // Shift+Enter toggles browse mode: the check, the button and the host's copy.
        Key(form->PreImage().Handle(), VK_RETURN, true, false);
        EXPECT_TRUE(form->BrowseMode());
        EXPECT_TRUE(host.viewMode);
        EXPECT_TRUE(MenuFlag(form->PopupMenu(), IDM_VIEWER_MODE, MF_CHECKED));
        EXPECT_TRUE(form->ModeBtn().Down());
        PostClick(form->ModeBtn().Handle(), 3, 3);
        PumpFor(30);
        EXPECT_FALSE(form->BrowseMode());
        EXPECT_FALSE(host.viewMode);
        EXPECT_FALSE(form->ModeBtn().Down());
        EXPECT_FALSE(MenuFlag(form->PopupMenu(), IDM_VIEWER_MODE, MF_CHECKED));
    }
    EXPECT_FALSE(MenuFlag(view.Menu(), IDM_VIEWER_MODE, MF_CHECKED));
    // The save dialogs' commands reach the dialogs (cancelled here), and close hides the window.
    Command(view, IDM_VIEWER_SAVE_ORIGINAL);
    Command(full, IDM_VIEWER_SAVE_BITMAP);
    EXPECT_EQ(dialogs.SaveRequests().size(), 2u);
    Command(view, IDM_VIEWER_CLOSE);
    EXPECT_FALSE(view.Visible());
}

TEST_F(ViewersTest, BrowseModeClicksPage) {
    struct Case {
        const char* name;
        bool fullScreen;
        bool onPicture;  // else on the black area around it
        UINT down, up;
        const wchar_t* want;
    };
    const Case cases[] = {
        {"view right", false, true, WM_RBUTTONDOWN, WM_RBUTTONUP, L"next ask=0 fs=0"},
        {"view left", false, true, WM_LBUTTONDOWN, WM_LBUTTONUP, L"previous ask=0 fs=0"},
        {"view middle", false, true, WM_MBUTTONDOWN, WM_MBUTTONUP, L"previous ask=0 fs=0"},
        {"full right", true, true, WM_RBUTTONDOWN, WM_RBUTTONUP, L"next ask=0 fs=1"},
        {"full left", true, true, WM_LBUTTONDOWN, WM_LBUTTONUP, L"previous ask=0 fs=1"},
        {"full right around", true, false, WM_RBUTTONDOWN, WM_RBUTTONUP, L"next ask=0 fs=1"},
        {"full left around", true, false, WM_LBUTTONDOWN, WM_LBUTTONUP, L"previous ask=0 fs=1"},
    };
    // The image view swallows the first release after it is made (the double click that showed
    // it); full screen pages at once.
    ShowView(true);
    Mouse(view.PreImage().Handle(), WM_LBUTTONUP);
    EXPECT_TRUE(host.calls.empty());
    ShowFull(true);
    Mouse(full.PreImage().Handle(), WM_RBUTTONDOWN);
    Mouse(full.PreImage().Handle(), WM_RBUTTONUP);
    EXPECT_EQ(host.calls, (std::vector<std::wstring>{L"next ask=0 fs=1"}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.calls.clear();
        TViewerForm& form = c.fullScreen ? static_cast<TViewerForm&>(full) : view;
        HWND target = c.onPicture ? form.PreImage().Handle() : form.Handle();
        Mouse(target, c.down, 2, 2);
        EXPECT_TRUE(form.ClickTimer().Enabled() == (c.down == WM_RBUTTONDOWN));
        Mouse(target, c.up, 2, 2);
        EXPECT_FALSE(form.ClickTimer().Enabled());
        EXPECT_EQ(host.calls, std::vector<std::wstring>{c.want});
    }
}

// Holding the right button until the click timer runs out opens the pop-up menu at the cursor;
// the release then pages nowhere, and the next click pages again.
TEST_F(ViewersTest, LongPressOpensThePopupMenuInsteadOfPaging) {
    for (TViewerForm* form : {static_cast<TViewerForm*>(&view), static_cast<TViewerForm*>(&full)}) {
        SCOPED_TRACE(form == &view ? "view" : "full");
        if (form == &view) ShowView(true);
        else ShowFull(true);
        Mouse(form->PreImage().Handle(), WM_LBUTTONUP);  // past the image view's first release
        host.calls.clear();
        SetCursorPos(300, 200);
        TMenuWatcher watcher;
        Mouse(form->PreImage().Handle(), WM_RBUTTONDOWN);
        EXPECT_EQ(form->ClickTimer().Interval(), 500u);
        ASSERT_TRUE(PumpUntil([&] { return watcher.Opened(); }, 3000));
        EXPECT_TRUE(form->LongPress());
        EXPECT_FALSE(form->ClickTimer().Enabled());
        POINT cursor{};
        GetCursorPos(&cursor);
        EXPECT_EQ(watcher.At().x, cursor.x);
        EXPECT_EQ(watcher.At().y, cursor.y);
        Mouse(form->PreImage().Handle(), WM_RBUTTONUP);
        EXPECT_TRUE(host.calls.empty());
        EXPECT_FALSE(form->LongPress());
        Mouse(form->PreImage().Handle(), WM_RBUTTONDOWN);
        Mouse(form->PreImage().Handle(), WM_RBUTTONUP);
        EXPECT_EQ(host.calls.size(), 1u);
    }
}

TEST_F(ViewersTest, OutsideBrowseModeLeftDoesNothingAndRightOpensThePopupAtThePress) {
    for (TViewerForm* form : {static_cast<TViewerForm*>(&view), static_cast<TViewerForm*>(&full)}) {
        SCOPED_TRACE(form == &view ? "view" : "full");
        if (form == &view) ShowView(false);
        else ShowFull(false);
        host.calls.clear();
        for (int i = 0; i < 2; ++i) {
            Mouse(form->PreImage().Handle(), WM_LBUTTONDOWN);
            Mouse(form->PreImage().Handle(), WM_LBUTTONUP);
        }
        EXPECT_TRUE(host.calls.empty());
        TMenuWatcher watcher;
        Mouse(form->PreImage().Handle(), WM_RBUTTONDOWN, 40, 30);  // the menu runs inside the press
        EXPECT_TRUE(watcher.Opened());
        EXPECT_FALSE(form->ClickTimer().Enabled());
        POINT press{40, 30};
        ClientToScreen(form->PreImage().Handle(), &press);
        EXPECT_EQ(watcher.At().x, press.x);
        EXPECT_EQ(watcher.At().y, press.y);
        Mouse(form->PreImage().Handle(), WM_RBUTTONUP);
        EXPECT_TRUE(host.calls.empty());
    }
}

TEST_F(ViewersTest, BusyWindowIgnoresClicksUntilDone) {
    ShowView(true);
    Mouse(view.PreImage().Handle(), WM_LBUTTONUP);
    view.SetViewerBusy(true);
    EXPECT_FALSE(view.Enabled());
    EXPECT_FALSE(view.PreImage().Enabled());
    EXPECT_TRUE(Application().Busy());
    EXPECT_TRUE(view.LongPress());
    PostMessageW(view.PreImage().Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageW(view.PreImage().Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpFor(30);
    EXPECT_TRUE(host.calls.empty());
    view.SetViewerBusy(false);
    EXPECT_TRUE(view.Enabled());
    EXPECT_TRUE(view.PreImage().Enabled());
    EXPECT_FALSE(Application().Busy());
    EXPECT_FALSE(view.LongPress());
    Mouse(view.PreImage().Handle(), WM_RBUTTONDOWN);
    Mouse(view.PreImage().Handle(), WM_RBUTTONUP);
    EXPECT_EQ(host.calls, (std::vector<std::wstring>{L"next ask=0 fs=0"}));
}

// One setting, held in the image view's "ツールバー表示": either viewer's entry turns both
// panels off and on.
TEST_F(ViewersTest, ToolBarIsSharedByBothViewers) {
    ShowView(false);
    for (auto [form, shownAfter] : {std::pair<TViewerForm*, bool>{&view, false}, {&full, true}, {&full, false}}) {
        Command(*form, IDM_VIEWER_TOOL_BAR);
        EXPECT_EQ(view.ToolBarShown(), shownAfter);
        EXPECT_EQ(MenuFlag(view.Menu(), IDM_VIEWER_TOOL_BAR, MF_CHECKED), shownAfter);
        EXPECT_EQ(MenuFlag(view.PopupMenu(), IDM_VIEWER_TOOL_BAR, MF_CHECKED), shownAfter);
        EXPECT_EQ(MenuFlag(full.PopupMenu(), IDM_VIEWER_TOOL_BAR, MF_CHECKED), shownAfter);
        EXPECT_EQ(view.ToolPanel().Visible(), shownAfter);
        EXPECT_EQ((GetWindowLongPtrW(full.ToolPanel().Handle(), GWL_STYLE) & WS_VISIBLE) != 0, shownAfter);
        EXPECT_EQ(view.ToolPanelHeight(), shownAfter ? 25 : 0);
        EXPECT_EQ(view.PreImage().Bounds().top, shownAfter ? 25 : 0);
    }
    // A viewer made with the tool bar off starts so.
    TImgViewForm other(host);
    other.Create(true, false);
    EXPECT_FALSE(other.ToolBarShown());
    EXPECT_EQ(other.ToolPanelHeight(), 0);
    EXPECT_TRUE(other.BrowseMode());
    EXPECT_TRUE(MenuFlag(other.Menu(), IDM_VIEWER_MODE, MF_CHECKED));
}

TEST_F(ViewersTest, OriginalSavingFollowsTheListMode) {
    ShowFull(false);
    Activate(full);
    for (bool enabled : {false, true}) {
        SCOPED_TRACE(enabled);
        view.EnableOriginalSaving(enabled);
        full.EnableOriginalSaving(enabled);
        for (HMENU menu : {view.Menu(), view.PopupMenu(), full.PopupMenu()}) {
            EXPECT_EQ(MenuFlag(menu, IDM_VIEWER_SAVE_ORIGINAL, MF_GRAYED), !enabled);
            EXPECT_EQ(MenuFlag(menu, IDM_VIEWER_SAVE_TO_FOLDER, MF_GRAYED), !enabled);
            EXPECT_FALSE(MenuFlag(menu, IDM_VIEWER_SAVE_BITMAP, MF_GRAYED));
            EXPECT_FALSE(MenuFlag(menu, IDM_VIEWER_BITMAP_TO_FOLDER, MF_GRAYED));
        }
        // Full screen has no menu bar to stop a disabled entry's shortcut.
        host.calls.clear();
        Key(full.PreImage().Handle(), 'F', false, true);
        EXPECT_EQ(host.calls.size(), enabled ? 1u : 0u);
    }
}

TEST_F(ViewersTest, SaveDialogs) {
    TTempDir dir;
    TScriptedFileDialogs dialogs;
    TFileDialogsScope scope(dialogs);
    ShowView(false);

    dialogs.PushSave(dir / L"member.jpg");
    Command(view, IDM_VIEWER_SAVE_ORIGINAL);
    ASSERT_EQ(dialogs.SaveRequests().size(), 1u);
    EXPECT_EQ(dialogs.SaveRequests()[0].fileName, L"pic.jpg");
    EXPECT_EQ(dialogs.SaveRequests()[0].filter, L"");
    EXPECT_TRUE(dialogs.SaveRequests()[0].overwritePrompt);
    EXPECT_EQ(host.calls, (std::vector<std::wstring>{L"saveAs " + (dir / L"member.jpg")}));

    // The picture on show as BMP, whatever extension was typed.
    dialogs.PushSave(dir / L"shown.png");
    Command(view, IDM_VIEWER_SAVE_BITMAP);
    ASSERT_EQ(dialogs.SaveRequests().size(), 2u);
    EXPECT_EQ(dialogs.SaveRequests()[1].fileName, L"pic.BMP");
    EXPECT_EQ(dialogs.SaveRequests()[1].filter, L"Bitmapファイル(*.BMP)|*.BMP");
    EXPECT_FALSE(PathExists(dir / L"shown.png"));
    TPxDIB written;
    written.LoadFromFile(dir / L"shown.BMP");
    EXPECT_TRUE(SamePixels(written, *view.Picture()));

    // A write that fails (the old file is held open by another program) leaves the file that was
    // there as it was, and nothing beside it.
    const std::wstring held = dir / L"held.BMP";
    WriteFileText(held, "old contents");
    HANDLE other = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    dialogs.PushSave(held);
    TScriptedPrompt prompts;
    TPromptScope promptScope(prompts);
    Command(view, IDM_VIEWER_SAVE_BITMAP);
    CloseHandle(other);
    EXPECT_TRUE(ReadFileText(held) == "old contents");
    ASSERT_EQ(prompts.Questions().size(), 1u);  // the failure is reported
    EXPECT_NE(prompts.Questions()[0].text.find(L"held.BMP"), std::wstring::npos);
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((dir / L"vv*").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

TEST_F(ViewersTest, CopyPutsTheShownPictureOnTheClipboard) {
    ShowFull(false, 37, 21);  // odd width: rows are padded
    Command(full, IDM_VIEWER_COPY);
    TPxDIB back;
    back.AssignFromClipboard();
    EXPECT_TRUE(SamePixels(back, *full.Picture()));
    {
        TClipboardSession clipboard;
        EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    }
}

TEST_F(ViewersTest, FullScreenPlacementActivationAndDeactivation) {
    ShowFull(true);
    EXPECT_EQ(Box(full.PreImage().Bounds()), Box(RECT{139, 4, 139 + 745, 4 + 745}));
    EXPECT_EQ(full.FileNameLabel(), L" pic.jpg(100x100)  ");
    // Moved away, it covers the screen again when activated, with the image view's tool bar.
    view.SetToolBar(false);
    full.SetBounds(50, 60, 300, 200);
    SendMessageW(full.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    RECT r{};
    GetWindowRect(full.Handle(), &r);
    EXPECT_EQ(Box(r), Box(RECT{0, 0, 1024, 768}));
    EXPECT_FALSE(MenuFlag(full.PopupMenu(), IDM_VIEWER_TOOL_BAR, MF_CHECKED));

    // Switching to another program brings the picture back in the image view window, once,
    // however many of the program's windows hear of it.
    host.calls.clear();
    SendMessageW(full.Handle(), WM_ACTIVATEAPP, TRUE, 0);
    SendMessageW(full.Handle(), WM_ACTIVATEAPP, FALSE, 0);
    SendMessageW(view.Handle(), WM_ACTIVATEAPP, FALSE, 0);
    PumpFor(50);
    EXPECT_EQ(host.calls, (std::vector<std::wstring>{L"again fs=0"}));
    // Not while the full-screen window is hidden; and hiding it lets its picture go.
    full.Hide();
    EXPECT_EQ(full.Picture(), nullptr);
    host.calls.clear();
    SendMessageW(view.Handle(), WM_ACTIVATEAPP, TRUE, 0);
    SendMessageW(view.Handle(), WM_ACTIVATEAPP, FALSE, 0);
    PumpFor(50);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(ViewersTest, Screenshots) {
    ShowView(true, 320, 240);
    RECT r{};
    GetWindowRect(view.Handle(), &r);
    view.SetBounds(r.left, r.top, 320 + 9, 240 + 51 + view.ToolPanelHeight());
    view.SetText(L"sample.bmp(320x240)");
    SetForegroundWindow(view.Handle());
    PumpFor(200);
    std::printf("screenshot: %ls\n", SaveWindowPng(view.Handle(), L"image_view").c_str());
    view.Hide();
    ShowFull(true, 320, 240);
    SetForegroundWindow(full.Handle());
    PumpFor(200);
    std::printf("screenshot: %ls\n", SaveWindowPng(full.Handle(), L"full_screen").c_str());
    EXPECT_NE(view.Picture(), full.Picture());
}

}  // namespace
