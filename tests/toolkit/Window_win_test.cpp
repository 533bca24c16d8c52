// The window layer's own behaviour, on real windows: exceptions from handlers, the busy scope,
// modal forms and dialogs, menus and accelerators from resources.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "common/WindowTest_win.h"
#include "toolkit/Application_win.h"
#include "toolkit/Controls_win.h"
#include "toolkit/Exceptions.h"
#include "toolkit/Form_win.h"
#include "toolkit/Panels_win.h"
#include "toolkit/Prompt.h"
#include "toolkit/WinPath_win.h"
#include "toolkit/WindowTestIds.h"

namespace {

class TTestForm : public TForm {
public:
    explicit TTestForm(HWND owner = nullptr) {
        Application().Initialize();
        Create(L"TTestForm", L"テスト", 320, 200, WS_OVERLAPPEDWINDOW, owner);
        button.Create(Handle(), 10, L"押す", RECT{10, 10, 90, 34});
        later.Create(Handle(), 11, L"次", RECT{100, 10, 180, 34});
        speed.Create(Handle(), 12, L"速", RECT{190, 10, 215, 30});
        list.Create(Handle(), 13, RECT{10, 40, 300, 190}, 16);
        list.SetCount(20);
    }
    TButton button, later;
    TSpeedButton speed;
    TDataListBox list;
    TTimer timer;
    std::vector<int> commands;

protected:
    bool OnCommand(int id, int, HWND) override {
        commands.push_back(id);
        if (id == IDM_TEST_EXIT) Close();
        return true;
    }
};

}  // namespace

