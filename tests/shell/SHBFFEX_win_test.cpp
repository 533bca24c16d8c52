// The folder picker: its placement and flag rules, and the shell's real dialog driven from a timer
// of the test's thread while Execute waits in it.
#include "shell/SHBFFEX_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "toolkit/Application_win.h"
#include "toolkit/Controls_win.h"
#include "toolkit/Form_win.h"

namespace {

// The control ids of the shell's browse dialog.
const int kBrowseTree = 0x3741;
const int kBrowseStatus = 0x3743;

BOOL CALLBACK FindShown(HWND hwnd, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (std::wstring(name) == L"#32770" && IsWindowVisible(hwnd) && GetDlgItem(hwnd, kBrowseTree)) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Runs steps, one per timer tick, on the browse dialog this thread shows; the last step ends it.
class TBrowseDriver {
public:
    explicit TBrowseDriver(std::vector<std::function<void(HWND)>> steps) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    ~TBrowseDriver() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    size_t StepsRun() const { return next_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TBrowseDriver* self = current_;
        if (!self || self->next_ >= self->steps_.size()) return;
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindShown, reinterpret_cast<LPARAM>(&dialog));
        if (dialog) self->steps_[self->next_++](dialog);
    }
    static inline TBrowseDriver* current_ = nullptr;
    std::vector<std::function<void(HWND)>> steps_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
};

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(dialog, id, text, 1024);
    return text;
}

std::wstring SelectedTreeText(HWND dialog) {
    HWND tree = GetDlgItem(dialog, kBrowseTree);
    wchar_t text[MAX_PATH] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = TreeView_GetSelection(tree);
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    if (!item.hItem || !TreeView_GetItem(tree, &item)) return L"";
    return text;
}

void Press(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, id, 0); }

class TMainForm : public TForm {
public:
    TMainForm() {
        Application().Initialize();
        Create(L"TPickerTestForm", L"メイン", 500, 380);
        SetBounds(60, 40, 520, 420);
    }
};

// Runs the picker from inside the application's loop, with form as the main window.
bool ExecuteAsMain(TMainForm& form, TSHBrowseForFolderEx& picker) {
    bool result = false;
    TButton go;
    go.Create(form.Handle(), 1, L"go", RECT{0, 0, 40, 20});
    go.OnClick = [&] {
        result = picker.Execute();
        form.Close();
    };
    PostMessageW(go.Handle(), BM_CLICK, 0, 0);
    Application().Run(form);
    return result;
}

}  // namespace

