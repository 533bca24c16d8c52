// The file drop target on real windows, sent drop handles built as the shell builds them.
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

// A DROPFILES header, then the wide names, each ended by a null, and one more null.
HGLOBAL MakeDrop(const std::vector<std::wstring>& names, POINT at) {
    std::wstring text;
    for (const auto& n : names) text += n + L'\0';
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + (text.size() + 1) * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    *header = DROPFILES{sizeof(DROPFILES), at, FALSE, TRUE};
    std::memcpy(header + 1, text.c_str(), text.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    return block;
}

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

}  // namespace

TEST(FileDrop, FilesArriveInOrderAtFullLengthAndTheHandleIsReleasedAlsoWhenTheHandlerThrows) {
    TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    TDropForm form;
    TFileDrop drop(form);
    EXPECT_EQ(drop.AttachedWindow(), form.Handle()) << "no control: the owning form";
    std::vector<std::pair<int, std::vector<std::wstring>>> drops;
    std::vector<std::pair<int, int>> points;
    drop.OnFileDrop = [&](TFileDrop& sender, int num, const std::vector<std::wstring>& files, int x, int y) {
        EXPECT_EQ(&sender, &drop);
        drops.emplace_back(num, files);
        points.emplace_back(x, y);
        if (drops.size() == 1) throw Exception(L"開けません");
    };
    std::wstring longName = L"C:\\";
    for (int i = 0; i < 30; ++i) longName += L"フォルダ名前" + std::to_wstring(i) + L"\\";
    longName += L"画像.jpg";
    ASSERT_GT(longName.size(), 255u);
    const std::vector<std::wstring> names{L"C:\\pics\\b.lzh", longName, L"D:\\a.zip"};
    const HGLOBAL blocks[] = {MakeDrop(names, {37, 81}), MakeDrop({L"C:\\c.lzh"}, {2, 3})};
    for (HGLOBAL block : blocks) {
        SendMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
        EXPECT_TRUE(Released(block));
    }
    ASSERT_EQ(drops.size(), 2u) << "the program goes on after the handler's exception";
    EXPECT_EQ(drops[0], std::make_pair(3, names));
    EXPECT_EQ(drops[1].second, std::vector<std::wstring>{L"C:\\c.lzh"});
    EXPECT_EQ(points, (std::vector<std::pair<int, int>>{{37, 81}, {2, 3}}));
    ASSERT_EQ(prompt.Questions().size(), 1u);
    EXPECT_EQ(prompt.Questions()[0].text, L"開けません");
}

TEST(FileDrop, AcceptControlAndDetaching) {
    TDropForm form;
    std::vector<std::wstring> got;
    {
        TFileDrop drop(form);
        drop.OnFileDrop = [&](TFileDrop&, int, const std::vector<std::wstring>& files, int, int) { got = files; };
        EXPECT_TRUE(AcceptsFiles(form.Handle()));
        drop.SetAccept(false);
        EXPECT_FALSE(AcceptsFiles(form.Handle()));
        // On a control that the window layer has subclassed too: both hooks keep working.
        drop.SetAccept(true);
        drop.SetControl(&form.list);
        EXPECT_FALSE(AcceptsFiles(form.Handle()));
        EXPECT_TRUE(AcceptsFiles(form.list.Handle()));
        SendMessageW(form.list.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({L"C:\\x.zip"}, {0, 0})), 0);
        EXPECT_EQ(got, std::vector<std::wstring>{L"C:\\x.zip"});
        EXPECT_EQ(form.list.Add(L"行"), 0);

        form.list.Destroy();
        EXPECT_EQ(drop.Control(), nullptr) << "the control went away";
        EXPECT_FALSE(drop.Accept());
        drop.SetControl(nullptr);
        EXPECT_EQ(drop.AttachedWindow(), form.Handle());
        drop.SetAccept(true);
    }
    EXPECT_FALSE(AcceptsFiles(form.Handle())) << "destruction unhooks the window";

    TButton notAForm;
    notAForm.Create(form.Handle(), 11, L"b", RECT{0, 0, 20, 20});
    try {
        TFileDrop wrong(notAForm);
        ADD_FAILURE() << "attached to a window that is not a form";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"Invalidate Window Handle in FileDrop");
    }
}
