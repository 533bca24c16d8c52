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
#include "toolkit/FileDialogs.h"
#include "toolkit/Prompt.h"
#include "toolkit/SystemInfo.h"

namespace {

// Writes each call as a line: "next ask=1 fs=0", "saveAs C:\x", ...
class TRecordingHost : public TViewerHost {
public:
    bool ShowNext(bool ask, bool fs) override { return Record(L"next ask=" + Flag(ask) + L" fs=" + Flag(fs)); }
    bool ShowPrevious(bool ask, bool fs) override { return Record(L"previous ask=" + Flag(ask) + L" fs=" + Flag(fs)); }
    bool ShowAgain(bool fs) override { return Record(L"again fs=" + Flag(fs)); }
    bool SaveCurrentAs(const std::wstring& path) override { return Record(L"saveAs " + path); }
    bool SaveCurrentToFolder() override { return Record(L"toFolder"); }
    bool SaveCurrentAsBitmap() override { return Record(L"bitmapToFolder"); }
    void SetViewMode(bool browse) override { viewMode = browse; }
    bool ViewMode() const override { return viewMode; }

    std::vector<std::wstring> calls;
    bool viewMode = false;

private:
    static std::wstring Flag(bool b) { return b ? L"1" : L"0"; }
    bool Record(const std::wstring& call) {
        calls.push_back(call);
        return true;
    }
};

// The splash tile (64 x 64, 24 bits) from the program's resources.
std::unique_ptr<TPxDIB> Tile() {
    auto picture = std::make_unique<TPxDIB>();
    picture->LoadFromResourceName(nullptr, VV_BITMAP_BACK);
    return picture;
}

bool SamePixels(const TPxDIB& a, const TPxDIB& b) {
    const DIBInfos& x = a.InternalDIB().Infos();
    const DIBInfos& y = b.InternalDIB().Infos();
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           x.Header.biSizeImage == y.Header.biSizeImage &&
           std::memcmp(x.Bits, y.Bits, x.Header.biSizeImage) == 0;
}

// Closes the first pop-up menu of this thread that shows while it lives, and remembers where it
// stood. Its timer runs inside the menu's own message loop.
// The shown pop-up menu of the thread, if any.
BOOL CALLBACK FindMenu(HWND hwnd, LPARAM lp) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (std::wstring(name) == L"#32768" && IsWindowVisible(hwnd)) *reinterpret_cast<HWND*>(lp) = hwnd;
    return TRUE;
}

class TMenuWatcher {
public:
    TMenuWatcher() : timer_(SetTimer(nullptr, 0, 10, Tick)) { watcher_ = this; }
    ~TMenuWatcher() {
        KillTimer(nullptr, timer_);
        watcher_ = nullptr;
    }
    bool opened = false;
    POINT at{};

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND menu = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindMenu, reinterpret_cast<LPARAM>(&menu));
        if (!watcher_ || !menu || watcher_->opened) return;
        RECT r{};
        GetWindowRect(menu, &r);
        watcher_->at = POINT{r.left, r.top};
        watcher_->opened = true;
        EndMenu();
    }
    static inline TMenuWatcher* watcher_ = nullptr;
    UINT_PTR timer_;
};

std::vector<int> Box(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

bool MenuFlag(HMENU menu, int command, UINT flag) {
    return (GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) & flag) != 0;
}

// The entries of a menu in order, joined by "|", "-" for a separator.
std::wstring Entries(HMENU menu) {
    std::wstring entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = L"";
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 128;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        entries += (i ? L"|" : L"") + std::wstring(item.fType & MFT_SEPARATOR ? L"-" : text);
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
    }
    void TearDown() override { SetScreenMetricsOverride(std::nullopt); }

    // Shows the tile in one viewer, as the host does, and forgets what was asked so far.
    TViewerForm& Display(bool fullScreen, bool browse) {
        if (fullScreen)
            full.DisplayPicture(*Tile(), FullScreenPictureFrame(100, 100, 1024, 768), FullScreenLabel(L"pic.jpg", 100, 100),
                                browse);
        else view.DisplayPicture(*Tile(), L"pic.jpg(64x64)", browse);
        TViewerForm& form = fullScreen ? static_cast<TViewerForm&>(full) : view;
        form.SetCurrentName(L"pic.jpg");
        PumpFor(30);
        host.calls.clear();
        return form;
    }
    static void Mouse(HWND hwnd, UINT msg, int x = 40, int y = 30) {
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

    TRecordingHost host;
    TImgViewForm view{host};
    TFullScreenForm full{host, view};
};

