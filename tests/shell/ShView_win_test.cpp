// The shell file list and folder tree on real folders (Latin and Japanese names), driven by real
// messages: header clicks, double clicks, keys, label edits.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/TempDir.h"
#include "toolkit/ComPtr_win.h"
#include "common/WindowTest_win.h"
#include "shell/ShView_win.h"
#include "toolkit/Application_win.h"
#include "toolkit/Form_win.h"

namespace {

void WriteSized(const std::wstring& path, ULONGLONG size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));  // sparse where the disk allows
    CloseHandle(file);
}

// The tree at the left and the file list beside it, as in the filer pane.
class TShellForm : public TForm {
public:
    TShellForm() {
        Application().Initialize();
        Create(L"TShellForm", L"Vardeno View  フォルダとファイル", 640, 320);
        SetFontFace(L"ＭＳ Ｐゴシック", 12, SHIFTJIS_CHARSET);
        tree.Create(Handle(), 1, RECT{0, 0, 200, 320});
        files.Create(Handle(), 2, RECT{204, 0, 640, 320});
        tree.SetFileView(&files);
    }
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (int i = 0; i < files.Count(); ++i) names.push_back(files.ItemText(i));
        return names;
    }
    std::vector<std::wstring> Column(int column) const {
        std::vector<std::wstring> cells;
        for (int i = 0; i < files.Count(); ++i) cells.push_back(files.ItemText(i, column));
        return cells;
    }
    int Row(const std::wstring& name) const {
        const auto names = Names();
        const auto it = std::find(names.begin(), names.end(), name);
        return it == names.end() ? -1 : static_cast<int>(it - names.begin());
    }
    TFolderView tree;
    TFileView files;
};

// A folder of files and sub-folders with Latin and Japanese names.
struct TSample {
    TSample() {
        for (const wchar_t* name : {L"sub", L"空のフォルダ", L"写真", L"写真\\2026"}) CreateDirectoryW((dir / name).c_str(), nullptr);
        WriteSized(dir / L"a.lzh", 1023);
        WriteSized(dir / L"b.zip", 1024);
        WriteSized(dir / L"c.txt", 0);
        WriteSized(dir / L"旅行.LZH", 3000);
    }
    TTempDir dir;
};

void MakeShortcut(const std::wstring& path, const std::wstring& target) {
    TComPtr<IShellLinkW> link;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())));
    link->SetPath(target.c_str());
    TComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.PutVoid())));
    EXPECT_TRUE(SUCCEEDED(file->Save(path.c_str(), TRUE)));
}

int CountNodes(const TTreeView& tree, HTREEITEM first) {
    int n = 0;
    for (HTREEITEM item = first; item; item = tree.NextSibling(item)) n += 1 + CountNodes(tree, tree.FirstChild(item));
    return n;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> v) {
    std::sort(v.begin(), v.end());
    return v;
}

void PostDoubleClick(HWND hwnd, POINT at) {
    const LPARAM lp = MAKELPARAM(at.x, at.y);
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageW(hwnd, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, lp);
}

POINT RowPoint(const TFileView& list, int row) {
    RECT r{};
    ListView_GetItemRect(list.Handle(), row, &r, LVIR_LABEL);
    return POINT{r.left + 4, (r.top + r.bottom) / 2};
}

}  // namespace

