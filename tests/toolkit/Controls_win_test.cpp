// The control wrappers on real windows: notifications reach their events, the owner-data list,
// speed buttons, status bar, hints; a demonstration form is drawn, saved as a PNG, and leaves no
// window or GDI object behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "common/WindowTest_win.h"
#include "resources/ResourceIds.h"
#include "toolkit/Application_win.h"
#include "toolkit/Controls_win.h"
#include "toolkit/Form_win.h"
#include "toolkit/PaintGuards_win.h"
#include "toolkit/Panels_win.h"

namespace {

// Rows that the list draws from: made on request, never stored in the control.
std::wstring RowField(int row, int column) {
    wchar_t text[64];
    switch (column) {
    case 0: std::swprintf(text, 64, L"画像_%06d.jpg", row); break;
    case 1: std::swprintf(text, 64, L"%10d", 1024 + row * 37); break;
    case 2: std::swprintf(text, 64, L"26/12/%02d", 1 + row % 28); break;
    case 3: std::swprintf(text, 64, L"%10d", 900 + row * 31); break;
    case 4: return row % 3 ? L"lh5" : L"-";
    default: return row % 2 ? L"写真\\2026\\" : L"";
    }
    return text;
}

void DrawRow(THeader& header, const TDataListBox::TDrawItem& item) {
    const bool selected = item.selected;
    FillRect(item.dc, &item.rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    TTextColors colors(item.dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    int x = item.rect.left;
    for (int column = 0; column < header.SectionCount(); ++column) {
        const std::wstring text = RowField(item.index, column);
        RECT r{x + 2, item.rect.top, x + header.SectionWidth(column) - 2, item.rect.bottom};
        DrawTextW(item.dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        x += header.SectionWidth(column);
    }
    if (item.focused) DrawFocusRect(item.dc, &item.rect);
}

// A window with a few of each control, laid out as the program's windows are.
class TDemoForm : public TForm {
public:
    explicit TDemoForm(int rows = 100000) {
        Application().Initialize();
        Create(L"TDemoForm", L"Vardeno View  部品の見本", 660, 440);
        SetFontFace(L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);

        toolBar.Create(Handle(), 1, RECT{0, 0, 660, 30});
        toolBar.AddButton(open, 101, L"開く", 56);
        open.LoadGlyph(VV_GLYPH_OPEN_FOLDER);
        toolBar.AddButton(newFolder, 105, L"", 25);
        newFolder.LoadGlyph(VV_GLYPH_OPEN_FOLDER);
        newFolder.SetEnabled(false);
        toolBar.AddSeparator();
        toolBar.AddButton(small, 102, L"一覧", 36);
        toolBar.AddButton(report, 103, L"詳細", 36);
        small.SetGroupIndex(1);
        report.SetGroupIndex(1);
        small.SetDown(true);
        toolBar.AddSeparator();
        toolBar.AddButton(mode, 104, L"閲", 25);
        mode.SetGroupIndex(2);
        mode.SetAllowAllUp(true);

        tree.Create(Handle(), 2, RECT{0, 30, 180, 190});
        HTREEITEM root = tree.AddItem(nullptr, L"デスクトップ", -1, -1, 1, true);
        HTREEITEM pictures = tree.AddItem(root, L"ピクチャ", -1, -1, 2, true);
        tree.AddItem(pictures, L"旅行 2026", -1, -1, 3, false);
        tree.AddItem(root, L"ドキュメント", -1, -1, 4, false);
        tree.Expand(root);
        tree.Expand(pictures);
        tree.Select(pictures);
        vSplitter.Create(Handle(), 3, RECT{180, 30, 185, 190}, true);
        files.Create(Handle(), 4, RECT{185, 30, 660, 190}, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
        files.AddColumn(L"名前", 200);
        files.AddColumn(L"サイズ", 90, LVCFMT_RIGHT);
        files.AddColumn(L"種類", 140);
        const wchar_t* names[] = {L"夏休み.zip", L"sample archive.lzh", L"表紙.bmp"};
        const wchar_t* sizes[] = {L"12,345 KB", L"1 KB", L"2 KB"};
        for (int i = 0; i < 3; ++i) {
            files.AddItem(names[i]);
            files.SetSubItem(i, 1, sizes[i]);
            files.SetSubItem(i, 2, L"ファイル");
        }
        files.Select(0);
        hSplitter.Create(Handle(), 5, RECT{0, 190, 660, 195}, false);

        caption.Create(Handle(), 6, RECT{0, 195, 440, 220}, TBevel::bvRaised);
        caption.SetCaptionFormat(DT_LEFT);
        caption.SetText(L"アーカイブ: 見本.zip");
        list.Create(Handle(), 7, RECT{0, 220, 440, 418}, 17, 16);
        const std::pair<const wchar_t*, int> sections[] = {{L"ファイル名", 150}, {L"サイズ", 100}, {L"更新日", 100},
                                                          {L"圧縮サイズ", 100}, {L"形式", 50},    {L"パス情報", 150}};
        for (const auto& [name, width] : sections) list.Header().AddSection(name, width);
        list.List().OnDrawItem = [this](const TDataListBox::TDrawItem& item) {
            ++drawnRows;
            DrawRow(list.Header(), item);
        };
        list.List().SetCount(rows);

        side.Create(Handle(), 8, RECT{444, 195, 660, 418}, TBevel::bvLowered);
        folder.Create(side.Handle(), 20, RECT{8, 8, 208, 200}, CBS_DROPDOWN);
        folder.Add(L"C:\\画像\\保存");
        folder.Add(L"D:\\work");
        folder.SetItemIndex(0);
        rename.Create(side.Handle(), 21, RECT{8, 36, 208, 58});
        rename.SetText(L"ABCD****");
        format.Create(side.Handle(), 22, L"フォーマットを選択", {L"Bitmapに変換", L"オリジナル形式"}, RECT{8, 64, 208, 124});
        format.SetItemIndex(0);
        keep.Create(side.Handle(), 23, L"変換失敗時に元の形式で保存", RECT{8, 130, 208, 150});
        keep.SetChecked(true);
        copy.Create(side.Handle(), 24, L"コピー", RECT{8, 190, 100, 214});
        cancel.Create(side.Handle(), 25, L"キャンセル", RECT{108, 190, 208, 214});

        status.Create(Handle(), 9, {200, 460});
        progress.Create(Handle(), 10, RECT{0, 0, 10, 10});
        status.PlaceInPanel(progress, 0, 1, 3, 198, 15);
        progress.SetRange(0, 100);
        progress.SetPosition(40);
        status.SetPanelText(1, L"3個のSusie-Pluginが読み込まれました。");

        Hints().Add(open, L"アーカイブを指定して開く|");
        Hints().Add(folder, L"移動・コピー先のフォルダを記入\r上書きの時は無視されます|");
    }

    TToolBar toolBar;
    TSpeedButton open, newFolder, small, report, mode;
    TTreeView tree;
    TSplitter vSplitter, hSplitter;
    TListView files;
    TPanel caption, side;
    THeaderListBox list;
    TComboBox folder;
    TEdit rename;
    TRadioGroup format;
    TCheckBox keep;
    TButton copy, cancel;
    TStatusBar status;
    TProgressBar progress;
    int drawnRows = 0;
};

}  // namespace

TEST(DemoForm, LooksLikeAWindowsProgramAndIsSavedAsPng) {
    TDemoForm form;
    form.Show();
    SetForegroundWindow(form.Handle());
    UpdateWindow(form.Handle());
    PumpFor(300);
    const std::wstring path = SaveWindowPng(form.Handle(), L"demo_form");
    EXPECT_TRUE(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES);
    std::printf("screenshot: %ls\n", path.c_str());
}

TEST(DemoForm, LeavesNoWindowOrGdiObjectBehind) {
    // The counter sees what a test makes and frees.
    const int gdiBefore = CountGdiObjects();
    {
        TUniqueGdiObject brush(CreateSolidBrush(RGB(1, 2, 3)));
        EXPECT_EQ(CountGdiObjects(), gdiBefore + 1) << CountGdiObjectsMethod();
    }
    EXPECT_EQ(CountGdiObjects(), gdiBefore);

    // The first form fills caches that live as long as the process (classes, system fonts, the
    // input method's windows): counts are taken around the later ones.
    auto cycle = [] {
        TDemoForm form;
        form.Show();
        UpdateWindow(form.Handle());
        PumpFor(100);
        EXPECT_GT(CountThreadWindows(), 20);
    };
    cycle();
    PumpFor(100);
    const int windows = CountThreadWindows(), gdi = CountGdiObjects();
    for (int i = 0; i < 2; ++i) {
        cycle();
        PumpFor(100);
        EXPECT_EQ(CountThreadWindows(), windows);
        EXPECT_EQ(CountGdiObjects(), gdi) << CountGdiObjectsMethod();
    }
    std::printf("after each form: %d windows, %d GDI objects (%s)\n", windows, gdi, CountGdiObjectsMethod());
}

TEST(DataListBox, SingleSelectionHoldsOneRowAtMost) {
    TForm form;
    form.Create(L"TSingleListForm", L"", 200, 120);
    THeaderListBox list;
    list.Create(form.Handle(), 1, RECT{0, 0, 200, 120}, 17, 16, false);
    list.List().SetCount(5);
    form.Show();
    TDataListBox& rows = list.List();
    // A click, then a shift-click, which chooses only the row clicked.
    PostClick(rows.Handle(), 20, 3 * 16 + 4);
    PostMessageW(rows.Handle(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(20, 1 * 16 + 4));
    PostMessageW(rows.Handle(), WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(20, 1 * 16 + 4));
    PumpFor(100);
    EXPECT_EQ(rows.FirstSelected(), 1);
    EXPECT_EQ(rows.SelCount(), 1);
    EXPECT_EQ(rows.SelectedRows(), (std::vector<int>{1}));
    rows.SetSelected(4, true);
    EXPECT_TRUE(rows.Selected(4));
    EXPECT_FALSE(rows.Selected(1));
    rows.SetSelected(-1, false);
    EXPECT_EQ(rows.FirstSelected(), -1);
    EXPECT_EQ(rows.SelCount(), 0);
    EXPECT_TRUE(rows.SelectedRows().empty());
}

TEST(DataListBox, HoldsAHundredThousandRowsAndDrawsOnlyTheVisibleOnes) {
    TDemoForm form(0);
    form.Show();
    TDataListBox& list = form.list.List();
    const auto start = std::chrono::steady_clock::now();
    list.SetCount(100000);
    form.drawnRows = 0;
    UpdateWindow(list.Handle());
    const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("100000 rows: count set and painted in %.1f ms\n", elapsed);

    // What accessibility tools read: a real list box with the count.
    wchar_t className[32];
    GetClassNameW(list.Handle(), className, 32);
    EXPECT_STREQ(className, L"ListBox");
    EXPECT_EQ(SendMessageW(list.Handle(), LB_GETCOUNT, 0, 0), 100000);
    const int visible = (list.ClientRect().bottom + 15) / 16;
    EXPECT_GT(form.drawnRows, 0);
    EXPECT_LE(form.drawnRows, visible + 1);

    form.drawnRows = 0;
    SendMessageW(list.Handle(), LB_SETTOPINDEX, 99990, 0);
    UpdateWindow(list.Handle());
    EXPECT_EQ(list.TopRow(), 100000 - (list.ClientRect().bottom / 16));
    EXPECT_LE(form.drawnRows, visible + 1);

    // Selection by real clicks: a row, then shift-click four rows further.
    SendMessageW(list.Handle(), LB_SETTOPINDEX, 0, 0);
    int clicks = 0;
    list.OnClick = [&] { ++clicks; };
    PostClick(list.Handle(), 20, 2 * 16 + 4);
    PostMessageW(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(20, 5 * 16 + 4));
    PostMessageW(list.Handle(), WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(20, 5 * 16 + 4));
    PumpFor(100);
    EXPECT_EQ(SendMessageW(list.Handle(), LB_GETSELCOUNT, 0, 0), 4);
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(list.FirstSelected(), 2);
    EXPECT_EQ(list.FocusedRow(), 5);
    EXPECT_GE(clicks, 1);

    // The colour of the list, where no row is drawn, comes back through the reflected
    // WM_CTLCOLORLISTBOX.
    list.SetCount(3);
    list.SetColor(RGB(0xC0, 0xE0, 0xFF));
    UpdateWindow(list.Handle());
    {
        TWindowDC dc(list.Handle());
        EXPECT_EQ(GetPixel(dc.get(), 10, list.ClientRect().bottom - 4), RGB(0xC0, 0xE0, 0xFF));
    }
    list.SetCount(100000);

    list.BeginUpdate();
    list.SetSelected(-1, true);
    list.EndUpdate();
    EXPECT_EQ(list.SelCount(), 100000);
    list.SetCount(0);
    EXPECT_EQ(list.SelCount(), 0);
    EXPECT_EQ(list.FirstSelected(), -1);
}

TEST(Reflection, NotificationsRaiseTheEventsOfTheControlThatSentThem) {
    TDemoForm form(10);
    form.Show();
    struct Case {
        const char* name;
        std::function<void(TDemoForm&, int&)> attach;
        std::function<void(TDemoForm&)> act;
    };
    const Case cases[] = {
        {"push button in a panel", [](TDemoForm& f, int& n) { f.copy.OnClick = [&n] { ++n; }; },
         [](TDemoForm& f) { SendMessageW(f.copy.Handle(), BM_CLICK, 0, 0); }},
        {"check box", [](TDemoForm& f, int& n) { f.keep.OnClick = [&n] { ++n; }; },
         [](TDemoForm& f) { SendMessageW(f.keep.Handle(), BM_CLICK, 0, 0); }},
        {"radio group item", [](TDemoForm& f, int& n) { f.format.OnClick = [&n] { ++n; }; },
         [](TDemoForm& f) { SendMessageW(f.format.Item(1), BM_CLICK, 0, 0); }},
        {"edit typing", [](TDemoForm& f, int& n) { f.rename.OnChange = [&n] { ++n; }; },
         [](TDemoForm& f) { SendMessageW(f.rename.Handle(), WM_CHAR, L'X', 1); }},
        {"combo box choice by key", [](TDemoForm& f, int& n) { f.folder.OnChange = [&n] { ++n; }; },
         [](TDemoForm& f) {
             SetFocus(f.folder.Handle());
             SendMessageW(f.folder.Handle(), WM_KEYDOWN, VK_DOWN, 0);
         }},
        {"header section click", [](TDemoForm& f, int& n) { f.list.Header().OnSectionClick = [&n](int s) { n += s; }; },
         [](TDemoForm& f) { PostClick(f.list.Header().Handle(), 150 + 50, 8); }},
        {"list view selection", [](TDemoForm& f, int& n) { f.files.OnChange = [&n] { ++n; }; },
         [](TDemoForm& f) { f.files.Select(2); }},
        {"tree view selection", [](TDemoForm& f, int& n) { f.tree.OnChange = [&n](HTREEITEM) { ++n; }; },
         [](TDemoForm& f) { f.tree.Select(f.tree.Root()); }},
        {"speed button click", [](TDemoForm& f, int& n) { f.open.OnClick = [&n] { ++n; }; },
         [](TDemoForm& f) { PostClick(f.open.Handle(), 4, 4); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int raised = 0;
        c.attach(form, raised);
        c.act(form);
        EXPECT_TRUE(PumpUntil([&] { return raised > 0; }, 500));
        EXPECT_GE(raised, 1);
    }
    EXPECT_EQ(form.format.ItemIndex(), 1);
    EXPECT_FALSE(form.keep.Checked());
    EXPECT_EQ(form.folder.ItemIndex(), 1);
    EXPECT_EQ(form.files.SelectedIndex(), 2);
    EXPECT_EQ(form.tree.Selected(), form.tree.Root());
}

TEST(SpeedButton, GroupsTogglesAndPlainButtons) {
    TDemoForm form(0);
    form.Show();
    int clicks = 0;
    for (TSpeedButton* b : {&form.open, &form.small, &form.report, &form.mode}) b->OnClick = [&clicks] { ++clicks; };
    struct Step {
        TSpeedButton TDemoForm::*button;
        bool small, report, mode;
    };
    const Step steps[] = {
        {&TDemoForm::report, false, true, false},  // the group's other button comes up
        {&TDemoForm::report, false, true, false},  // a grouped button stays down
        {&TDemoForm::mode, false, true, true},     // a toggle goes down...
        {&TDemoForm::mode, false, true, false},    // ...and up again
        {&TDemoForm::small, true, false, false},
        {&TDemoForm::open, true, false, false},    // a plain button never stays down
    };
    int step = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(step++);
        PostClick((form.*s.button).Handle(), 3, 3);
        PumpFor(30);
        EXPECT_EQ(form.small.Down(), s.small);
        EXPECT_EQ(form.report.Down(), s.report);
        EXPECT_EQ(form.mode.Down(), s.mode);
        EXPECT_FALSE(form.open.Down());
    }
    EXPECT_EQ(clicks, 6);

    // Released outside the button: no click.
    PostMessageW(form.open.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageW(form.open.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 3));
    PumpFor(30);
    EXPECT_EQ(clicks, 6);
    // Disabled: the mouse does not reach it.
    form.open.SetEnabled(false);
    PostClick(form.open.Handle(), 3, 3);
    PumpFor(30);
    EXPECT_EQ(clicks, 6);
}

TEST(StatusBar, ProgressBarSitsInsideItsPanel) {
    TDemoForm form(0);
    form.Show();
    EXPECT_EQ(GetParent(form.progress.Handle()), form.status.Handle());
    const RECT panel = form.status.PanelRect(0);
    const RECT bar = form.progress.Bounds();
    EXPECT_EQ(bar.left, panel.left + 1);
    EXPECT_EQ(bar.top, 3);
    EXPECT_EQ(bar.right - bar.left, 198);
    EXPECT_LE(bar.right, panel.right);
    form.progress.SetStep(1);
    form.progress.StepIt();
    EXPECT_EQ(form.progress.Position(), 41);
    EXPECT_EQ(form.status.PanelText(1), L"3個のSusie-Pluginが読み込まれました。");
}

TEST(ProgressBar, TellsTheControlOnlyWhenTheBarChangesAndWrapsAsItDoes) {
    TDemoForm form(0);
    TProgressBar& bar = form.progress;
    auto shown = [&] { return static_cast<int>(SendMessageW(bar.Handle(), PBM_GETPOS, 0, 0)); };
    bar.SetRange(0, 100000);
    bar.SetPosition(0);
    bar.SetStep(1);
    bar.StepIt();
    EXPECT_EQ(bar.Position(), 1);
    EXPECT_EQ(shown(), 0) << "one step of 100,000 changes no pixel of the bar";
    for (int i = 1; i < 100000; ++i) bar.StepIt();
    EXPECT_EQ(bar.Position(), 100000);
    EXPECT_EQ(shown(), 100000);
    bar.SetRange(0, 10);
    bar.SetPosition(9);
    bar.SetStep(3);
    bar.StepIt();  // past the end it starts again from the beginning
    EXPECT_EQ(bar.Position(), 2);
    bar.SetPosition(0);
    EXPECT_EQ(shown(), 0);
}

TEST(Hints, TooltipsHoldTheShortTextWithLineBreaks) {
    TDemoForm form(0);
    EXPECT_EQ(form.Hints().TipText(form.open.Handle()), L"アーカイブを指定して開く");
    EXPECT_EQ(form.Hints().TipText(form.folder.Handle()), L"移動・コピー先のフォルダを記入\r\n上書きの時は無視されます");
    EXPECT_EQ(form.Hints().TipText(GetWindow(form.folder.Handle(), GW_CHILD)), form.Hints().TipText(form.folder.Handle()))
        << "the combo box's edit shows the combo box's hint";
    form.Hints().Add(form.open, L"|");
    EXPECT_EQ(form.Hints().TipText(form.open.Handle()), L"") << "an empty hint removes the tooltip";
}

TEST(TreeView, ItemDataIsReleasedOnEveryWayTheTreeGoes) {
    struct TTreeInPanel : TForm {
        // Declared before the panel, so the panel (and the tree with it) is destroyed while the
        // tree's wrapper still exists, by a parent that no longer dispatches.
        TTreeView tree;
        TPanel panel;
    };
    std::vector<LPARAM> released;
    auto fill = [&](TTreeView& tree) {
        tree.OnDeleteItem = [&released](HTREEITEM, LPARAM data) { released.push_back(data); };
        HTREEITEM a = tree.AddItem(nullptr, L"a", -1, -1, 11, true);
        tree.AddItem(a, L"b", -1, -1, 12, false);
        tree.AddItem(nullptr, L"c", -1, -1, 13, false);
    };
    {
        TTreeInPanel form;
        form.Create(L"TTreeInPanel", L"", 200, 200);
        form.panel.Create(form.Handle(), 1, RECT{0, 0, 200, 200});
        form.tree.Create(form.panel.Handle(), 2, RECT{0, 0, 200, 200});
        fill(form.tree);
        form.tree.DeleteItem(form.tree.NextSibling(form.tree.Root()));
        EXPECT_EQ(released, (std::vector<LPARAM>{13}));
    }
    std::sort(released.begin(), released.end());
    EXPECT_EQ(released, (std::vector<LPARAM>{11, 12, 13}));

    released.clear();
    {
        TDemoForm form(0);
        form.tree.Clear();
        fill(form.tree);
        form.Destroy();  // Windows destroys the tree with its parent
    }
    EXPECT_EQ(released.size(), 3u);
}

TEST(Splitter, DraggingReportsTheDistanceMovedWhileTheOwnerMovesIt) {
    TDemoForm form(0);
    form.Show();
    for (TSplitter* splitter : {&form.vSplitter, &form.hSplitter}) {
        SCOPED_TRACE(splitter->Vertical() ? "vertical" : "horizontal");
        const bool v = splitter->Vertical();
        const RECT start = splitter->Bounds();
        int total = 0;
        splitter->OnMoved = [&](int delta) {
            total += delta;
            // The owner moves the bar with the panes, as a form does.
            const RECT r = splitter->Bounds();
            splitter->SetBounds(r.left + (v ? delta : 0), r.top + (v ? 0 : delta), r.right - r.left, r.bottom - r.top);
        };
        auto at = [v](int along) { return v ? MAKELPARAM(static_cast<WORD>(along), 2) : MAKELPARAM(2, static_cast<WORD>(along)); };
        HWND h = splitter->Handle();
        SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at(2));
        SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, at(12));  // 10 on, and the bar follows
        SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, at(-3));  // then 5 back
        SendMessageW(h, WM_LBUTTONUP, 0, at(-3));
        SendMessageW(h, WM_MOUSEMOVE, 0, at(40));  // not dragging any more
        EXPECT_EQ(total, 5);
        const RECT end = splitter->Bounds();
        EXPECT_EQ(v ? end.left - start.left : end.top - start.top, 5);
    }
}

TEST(PageControl, TabClicksShowTheirPageAndPageControlsStillRaiseTheirEvents) {
    Application().Initialize();
    TForm form;
    form.Create(L"TPageDemoForm", L"ページ", 300, 200);
    TPageControl pages;
    pages.Create(form.Handle(), 10, RECT{8, 8, 292, 192});
    TWindow& first = pages.AddPage(L"一");
    TWindow& second = pages.AddPage(L"二");
    TButton button;
    button.Create(second.Handle(), 11, L"押す", RECT{10, 10, 90, 35});
    int changes = 0, clicks = 0;
    pages.OnChange = [&] { ++changes; };
    button.OnClick = [&] { ++clicks; };
    form.Show();

    // The pages fill the display area, under the tabs.
    const RECT tabs = pages.ClientRect();
    const RECT page = second.Bounds();
    EXPECT_GT(page.top, tabs.top);
    EXPECT_LT(page.right - page.left, tabs.right - tabs.left);

    struct Case {
        const char* name;
        std::function<void()> act;
        int active, changes;
    };
    auto clickTab = [&](int index) {
        RECT r{};
        SendMessageW(pages.Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        PostClick(pages.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    const Case cases[] = {
        {"at the start", [] {}, 0, 0},
        {"second tab clicked", [&] { clickTab(1); }, 1, 1},
        {"same tab again", [&] { clickTab(1); }, 1, 1},
        {"first tab by code", [&] { pages.SetActivePageIndex(0); }, 0, 2},
        {"second tab by code", [&] { pages.SetActivePageIndex(1); }, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.act();
        PumpUntil([&] { return changes == c.changes; }, 500);
        EXPECT_EQ(pages.ActivePageIndex(), c.active);
        EXPECT_EQ(changes, c.changes);
        EXPECT_EQ(first.Visible(), c.active == 0);
        EXPECT_EQ(second.Visible(), c.active == 1);
    }
    // A button on a page notifies the page, which hands the click to the button's wrapper.
    PostMessageW(button.Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }, 500));
}
