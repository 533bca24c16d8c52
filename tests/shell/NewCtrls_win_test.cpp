// The file drop target on real windows, sent real drop handles as the shell builds them.
#include "shell/NewCtrls_win.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>

#include "toolkit/Application_win.h"
#include "toolkit/Controls_win.h"
#include "toolkit/Exceptions.h"
#include "toolkit/Form_win.h"
#include "toolkit/Prompt.h"

namespace {

// A drop handle as the shell makes one: a DROPFILES header, then the wide names, each ended by a
// null, and one more null.
HGLOBAL MakeDrop(const std::vector<std::wstring>& names, POINT at) {
    size_t chars = 1;
    for (const auto& n : names) chars += n.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->pt = at;
    header->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(header + 1);
    for (const auto& n : names) {
        std::memcpy(text, n.c_str(), (n.size() + 1) * sizeof(wchar_t));
        text += n.size() + 1;
    }
    GlobalUnlock(block);
    return block;
}

// Freed blocks have no size any more.
bool Released(HGLOBAL block) { return GlobalSize(block) == 0; }

bool AcceptsFiles(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

class TDropForm : public TForm {
public:
    TDropForm() {
        Application().Initialize();
        Create(L"TDropTestForm", L"ドロップ", 300, 200);
        list.Create(Handle(), 10, RECT{10, 10, 200, 150});
    }
    TListBox list;
};

struct TDrop {
    int num = 0;
    std::vector<std::wstring> files;
    POINT at{};
};

}  // namespace

TEST(FileDrop, DroppedFilesArriveInOrderAtFullLengthWithThePointAndTheHandleIsReleased) {
    TDropForm form;
    TFileDrop drop(form);
    std::vector<TDrop> drops;
    drop.OnFileDrop = [&](TFileDrop& sender, int num, const std::vector<std::wstring>& files, int x, int y) {
        EXPECT_EQ(&sender, &drop);
        drops.push_back({num, files, {x, y}});
    };
    EXPECT_EQ(drop.AttachedWindow(), form.Handle()) << "no control: the owning form";
    EXPECT_TRUE(AcceptsFiles(form.Handle()));

    std::wstring longName = L"C:\\";
    for (int i = 0; i < 30; ++i) longName += L"フォルダ名前" + std::to_wstring(i) + L"\\";
    longName += L"画像.jpg";
    ASSERT_GT(longName.size(), 255u);
    const std::vector<std::wstring> names{L"C:\\pics\\b.lzh", longName, L"D:\\a.zip"};
    HGLOBAL block = MakeDrop(names, {37, 81});
    SendMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);

    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].num, 3);
    EXPECT_EQ(drops[0].files, names);
    EXPECT_EQ(std::make_pair(drops[0].at.x, drops[0].at.y), std::make_pair(37L, 81L));
    EXPECT_TRUE(Released(block));
}

TEST(FileDrop, AThrowingHandlerReachesTheDefaultHandlerAndTheHandleIsStillReleased) {
    TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    TDropForm form;
    TFileDrop drop(form);
    int calls = 0;
    drop.OnFileDrop = [&](TFileDrop&, int, const std::vector<std::wstring>&, int, int) {
        if (++calls == 1) throw Exception(L"開けません");
    };
    HGLOBAL first = MakeDrop({L"C:\\a.lzh"}, {1, 1});
    SendMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(first), 0);
    EXPECT_TRUE(Released(first));
    ASSERT_EQ(prompt.Questions().size(), 1u);
    EXPECT_EQ(prompt.Questions()[0].text, L"開けません");

    HGLOBAL second = MakeDrop({L"C:\\b.lzh"}, {1, 1});
    SendMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(second), 0);
    EXPECT_EQ(calls, 2) << "the program goes on";
    EXPECT_TRUE(Released(second));
}

TEST(FileDrop, AcceptControlAndDetaching) {
    TDropForm form;
    std::vector<std::wstring> got;
    {
        TFileDrop drop(form);
        drop.OnFileDrop = [&](TFileDrop&, int, const std::vector<std::wstring>& files, int, int) { got = files; };
        drop.SetAccept(false);
        EXPECT_FALSE(AcceptsFiles(form.Handle()));
        drop.SetAccept(true);
        EXPECT_TRUE(AcceptsFiles(form.Handle()));

        // On a control that the window layer has subclassed too: both hooks keep working.
        drop.SetControl(&form.list);
        EXPECT_EQ(drop.AttachedWindow(), form.list.Handle());
        EXPECT_FALSE(AcceptsFiles(form.Handle()));
        EXPECT_TRUE(AcceptsFiles(form.list.Handle()));
        SendMessageW(form.list.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({L"C:\\x.zip"}, {0, 0})), 0);
        EXPECT_EQ(got, std::vector<std::wstring>{L"C:\\x.zip"});
        form.list.Add(L"行");
        EXPECT_EQ(form.list.Item(0), L"行");

        form.list.Destroy();
        EXPECT_EQ(drop.Control(), nullptr) << "the control went away";
        EXPECT_FALSE(drop.Accept());
        EXPECT_EQ(drop.AttachedWindow(), nullptr);

        drop.SetControl(nullptr);
        EXPECT_EQ(drop.AttachedWindow(), form.Handle());
        EXPECT_FALSE(AcceptsFiles(form.Handle())) << "Accept stays off";
        drop.SetAccept(true);
    }
    EXPECT_FALSE(AcceptsFiles(form.Handle())) << "destruction unhooks the window";
    got.clear();
    HGLOBAL late = MakeDrop({L"C:\\late.zip"}, {0, 0});
    SendMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(late), 0);
    EXPECT_TRUE(got.empty());
    GlobalFree(late);
}

TEST(FileDrop, NoWindowToServe) {
    TDropForm form;
    TButton notAForm;
    notAForm.Create(form.Handle(), 11, L"b", RECT{0, 0, 20, 20});
    try {
        TFileDrop drop(notAForm);
        FAIL() << "attached to a control that is not a form";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Invalidate Window Handle in FileDrop");
    }
}