TEST(FileView, ColumnsImagesMaskSizesAndTimes) {
    TSample sample;
    // A file time with odd seconds: the list shows the minute.
    SYSTEMTIME local{2026, 12, 3, 9, 13, 5, 59, 0}, utc{};
    FILETIME written{};
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    SystemTimeToFileTime(&utc, &written);
    HANDLE file = CreateFileW((sample.dir / L"b.zip").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    WriteSized(sample.dir / L"big.zip", 5ull << 30);
    TShellForm form;
    MakeShortcut(sample.dir / L"近道.lnk", sample.dir / L"a.lzh");
    TFileView& list = form.files;
    const wchar_t* captions[] = {L"名前", L"ｻｲｽﾞ", L"ﾌｧｲﾙの種類", L"更新日時"};
    const int formats[] = {LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_LEFT, LVCFMT_LEFT};
    ASSERT_EQ(list.ColumnCount(), 4);
    for (int i = 0; i < 4; ++i) {
        wchar_t text[32] = L"";
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = text;
        column.cchTextMax = 32;
        SendMessageW(list.Handle(), LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        EXPECT_STREQ(text, captions[i]);
        EXPECT_EQ(column.cx, i == 1 ? 60 : 120);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, formats[i]);
    }
    EXPECT_EQ(list.ImageList(LVSIL_SMALL), SystemImageList(true));
    EXPECT_EQ(list.ImageList(LVSIL_NORMAL), SystemImageList(false));

    list.SetMask({L".LZH", L".ZIP"});
    form.tree.SelectPath(sample.dir.Path());
    EXPECT_EQ(Sorted(form.Names()), Sorted({L"a.lzh", L"b.zip", L"big.zip", L"sub", L"空のフォルダ", L"写真", L"旅行.LZH"}));
    EXPECT_EQ(list.Mask().size(), 2u);
    list.SetMask({});
    list.Refresh();
    EXPECT_EQ(form.Row(L"c.txt") >= 0, true);

    EXPECT_EQ(list.ItemText(form.Row(L"a.lzh"), 1), L"       1KB");
    EXPECT_EQ(list.ItemText(form.Row(L"b.zip"), 1), L"       2KB");
    EXPECT_EQ(list.ItemText(form.Row(L"c.txt"), 1), L"       1KB");
    EXPECT_EQ(list.ItemText(form.Row(L"big.zip"), 1), L" 5242881KB");
    EXPECT_EQ(list.ItemText(form.Row(L"b.zip"), 3), L"26/12/09 13:05");
    EXPECT_FALSE(list.ItemText(form.Row(L"c.txt"), 2).empty()) << "the system's type name";
    EXPECT_GE(list.ItemImage(form.Row(L"sub")), 0);
    EXPECT_EQ(list.Overlay(form.Row(L"sub")), 0);
    EXPECT_EQ(list.Overlay(form.Row(L"近道")), 1) << "a shortcut shows the overlay";

    list.Select(form.Row(L"旅行.LZH"));
    EXPECT_EQ(list.SelectedPath(), sample.dir / L"旅行.LZH");

    // The right button over the selection hands its ids to the owner.
    std::vector<std::wstring> menuFor;
    list.OnContextMenu = [&](IShellFolder* folder, const std::vector<LPCITEMIDLIST>& ids, POINT) {
        for (LPCITEMIDLIST id : ids) menuFor.push_back(DisplayNameOf(folder, id, SHGDN_INFOLDER));
    };
    const POINT at = RowPoint(list, form.Row(L"旅行.LZH"));
    PostMessageW(list.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageW(list.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    EXPECT_TRUE(PumpUntil([&] { return !menuFor.empty(); }));
    EXPECT_EQ(menuFor, std::vector<std::wstring>{L"旅行.LZH"});

    // The system's image lists outlive the list that showed them.
    HIMAGELIST small = list.ImageList(LVSIL_SMALL);
    form.Destroy();
    EXPECT_GT(ImageList_GetImageCount(small), 0);
}

TEST(FileView, HeaderClicksSortDescendingThenAscendingAndRefreshResets) {
    TSample sample;
    TShellForm form;
    form.Show();
    form.tree.SelectPath(sample.dir.Path());
    HWND header = ListView_GetHeader(form.files.Handle());
    RECT size{};
    Header_GetItemRect(header, 1, &size);
    auto sizes = [&] {
        std::vector<std::wstring> files;
        for (const auto& cell : form.Column(1))
            if (cell != L"       1KB") files.push_back(cell);  // folders and small files tie
        return files;
    };
    const std::vector<std::wstring> ascending{L"       2KB", L"       3KB"};
    for (int direction : {-1, 1}) {
        PostClick(header, (size.left + size.right) / 2, (size.top + size.bottom) / 2);
        PumpUntil([&] { return TFileView::SortDirection(1) == direction; });
        EXPECT_EQ(TFileView::SortDirection(1), direction);
        EXPECT_EQ(sizes(), direction < 0 ? std::vector<std::wstring>(ascending.rbegin(), ascending.rend()) : ascending);
    }
    PostClick(header, 10, 5);
    PumpUntil([&] { return TFileView::SortDirection(0) == -1; });
    const std::vector<std::wstring> descendingNames = form.Names();
    form.files.Refresh();
    for (int column = 0; column < 4; ++column) EXPECT_EQ(TFileView::SortDirection(column), 1);
    std::vector<std::wstring> names = form.Names();
    std::reverse(names.begin(), names.end());
    EXPECT_EQ(names, descendingNames) << "the folder's own order, ascending again";
}

TEST(FolderView, FillsLazilyAndDrivesTheFileList) {
    TSample sample;
    TShellForm form;
    form.Show();
    TFolderView& tree = form.tree;
    EXPECT_EQ(tree.Selected(), tree.Root());
    EXPECT_TRUE(tree.NotFileSystemFolder());
    EXPECT_EQ(tree.EditLabel(tree.Root()), nullptr) << "the desktop cannot be renamed";

    ASSERT_TRUE(tree.SelectPath(sample.dir.Path()));
    EXPECT_EQ(tree.SelectedPath(), sample.dir.Path());
    EXPECT_FALSE(tree.NotFileSystemFolder());
    EXPECT_EQ(form.files.Count(), 7);

    // Children in the folder's order, opened by the right arrow key; an empty folder loses its button.
    HTREEITEM folder = tree.Selected();
    SetFocus(tree.Handle());
    PostMessageW(tree.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    PumpUntil([&] { return tree.FirstChild(folder) != nullptr; });
    std::vector<std::wstring> children;
    for (HTREEITEM c = tree.FirstChild(folder); c; c = tree.NextSibling(c)) children.push_back(tree.ItemText(c));
    EXPECT_EQ(Sorted(children), Sorted({L"sub", L"空のフォルダ", L"写真"}));
    HTREEITEM empty = tree.FirstChild(folder);
    while (empty && tree.ItemText(empty) != L"空のフォルダ") empty = tree.NextSibling(empty);
    ASSERT_NE(empty, nullptr);
    tree.Expand(empty);
    EXPECT_EQ(tree.FirstChild(empty), nullptr);
    EXPECT_FALSE(tree.HasChildren(empty));

    // The down key moves the selection; the list follows.
    PostMessageW(tree.Handle(), WM_KEYDOWN, VK_DOWN, 0);
    PumpUntil([&] { return tree.Selected() != folder; });
    EXPECT_EQ(tree.Selected(), tree.FirstChild(folder));
    EXPECT_EQ(PathOfIdList(form.files.FolderId()), sample.dir / tree.ItemText(tree.Selected()));

    // The right button on a node selects it and hands its parent folder and id to the owner.
    std::wstring menuFor;
    tree.OnContextMenu = [&](IShellFolder* parent, LPCITEMIDLIST id, POINT) {
        menuFor = DisplayNameOf(parent, id, SHGDN_FORPARSING);
    };
    TreeView_EnsureVisible(tree.Handle(), empty);
    const RECT node = tree.ItemRect(empty);
    POINT screen{node.left + 4, (node.top + node.bottom) / 2};
    const LPARAM at = MAKELPARAM(screen.x, screen.y);
    ClientToScreen(tree.Handle(), &screen);
    SetCursorPos(screen.x, screen.y);  // a click happens where the mouse is
    PostMessageW(tree.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageW(tree.Handle(), WM_RBUTTONUP, 0, at);
    EXPECT_TRUE(PumpUntil([&] { return !menuFor.empty(); }));
    EXPECT_EQ(menuFor, sample.dir / L"空のフォルダ");
    EXPECT_EQ(tree.Selected(), empty);

    // A path that does not parse leaves the selection.
    HTREEITEM before = tree.Selected();
    EXPECT_FALSE(tree.SelectPath(sample.dir / L"ない\\どこにも"));
    EXPECT_EQ(tree.Selected(), before);

    // A double click on a sub-folder row opens it in the tree.
    tree.Select(folder);
    const int row = form.Row(L"写真");
    ASSERT_GE(row, 0);
    form.files.Select(row);
    PostDoubleClick(form.files.Handle(), RowPoint(form.files, row));
    PumpUntil([&] { return tree.Selected() != folder; });
    EXPECT_EQ(tree.SelectedPath(), sample.dir / L"写真");
    EXPECT_EQ(form.Names(), std::vector<std::wstring>{L"2026"});
}

TEST(FolderView, AFolderThatCannotBeListedReturnsToThePreviousOne) {
    TSample sample;
    TShellForm form;
    form.Show();
    TFolderView& tree = form.tree;
    ASSERT_TRUE(tree.SelectPath(sample.dir / L"sub"));
    HTREEITEM sub = tree.Selected();
    HTREEITEM gone = tree.NextSibling(tree.FirstChild(tree.Parent(sub)));
    while (gone && tree.ItemText(gone) != L"空のフォルダ") gone = tree.NextSibling(gone);
    ASSERT_NE(gone, nullptr);
    ASSERT_TRUE(RemoveDirectoryW((sample.dir / L"空のフォルダ").c_str()));
    std::vector<HTREEITEM> changes;
    tree.OnChange = [&](HTREEITEM item) { changes.push_back(item); };
    tree.Select(gone);
    EXPECT_EQ(tree.Selected(), sub);
    EXPECT_EQ(changes, std::vector<HTREEITEM>{sub}) << "the owner hears of the folder that is shown";
    EXPECT_EQ(PathOfIdList(form.files.FolderId()), sample.dir / L"sub");

    // When the previous folder is gone too, the tree goes back once and stops there.
    HTREEITEM photos = tree.FirstChild(tree.Parent(sub));
    while (photos && tree.ItemText(photos) != L"写真") photos = tree.NextSibling(photos);
    ASSERT_NE(photos, nullptr);
    ASSERT_TRUE(RemoveDirectoryW((sample.dir / L"sub").c_str()));
    ASSERT_TRUE(RemoveDirectoryW((sample.dir / L"写真\\2026").c_str()) && RemoveDirectoryW((sample.dir / L"写真").c_str()));
    tree.Select(photos);
    EXPECT_EQ(tree.Selected(), sub);
}

TEST(ShellViews, RenamingAFolderInTheListRenamesItsNode) {
    TSample sample;
    TShellForm form;
    form.Show();
    TFolderView& tree = form.tree;
    ASSERT_TRUE(tree.SelectPath(sample.dir.Path()));
    HTREEITEM folder = tree.Selected();
    tree.Expand(folder);
    auto rename = [&](const std::wstring& from, const std::wstring& to) {
        HWND edit = form.files.EditLabel(form.Row(from));
        ASSERT_NE(edit, nullptr);
        SetWindowTextW(edit, to.c_str());
        SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
        PumpFor(50);
    };
    rename(L"sub", L"サブ");
    EXPECT_TRUE(PathExists(sample.dir / L"サブ"));
    ASSERT_GE(form.Row(L"サブ"), 0);
    EXPECT_EQ(DisplayNameOf(form.files.Folder(), form.files.ItemId(form.Row(L"サブ")), SHGDN_FORPARSING), sample.dir / L"サブ");
    std::vector<std::wstring> children;
    for (HTREEITEM c = tree.FirstChild(folder); c; c = tree.NextSibling(c)) children.push_back(tree.ItemText(c));
    EXPECT_EQ(Sorted(children), Sorted({L"サブ", L"空のフォルダ", L"写真"}));

    // A node renamed in its own editor.
    HTREEITEM photos = tree.FirstChild(folder);
    while (photos && tree.ItemText(photos) != L"写真") photos = tree.NextSibling(photos);
    ASSERT_NE(photos, nullptr);
    HWND edit = tree.EditLabel(photos);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"旅の写真");
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    PumpFor(50);
    EXPECT_EQ(tree.ItemText(photos), L"旅の写真");
    EXPECT_TRUE(PathExists(sample.dir / L"旅の写真\\2026"));
    tree.Select(photos);
    EXPECT_EQ(tree.SelectedPath(), sample.dir / L"旅の写真");
    tree.Select(folder);

    rename(L"c.txt", L"b.zip");  // the name is taken: the row keeps its own
    EXPECT_GE(form.Row(L"c.txt"), 0);
    EXPECT_TRUE(PathExists(sample.dir / L"c.txt"));
}

TEST(ShellViews, DemonstrationFormIsSavedAsPngAndLeavesNothingBehind) {
    TSample sample;
    int nodes = 0, deleted = 0;
    auto cycle = [&](bool screenshot) {
        TShellForm form;
        form.tree.OnDeleting = [&deleted](HTREEITEM) { ++deleted; };
        form.files.SetMask({L".LZH", L".ZIP"});
        form.tree.SelectPath(sample.dir / L"写真\\2026");
        form.tree.SelectPath(sample.dir.Path());
        form.Show();
        SetForegroundWindow(form.Handle());
        UpdateWindow(form.Handle());
        PumpFor(200);
        if (screenshot) std::printf("screenshot: %ls\n", SaveWindowPng(form.Handle(), L"shell_demo").c_str());
        nodes = CountNodes(form.tree, form.tree.Root());
        deleted = 0;
    };
    cycle(true);
    PumpFor(100);
    const int windows = CountThreadWindows(), gdi = CountGdiObjects();
    for (int i = 0; i < 2; ++i) {
        cycle(false);
        PumpFor(100);
        EXPECT_EQ(CountThreadWindows(), windows);
        EXPECT_EQ(CountGdiObjects(), gdi) << CountGdiObjectsMethod();
        EXPECT_EQ(deleted, nodes) << "every node's id is freed once";
    }
    EXPECT_GT(nodes, 5);
}