TEST_F(ViewersTest, LayoutMenusAndButtons) {
    RECT r{};
    GetWindowRect(view.Handle(), &r);
    EXPECT_EQ(view.Text(), L"ImgViewForm");
    EXPECT_EQ(Box(r), Box(RECT{r.left, r.top, r.left + 614, r.top + 444}));
    EXPECT_EQ(GetWindowLongPtrW(view.Handle(), GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              WS_SYSMENU | WS_MINIMIZEBOX);
    // Full screen covers the screen, without a frame or a menu bar, the tool panel in the corner.
    GetWindowRect(full.Handle(), &r);
    EXPECT_EQ(Box(r), Box(RECT{0, 0, 1024, 768}));
    EXPECT_FALSE(GetWindowLongPtrW(full.Handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_EQ(full.Menu(), nullptr);
    EXPECT_EQ(Box(full.ToolPanel().Bounds()), Box(RECT{1024 - 186 - 20, 768 - 27 - 20, 1024 - 20, 768 - 20}));
    for (TViewerForm* form : {static_cast<TViewerForm*>(&view), static_cast<TViewerForm*>(&full)}) {
        EXPECT_FALSE(form->PreImage().Enabled());  // until the first picture
        EXPECT_EQ(form->ClickTimer().Interval(), 500u);
        EXPECT_EQ(form->LongPress(), form == &view);
    }

    const std::wstring popup = L"前の画像を開く\tShift+Space|次の画像を開く\tSpace|-|指定フォルダに保存\tCtrl+F|"
                               L"Bitmapを指定フォルダに保存\tCtrl+S|-|元の形式で保存|Bitmap形式で保存|-|コピー\tCtrl+C|-|"
                               L"閲覧モード\tShift+Enter|";
    const std::pair<HMENU, std::wstring> menus[] = {
        {view.Menu(), L"ファイル(&F)|編集(&E)|表示(&V)"},
        {GetSubMenu(view.Menu(), 0),
         L"開き直す(&R)\tShift+R|-|前の画像を開く(&P)\tShift+Space|次の画像を開く(&N)\tSpace|-|元の形式で保存(&O)|"
         L"Bitmap形式で保存(&S)|-|指定フォルダに保存\tCtrl+F|Bitmapを指定フォルダに保存\tCtrl+S|-|閉じる(&X)"},
        {GetSubMenu(view.Menu(), 1), L"コピー\tCtrl+C"},
        {GetSubMenu(view.Menu(), 2), L"閲覧モード\tShift+Enter|全画面表示\tEnter|ツールバー表示"},
        {view.PopupMenu(), popup + L"フルスクリーン表示\tEnter|ツールバー表示"},
        {full.PopupMenu(), popup + L"通常表示\tEnter|ツールバー表示"},
    };
    for (const auto& [menu, entries] : menus) EXPECT_EQ(Entries(menu), entries);

    // id, caption, width, hint; the last button switches between the viewers.
    const std::tuple<TViewerForm*, int, const wchar_t*, int, const wchar_t*> buttons[] = {
        {nullptr, IDC_VIEWER_PREVIOUS_BTN, L"＜", 25, L"前の画像を開く"},
        {nullptr, IDC_VIEWER_NEXT_BTN, L"＞", 25, L"次の画像を開く"},
        {nullptr, IDC_VIEWER_SAVE_TO_FOLDER_BTN, L"指Ori", 41, L"指定フォルダに保存"},
        {nullptr, IDC_VIEWER_BITMAP_TO_FOLDER_BTN, L"指Bit", 41, L"指定フォルダにBitmapに変換保存"},
        {nullptr, IDC_VIEWER_MODE_BTN, L"閲", 25, L"閲覧モード"},
        {&view, IDC_VIEWER_SCREEN_BTN, L"全", 25, L"全画面表示（フルスクリーン表示）"},
        {&full, IDC_VIEWER_SCREEN_BTN, L"常", 25, L"通常表示"},
    };
    for (TViewerForm* form : {static_cast<TViewerForm*>(&view), static_cast<TViewerForm*>(&full)}) {
        for (const auto& [only, id, caption, width, hint] : buttons) {
            if (only && only != form) continue;
            SCOPED_TRACE(caption);
            HWND button = FindDescendant(form->Handle(), id);
            ASSERT_NE(button, nullptr);
            GetWindowRect(button, &r);
            EXPECT_EQ(TWindow::FromHandle(button)->Text(), caption);
            EXPECT_EQ(Box(RECT{0, 0, r.right - r.left, r.bottom - r.top}), Box(RECT{0, 0, width, 20}));
            EXPECT_EQ(form->Hints().TipText(button), hint);
        }
    }
}

// Each command by its shortcut (to the picture, which has the focus), its menu entry and its tool
// button, in both viewers.
TEST_F(ViewersTest, ShortcutsMenuEntriesAndButtons) {
    struct Case {
        UINT vk;
        bool shift, control;
        int command, button;  // button 0: none
        const wchar_t *inView, *inFull;  // what each viewer asks of the host; empty: not its command
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
    for (bool fullScreen : {false, true}) {
        TViewerForm& form = Display(fullScreen, false);
        SetForegroundWindow(form.Handle());
        ASSERT_TRUE(PumpUntil([&] { return Application().ActiveForm() == &form; }));
        for (const Case& c : cases) {
            const std::wstring want = fullScreen ? c.inFull : c.inView;
            if (want.empty()) continue;
            SCOPED_TRACE(testing::Message() << fullScreen << " " << c.command);
            host.calls.clear();
            Key(form.PreImage().Handle(), c.vk, c.shift, c.control);
            Command(form, c.command);
            if (c.button) PostClick(FindDescendant(form.Handle(), c.button), 3, 3);
            PumpFor(30);
            EXPECT_EQ(host.calls, std::vector<std::wstring>(c.button ? 3 : 2, want));
        }
        // Browse mode by Shift+Enter and by its button: the check, the button and the host's copy.
        for (bool browse : {true, false}) {
            if (browse) Key(form.PreImage().Handle(), VK_RETURN, true, false);
            else PostClick(form.ModeBtn().Handle(), 3, 3);
            PumpFor(30);
            EXPECT_EQ(form.BrowseMode(), browse);
            EXPECT_EQ(host.viewMode, browse);
            EXPECT_EQ(form.ModeBtn().Down(), browse);
            EXPECT_EQ(MenuFlag(form.PopupMenu(), IDM_VIEWER_MODE, MF_CHECKED), browse);
        }
    }
    Command(view, IDM_VIEWER_CLOSE);
    EXPECT_FALSE(view.Visible());
    EXPECT_EQ(view.Picture(), nullptr);  // a hidden viewer lets its picture go
}

// The mouse rules through real messages, on the picture and, in full screen, around it.
TEST_F(ViewersTest, BrowseModeClicksPage) {
    // The image view swallows the first release after it is made (the double click that showed
    // it); full screen pages at once.
    const std::tuple<bool, bool, UINT, UINT, const wchar_t*> clicks[] = {
        {false, true, WM_LBUTTONDOWN, WM_LBUTTONUP, nullptr},
        {false, true, WM_RBUTTONDOWN, WM_RBUTTONUP, L"next ask=0 fs=0"},
        {false, true, WM_LBUTTONDOWN, WM_LBUTTONUP, L"previous ask=0 fs=0"},
        {true, false, WM_RBUTTONDOWN, WM_RBUTTONUP, L"next ask=0 fs=1"},
        {true, true, WM_MBUTTONDOWN, WM_MBUTTONUP, L"previous ask=0 fs=1"},
    };
    Display(false, true);
    for (const auto& [fullScreen, onPicture, down, up, want] : clicks) {
        SCOPED_TRACE(testing::Message() << fullScreen << onPicture << " " << down);
        if (fullScreen && !full.Visible()) Display(true, true);
        host.calls.clear();
        TViewerForm& form = fullScreen ? static_cast<TViewerForm&>(full) : view;
        HWND target = onPicture ? form.PreImage().Handle() : form.Handle();
        Mouse(target, down, 2, 2);
        EXPECT_EQ(form.ClickTimer().Enabled(), down == WM_RBUTTONDOWN);
        Mouse(target, up, 2, 2);
        EXPECT_FALSE(form.ClickTimer().Enabled());
        EXPECT_EQ(host.calls, want ? std::vector<std::wstring>{want} : std::vector<std::wstring>{});
    }
}

// Held until the real click timer runs out, the right button opens the pop-up menu at the cursor
// and its release pages nowhere; outside browse mode a right press opens it at once where it was.
TEST_F(ViewersTest, PopupMenuByLongPressAndOutsideBrowseMode) {
    HWND picture = Display(false, true).PreImage().Handle();
    Mouse(picture, WM_LBUTTONUP);  // past the first release
    SetCursorPos(300, 200);
    // The menu usually takes the release for itself; when it closes with the button still held,
    // the release that follows pages nowhere. Either way the next click pages again.
    for (const bool heldAfterMenu : {true, false}) {
        SCOPED_TRACE(heldAfterMenu);
        BYTE keys[256] = {};
        keys[VK_RBUTTON] = heldAfterMenu ? 0x80 : 0;
        SetKeyboardState(keys);
        {
            TMenuWatcher watcher;
            Mouse(picture, WM_RBUTTONDOWN);
            ASSERT_TRUE(PumpUntil([&] { return watcher.opened; }, 3000));
            EXPECT_EQ(Box(RECT{watcher.at.x, watcher.at.y, 0, 0}), Box(RECT{300, 200, 0, 0}));
        }
        PumpFor(30);
        EXPECT_EQ(view.LongPress(), heldAfterMenu);
        keys[VK_RBUTTON] = 0;
        SetKeyboardState(keys);
        if (heldAfterMenu) Mouse(picture, WM_RBUTTONUP);
        EXPECT_TRUE(host.calls.empty());
        Mouse(picture, WM_RBUTTONDOWN);
        Mouse(picture, WM_RBUTTONUP);
        EXPECT_EQ(host.calls, (std::vector<std::wstring>{L"next ask=0 fs=0"}));
        host.calls.clear();
    }

    picture = Display(true, false).PreImage().Handle();
    TMenuWatcher watcher;
    Mouse(picture, WM_RBUTTONDOWN, 40, 30);  // the menu runs inside the press
    EXPECT_TRUE(watcher.opened);
    POINT press{40, 30};
    ClientToScreen(picture, &press);
    EXPECT_EQ(Box(RECT{watcher.at.x, watcher.at.y, 0, 0}), Box(RECT{press.x, press.y, 0, 0}));
    Mouse(picture, WM_RBUTTONUP);
    Mouse(picture, WM_LBUTTONDOWN);
    Mouse(picture, WM_LBUTTONUP);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(ViewersTest, BusyWindowIgnoresClicksUntilDone) {
    Mouse(Display(false, true).PreImage().Handle(), WM_LBUTTONUP);
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
    EXPECT_TRUE(view.Enabled() && view.PreImage().Enabled());
    EXPECT_FALSE(Application().Busy() || view.LongPress());
    Mouse(view.PreImage().Handle(), WM_RBUTTONDOWN);
    Mouse(view.PreImage().Handle(), WM_RBUTTONUP);
    EXPECT_EQ(host.calls, (std::vector<std::wstring>{L"next ask=0 fs=0"}));
}

// One setting, held in the image view's "ツールバー表示": either viewer's entry turns both
// panels off and on.
TEST_F(ViewersTest, ToolBarIsSharedByBothViewers) {
    Display(false, false);
    for (auto [form, shownAfter] : {std::pair<TViewerForm*, bool>{&view, false}, {&full, true}, {&full, false}}) {
        Command(*form, IDM_VIEWER_TOOL_BAR);
        EXPECT_EQ(view.ToolBarShown(), shownAfter);
        for (HMENU menu : {view.Menu(), view.PopupMenu(), full.PopupMenu()})
            EXPECT_EQ(MenuFlag(menu, IDM_VIEWER_TOOL_BAR, MF_CHECKED), shownAfter);
        EXPECT_EQ(view.ToolPanel().Visible(), shownAfter);
        EXPECT_EQ((GetWindowLongPtrW(full.ToolPanel().Handle(), GWL_STYLE) & WS_VISIBLE) != 0, shownAfter);
        EXPECT_EQ(view.ToolPanelHeight(), shownAfter ? 25 : 0);
        EXPECT_EQ(view.PreImage().Bounds().top, shownAfter ? 25 : 0);
    }
}

// In folder mode the picture already is a file: no saving in its own form.
TEST_F(ViewersTest, OriginalSavingFollowsTheListMode) {
    for (bool enabled : {false, true}) {
        view.EnableOriginalSaving(enabled);
        full.EnableOriginalSaving(enabled);
        for (HMENU menu : {view.Menu(), view.PopupMenu(), full.PopupMenu()}) {
            EXPECT_EQ(MenuFlag(menu, IDM_VIEWER_SAVE_ORIGINAL, MF_GRAYED), !enabled);
            EXPECT_EQ(MenuFlag(menu, IDM_VIEWER_SAVE_TO_FOLDER, MF_GRAYED), !enabled);
            EXPECT_FALSE(MenuFlag(menu, IDM_VIEWER_SAVE_BITMAP, MF_GRAYED) || MenuFlag(menu, IDM_VIEWER_BITMAP_TO_FOLDER, MF_GRAYED));
        }
        // Full screen has no menu bar to hold back a disabled entry's command.
        host.calls.clear();
        Command(full, IDM_VIEWER_SAVE_TO_FOLDER);
        EXPECT_EQ(host.calls.size(), enabled ? 1u : 0u);
    }
}

TEST_F(ViewersTest, SaveDialogs) {
    TTempDir dir;
    TScriptedFileDialogs dialogs;
    TFileDialogsScope scope(dialogs);
    Display(false, false);
    dialogs.PushSave(dir / L"member.jpg");
    Command(view, IDM_VIEWER_SAVE_ORIGINAL);
    ASSERT_EQ(dialogs.SaveRequests().size(), 1u);
    EXPECT_EQ(dialogs.SaveRequests()[0].fileName, L"pic.jpg");
    EXPECT_EQ(dialogs.SaveRequests()[0].filter, L"");
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

    // A write that fails (another program holds the old file open) leaves that file as it was and
    // nothing beside it, and says so.
    const std::wstring held = dir / L"held.BMP";
    WriteFileText(held, "old contents");
    HANDLE other = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    dialogs.PushSave(held);
    TScriptedPrompt prompts;
    TPromptScope promptScope(prompts);
    Command(view, IDM_VIEWER_SAVE_BITMAP);
    CloseHandle(other);
    EXPECT_TRUE(ReadFileText(held) == "old contents");
    ASSERT_EQ(prompts.Questions().size(), 1u);
    EXPECT_NE(prompts.Questions()[0].text.find(L"held.BMP"), std::wstring::npos);
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((dir / L"vv*").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

TEST_F(ViewersTest, CopyPutsTheShownPictureOnTheClipboard) {
    Display(true, false);
    Command(full, IDM_VIEWER_COPY);
    TPxDIB back;
    back.AssignFromClipboard();
    EXPECT_TRUE(SamePixels(back, *full.Picture()));
}

TEST_F(ViewersTest, FullScreenPlacementActivationAndDeactivation) {
    Display(true, true);
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

    // Switching to another program brings the picture back in the image view window, once
    // however many of the program's windows hear of it, and not while full screen is hidden.
    for (bool shown : {true, false}) {
        full.Show(shown);
        host.calls.clear();
        SendMessageW(full.Handle(), WM_ACTIVATEAPP, TRUE, 0);
        SendMessageW(full.Handle(), WM_ACTIVATEAPP, FALSE, 0);
        SendMessageW(view.Handle(), WM_ACTIVATEAPP, FALSE, 0);
        PumpFor(50);
        EXPECT_EQ(host.calls, std::vector<std::wstring>(shown ? 1 : 0, L"again fs=0"));
    }
}

TEST_F(ViewersTest, Screenshots) {
    for (TViewerForm* form : {static_cast<TViewerForm*>(&view), static_cast<TViewerForm*>(&full)}) {
        Display(form == &full, true);
        SetForegroundWindow(form->Handle());
        PumpFor(200);
        std::printf("screenshot: %ls\n", SaveWindowPng(form->Handle(), form == &view ? L"image_view" : L"full_screen").c_str());
    }
}

}  // namespace