TEST(DefaultHandler, EveryKindOfExceptionIsShownAndTheLoopGoesOn) {
    struct Case {
        const char* name;
        std::function<void()> thrower;
        std::wstring message;
    };
    const Case cases[] = {
        {"the program's own", [] { throw Exception(L"アーカイブが開けません。"); }, L"アーカイブが開けません。"},
        {"a derived one", [] { throw EReadError(L"読み込みエラー"); }, L"読み込みエラー"},
        {"standard library", [] { throw std::out_of_range("index 7"); }, L"index 7"},
        {"unknown", [] { throw 7; }, L"不明な例外が発生しました。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedPrompt prompt;
        TPromptScope scope(prompt);
        TTestForm form;
        bool wentOn = false;
        form.button.OnClick = c.thrower;
        form.later.OnClick = [&] {
            wentOn = true;
            PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
        };
        PostMessageW(form.button.Handle(), BM_CLICK, 0, 0);
        PostMessageW(form.later.Handle(), BM_CLICK, 0, 0);
        Application().Run(form);
        ASSERT_EQ(prompt.Questions().size(), 1u);
        EXPECT_EQ(prompt.Questions()[0].kind, TPromptKind::pkError);
        EXPECT_EQ(prompt.Questions()[0].buttons, TPromptButtons::pbOK);
        EXPECT_EQ(prompt.Questions()[0].text, c.message);
        EXPECT_TRUE(wentOn);
        EXPECT_EQ(form.Handle(), nullptr) << "closing the main form destroys it";
    }
}

TEST(DefaultHandler, CatchesOnEveryPathOutOfWindowsCode) {
    struct Case {
        const char* name;
        std::function<void(TTestForm&)> trigger;
    };
    const auto fail = [] { throw Exception(L"失敗"); };
    const Case cases[] = {
        {"event reflected to a control", [&](TTestForm& f) {
             f.button.OnClick = fail;
             PostMessageW(f.button.Handle(), BM_CLICK, 0, 0);
         }},
        {"own window class", [&](TTestForm& f) {
             f.speed.OnClick = fail;
             PostClick(f.speed.Handle(), 5, 5);
         }},
        {"subclassed control's own message", [&](TTestForm& f) {
             f.list.OnRightButtonDown = [&](POINT) { fail(); };
             PostMessageW(f.list.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
         }},
        {"timer", [&](TTestForm& f) {
             f.timer.OnTimer = [&] {
                 f.timer.SetEnabled(false);
                 fail();
             };
             f.timer.SetInterval(10);
             f.timer.SetEnabled(true);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TScriptedPrompt prompt;
        TPromptScope scope(prompt);
        TTestForm form;
        form.Show();
        c.trigger(form);
        ASSERT_TRUE(PumpUntil([&] { return !prompt.Questions().empty(); }));
        EXPECT_EQ(prompt.Questions()[0].text, L"失敗");
        PumpFor(50);
        EXPECT_EQ(prompt.Questions().size(), 1u);
    }
}

namespace {

class TTestDialog : public TDialog {
public:
    TTestDialog() : TDialog(IDD_TEST_DIALOG) {}
    TButton button;
    TEdit edit;
    HWND owner = nullptr;
    bool ownerDisabled = false;
    bool failInit = false;
    int changes = 0;
    std::wstring readBack;

protected:
    bool OnInitDialog() override {
        ownerDisabled = owner && !IsWindowEnabled(owner);
        if (failInit) {
            PostMessageW(Handle(), WM_COMMAND, IDCANCEL, 0);
            throw std::runtime_error("init failed");
        }
        edit.Attach(Item(IDC_TEST_DIALOG_EDIT));
        button.Attach(Item(IDC_TEST_DIALOG_BUTTON));
        edit.OnChange = [this] { ++changes; };
        button.OnClick = [this] {
            edit.SetText(L"押された");
            PostMessageW(Handle(), WM_COMMAND, IDOK, 0);
        };
        PostMessageW(button.Handle(), BM_CLICK, 0, 0);
        return true;
    }
    void OnOK() override {
        readBack = edit.Text();
        End(IDOK);
    }
};

}  // namespace

TEST(Dialog, FromTemplateRaisesItsControlsEventsAndReadsThemBackOnOK) {
    TTestForm owner;
    owner.Show();
    TTestDialog dialog;
    dialog.owner = owner.Handle();
    EXPECT_EQ(dialog.ShowModal(owner.Handle()), IDOK);
    EXPECT_TRUE(dialog.ownerDisabled);
    EXPECT_TRUE(owner.Enabled());
    EXPECT_EQ(dialog.readBack, L"押された");
    EXPECT_EQ(dialog.changes, 1);
    EXPECT_EQ(dialog.Handle(), nullptr);
    EXPECT_EQ(dialog.button.Handle(), nullptr) << "template controls go with their dialog";
}

TEST(Dialog, ExceptionInItsProcedureReachesTheDefaultHandler) {
    TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    TTestDialog dialog;
    dialog.failInit = true;
    EXPECT_EQ(dialog.ShowModal(nullptr), IDCANCEL);
    ASSERT_EQ(prompt.Questions().size(), 1u);
    EXPECT_EQ(prompt.Questions()[0].text, L"init failed");
}

TEST(BusyScope, DisablesShowsTheHourglassAndIsUndoneOnEveryPath) {
    TTestForm form;
    form.Show();
    const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    try {
        TBusyScope outer(form);
        EXPECT_FALSE(form.Enabled());
        EXPECT_TRUE(Application().Busy());
        SendMessageW(form.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form.Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), wait);
        { TBusyScope inner(form); }
        EXPECT_FALSE(form.Enabled()) << "an inner scope leaves the window to the outer one";
        EXPECT_TRUE(Application().Busy());
        throw EReadError(L"途中で失敗");
    } catch (const EReadError&) {
    }
    EXPECT_TRUE(form.Enabled());
    EXPECT_FALSE(Application().Busy());
    SendMessageW(form.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form.Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), wait);

    form.SetEnabled(false);
    { TBusyScope scope(form); }
    EXPECT_FALSE(form.Enabled()) << "a window disabled before stays disabled";
}

TEST(ModalForm, DisablesItsOwnerUntilAResultIsSet) {
    TTestForm owner;
    owner.Show();
    struct Case {
        const char* name;
        UINT message;
        int want;
    };
    const Case cases[] = {{"button sets OK", BM_CLICK, mrOK}, {"closing cancels", WM_CLOSE, mrCancel}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTestForm modal(owner.Handle());
        bool ownerDisabled = false;
        modal.button.OnClick = [&] {
            ownerDisabled = !owner.Enabled();
            modal.SetModalResult(mrOK);
        };
        PostMessageW(c.message == BM_CLICK ? modal.button.Handle() : modal.Handle(), c.message, 0, 0);
        EXPECT_EQ(modal.ShowModal(), c.want);
        if (c.message == BM_CLICK) {
            EXPECT_TRUE(ownerDisabled);
        }
        EXPECT_TRUE(owner.Enabled());
        EXPECT_FALSE(modal.Visible());
        EXPECT_NE(modal.Handle(), nullptr) << "the caller releases it";
    }
}

TEST(Form, MenuAndAcceleratorsFromResources) {
    TTestForm form;
    form.LoadMenuResource(IDR_TEST_MENU);
    form.LoadAcceleratorTable(IDR_TEST_ACCEL);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(form.Menu(), 0)), 3);
    RECT client = form.ClientRect();
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 200) << "the menu bar does not eat the client area";

    form.Show();
    SetForegroundWindow(form.Handle());
    SetActiveWindow(form.Handle());
    ASSERT_TRUE(PumpUntil([&] { return Application().ActiveForm() == &form; }));
    // Tab moves the focus between the controls of a form that asks for dialog keys.
    form.SetDialogKeys(true);
    SetFocus(form.button.Handle());
    PostMessageW(form.button.Handle(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    EXPECT_TRUE(PumpUntil([&] { return GetFocus() == form.later.Handle(); }));
    PostMessageW(form.Handle(), WM_KEYDOWN, VK_F5, 0x003F0001);
    // A key for another window (here a form of its own) is not the active form's short cut.
    TTestForm other;
    PostMessageW(other.button.Handle(), WM_KEYDOWN, VK_F5, 0x003F0001);
    PostMessageW(form.Handle(), WM_COMMAND, IDM_TEST_EXIT, 0);
    Application().Run(form);
    EXPECT_EQ(form.commands, (std::vector<int>{IDM_TEST_REFRESH, IDM_TEST_EXIT}));
}

// A form that asks for dialog keys behaves as a dialog: shown, the first control Tab reaches has the
// keyboard; Enter in a field presses the default button.
TEST(DialogKeysForm, FocusesItsFirstControlAndEnterPressesTheDefaultButton) {
    Application().Initialize();
    TForm form;
    form.Create(L"TDialogKeysForm", L"ダイアログ", 300, 120, WS_POPUP | WS_CAPTION | WS_SYSMENU);
    form.SetDialogKeys(true);
    TEdit edit;
    TButton ok, cancel;
    edit.Create(form.Handle(), 20, RECT{10, 10, 290, 34});
    ok.Create(form.Handle(), IDOK, L"OK", RECT{130, 80, 200, 105}, BS_DEFPUSHBUTTON);
    cancel.Create(form.Handle(), IDCANCEL, L"Cancel", RECT{210, 80, 290, 105});
    ok.OnClick = [&] { form.SetModalResult(mrOK); };
    cancel.OnClick = [&] { form.SetModalResult(mrCancel); };
    HWND focused = nullptr;
    TModalSteps steps({
        [&] {
            focused = GetFocus();
            PostMessageW(edit.Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
            PostMessageW(edit.Handle(), WM_KEYUP, VK_RETURN, 0xC01C0001);
        },
    });
    EXPECT_EQ(form.ShowModal(), mrOK);
    EXPECT_EQ(focused, edit.Handle());
}

TEST(Application, ProcessMessagesHandlesWhatWaitsAndLeavesAQuitToTheLoop) {
    TTestForm form;
    int clicks = 0;
    form.button.OnClick = [&] { ++clicks; };
    PostMessageW(form.button.Handle(), BM_CLICK, 0, 0);
    PostQuitMessage(3);
    Application().ProcessMessages();
    EXPECT_EQ(clicks, 1);
    MSG m{};
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 3u);
}

TEST(Resources, VersionManifestAndBitmapsAreLinked) {
    const std::wstring path = ModuleFileName(nullptr);
    std::vector<BYTE> info(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    wchar_t* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\041104B0\\ProductVersion", reinterpret_cast<void**>(&value), &length));
    EXPECT_EQ(std::wstring(value), L"0.14(β版)") << "the .rc is read as UTF-8";

    // The manifest asks for common controls 6: the DLL comes from that side-by-side assembly (under
    // Wine its DllGetVersion answers 5 even there).
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    const std::wstring lower = [&] {
        std::wstring text = ModuleFileName(comctl);
        CharLowerW(text.data());
        return text;
    }();
    EXPECT_NE(lower.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::wstring::npos) << lower;

    TUniqueGdiObject tile(LoadImageW(GetModuleHandleW(nullptr), L"BACKBMP", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_TRUE(tile);
    BITMAP bm{};
    GetObjectW(tile.get(), sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 64);
    EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"), nullptr);
}