TEST(BrowseDialogPosition, PlacementRules) {
    const RECT workArea{0, 0, 1024, 738};
    const SIZE dialog{300, 330};
    struct Case {
        const char* name;
        TShowStyle style;
        RECT area;
        std::optional<POINT> owner;
        std::optional<POINT> want;
    };
    const Case cases[] = {
        {"centre: half the free width, a third of the free height", ssCenterScreen, workArea, POINT{5, 5},
         POINT{362, 136}},
        {"centre within a work area that does not start at 0", ssCenterScreen, RECT{100, 30, 1124, 768}, std::nullopt,
         POINT{462, 166}},
        {"centre of a dialog larger than the work area", ssCenterScreen, RECT{0, 0, 200, 300}, std::nullopt,
         POINT{-50, -10}},
        {"client: the owner's client origin", ssClient, workArea, POINT{64, 71}, POINT{64, 71}},
        {"client without an owner window", ssClient, workArea, std::nullopt, std::nullopt},
        {"none: the system's", ssNone, workArea, POINT{64, 71}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto at = BrowseDialogPosition(c.style, c.area, dialog, c.owner);
        ASSERT_EQ(at.has_value(), c.want.has_value());
        if (at) {
            EXPECT_EQ(std::make_pair(at->x, at->y), std::make_pair(c.want->x, c.want->y));
        }
    }
}

TEST(BrowseFlags, EachOptionAddsItsFlagOnce) {
    EXPECT_EQ(BrowseFlags({}), 0u);
    EXPECT_EQ(BrowseFlags({sboReturnOnlyFSDirs}), UINT(BIF_RETURNONLYFSDIRS));
    EXPECT_EQ(BrowseFlags({sboDontGoBelowDomain, sboReturnFSAncestors}), UINT(BIF_DONTGOBELOWDOMAIN | BIF_RETURNFSANCESTORS));
    EXPECT_EQ(BrowseFlags({sboStatusText}), UINT(BIF_STATUSTEXT));
    EXPECT_EQ(BrowseFlags({sboStatusTextAndShowPath, sboStatusText}), UINT(BIF_STATUSTEXT))
        << "both status options still mean the status line, not another flag";
}

TEST(BrowseFolderId, ManualNameOrTheSpecialFolder) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    TTempDir dir;
    CreateDirectoryW((dir / L"画像").c_str(), nullptr);
    WriteFileText(dir / L"a.txt", "a");
    const TItemIdList drives = TItemIdList::SpecialFolder(CSIDL_DRIVES);
    struct Case {
        const char* name;
        int special;
        bool manual;
        std::wstring folderName;
        std::wstring wantPath;  // or, when empty, the special folder's id
    };
    const Case cases[] = {
        {"an existing folder", CSIDL_DESKTOP, true, dir / L"画像", dir / L"画像"},
        {"a name that does not exist falls back", CSIDL_DESKTOP, true, dir / L"ない", L""},
        {"a file is not a folder", CSIDL_DESKTOP, true, dir / L"a.txt", L""},
        {"no name", CSIDL_DESKTOP, true, L"", L""},
        {"a name counts only for manual", CSIDL_DRIVES, false, dir / L"画像", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TItemIdList id = BrowseFolderId(c.special, c.manual, c.folderName);
        ASSERT_TRUE(id);
        if (!c.wantPath.empty()) {
            EXPECT_EQ(PathOfIdList(id.get()), c.wantPath);
        } else if (c.special == CSIDL_DRIVES) {
            EXPECT_TRUE(ILIsEqual(id.get(), drives.get()));
        } else {
            EXPECT_EQ(IdListLength(id.get()), 0) << "the desktop";
        }
    }
}

TEST(SHBrowseForFolderEx, RunsTheShellDialogPlacedSelectedAndReportsTheChoice) {
    TTempDir dir;
    const std::wstring folder = dir / L"保存先";
    CreateDirectoryW(folder.c_str(), nullptr);
    struct Case {
        const char* name;
        TShowStyle style;
        bool ok;
    };
    const Case cases[] = {
        {"centred on the screen, OK", ssCenterScreen, true},
        {"on the owner's client area, OK", ssClient, true},
        {"cancelled", ssCenterScreen, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMainForm form;
        TSHBrowseForFolderEx picker(&form);
        picker.Caption = L"保存フォルダの選択";
        picker.SelectFolder = sfManual;
        picker.SelectFolderName = folder;
        picker.Options = {sboReturnOnlyFSDirs, sboStatusTextAndShowPath};
        picker.ShowStyle = c.style;
        std::vector<std::wstring> changes;
        picker.OnSelectionChanged = [&](TSHBrowseForFolderEx& sender, HWND, const std::wstring& path, std::wstring&,
                                        TOKButtonState&) {
            EXPECT_EQ(&sender, &picker);
            changes.push_back(path);
        };
        bool mainDisabled = false;
        TBrowseDriver driver({[&](HWND dialog) {
            mainDisabled = !IsWindowEnabled(form.Handle());
            EXPECT_EQ(ItemText(dialog, kBrowseStatus), folder) << "the status line shows the path";
            EXPECT_EQ(SelectedTreeText(dialog), L"保存先");
            RECT bounds{}, workArea{};
            GetWindowRect(dialog, &bounds);
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
            POINT client{0, 0};
            ClientToScreen(form.Handle(), &client);
            const auto want = BrowseDialogPosition(c.style, workArea, {bounds.right - bounds.left, bounds.bottom - bounds.top},
                                                   client);
            EXPECT_EQ(std::make_pair(bounds.left, bounds.top), std::make_pair(want->x, want->y));
            if (c.style == ssCenterScreen && c.ok) SaveWindowPng(dialog, L"folder_picker");
            Press(dialog, c.ok ? IDOK : IDCANCEL);
        }});
        const bool chosen = ExecuteAsMain(form, picker);
        EXPECT_EQ(driver.StepsRun(), 1u);
        EXPECT_EQ(chosen, c.ok);
        EXPECT_EQ(picker.FolderPath(), c.ok ? folder : L"");
        EXPECT_TRUE(mainDisabled) << "the main window is disabled while the dialog runs";
        EXPECT_FALSE(changes.empty());
        if (!changes.empty()) {
            EXPECT_EQ(changes.back(), folder);
        }
    }
}

TEST(SHBrowseForFolderEx, AVirtualFolderIsChosenWithoutAPathAndTheHandlerSetsStatusAndOK) {
    TMainForm form;
    TSHBrowseForFolderEx picker(&form);
    picker.SelectFolder = sfDesktop;
    picker.Options = {sboReturnOnlyFSDirs, sboStatusText};
    // The handler names folders without a path and lets them be chosen although the options
    // ask for file-system folders only.
    picker.OnSelectionChanged = [](TSHBrowseForFolderEx&, HWND, const std::wstring& path, std::wstring& showText,
                                   TOKButtonState& ok) {
        showText = path.empty() ? L"仮想フォルダ" : L"実フォルダ";
        if (path.empty()) ok = obsEnable;
    };
    const TItemIdList drives = TItemIdList::SpecialFolder(CSIDL_DRIVES);
    TBrowseDriver driver({
        [&](HWND dialog) { SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(drives.get())); },
        [&](HWND dialog) {
            EXPECT_EQ(ItemText(dialog, kBrowseStatus), L"仮想フォルダ");
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
            Press(dialog, IDOK);
        },
    });
    const bool chosen = picker.Execute();
    EXPECT_EQ(driver.StepsRun(), 2u);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(picker.FolderPath(), L"");
}
