// Showing rows in the viewers: the main window decodes members and picture files through the tests'
// plug-ins, places the real viewer windows, and pages with its questions scripted.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "app/ArchMain_win.h"
#include "app/FullScreen_win.h"
#include "app/ImgView_win.h"
#include "app/MainWindowFixture_win.h"
#include "common/TempDir.h"
#include "plugins/PluginTestEnv.h"
#include "resources/ResourceIds.h"
#include "toolkit/Prompt.h"
#include "toolkit/SystemInfo.h"

namespace {

const std::vector<uint8_t> kJunk = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};

// A member that the picture plug-in takes (width > 0) or that no reader knows (width 0).
TVvMember Member(const char* name, int width, int height = 10) {
    return {"", name, 0, width > 0 ? VvImageFile(width, height) : kJunk};
}

}  // namespace

class ViewTest : public TMainWindowFixture {
protected:
    std::wstring ImageCaption() const {
        wchar_t text[256] = {};
        GetWindowTextW(main->ImageView().Handle(), text, 256);
        return text;
    }
    bool ImageShown() const { return IsWindowVisible(main->ImageView().Handle()) != FALSE; }
    bool FullShown() const { return IsWindowVisible(main->FullScreen().Handle()) != FALSE; }
};

TEST_F(ViewTest, ShowMemberSizesTheImageViewWindowAndHandsItThePicture) {
    TSPIMain& m = OpenArchive({Member("small.vvi", 100, 80), Member("large.vvi", 251, 201)});
    EXPECT_EQ(m.CurrentIndex(), -1);
    struct Case { int row, width, height; const wchar_t* caption; };
    for (const Case& c : {Case{0, 259, 251, L"small.vvi(100x80)"}, Case{1, 260, 252, L"large.vvi(251x201)"}}) {
        for (const bool toolBar : {true, false}) {
            m.ImageView().SetToolBar(toolBar);
            ASSERT_TRUE(m.ShowMember(c.row, false));
            const RECT at = m.ImageView().Bounds();
            EXPECT_EQ(at.right - at.left, c.width);
            EXPECT_EQ(at.bottom - at.top, c.height + (toolBar ? 25 : 0)) << "the tool panel adds its height";
            EXPECT_EQ(ImageCaption(), c.caption);
            EXPECT_EQ(m.CurrentIndex(), c.row);
            EXPECT_EQ(m.ImageView().CurrentName(), std::wstring(c.caption).substr(0, std::wstring(c.caption).find(L'(')));
            ASSERT_NE(m.ImageView().Picture(), nullptr);
            EXPECT_EQ(m.ImageView().Picture()->GetWidth(), c.row == 0 ? 100 : 251);
            EXPECT_TRUE(ImageShown());
            EXPECT_FALSE(FullShown());
            EXPECT_TRUE(IsWindowEnabled(m.ImageView().Handle())) << "busy only while decoding";
        }
    }
}

TEST_F(ViewTest, FullScreenScalesThePictureToTheScreenAndShowAgainReturns) {
    SetScreenMetricsOverride(TScreenMetrics{1024, 768, 32});
    TSPIMain& m = OpenArchive({Member("square.vvi", 100, 100), Member("wide.vvi", 2000, 1000)});
    struct Case { int row; RECT frame; const wchar_t* label; };
    const Case cases[] = {{0, {139, 4, 139 + 745, 4 + 745}, L" square.vvi(100x100)  "},
                          {1, {15, 128, 15 + 993, 128 + 497}, L" wide.vvi(2000x1000)  "}};
    for (const Case& c : cases) {
        ASSERT_TRUE(m.ShowMember(c.row, true));
        EXPECT_TRUE(FullShown());
        EXPECT_FALSE(ImageShown());
        const RECT frame = m.FullScreen().PreImage().Bounds();
        EXPECT_EQ(std::vector<LONG>({frame.left, frame.top, frame.right, frame.bottom}),
                  std::vector<LONG>({c.frame.left, c.frame.top, c.frame.right, c.frame.bottom}));
        EXPECT_EQ(m.FullScreen().FileNameLabel(), c.label);
    }
    EXPECT_TRUE(m.ShowAgain(false));
    EXPECT_TRUE(ImageShown());
    EXPECT_FALSE(FullShown());
    EXPECT_EQ(ImageCaption(), L"wide.vvi(2000x1000)");
    SetScreenMetricsOverride(std::nullopt);
}

TEST_F(ViewTest, PagingAsksAtTheEndsAndSkipsWhatCannotBeDecoded) {
    TSPIMain& m = OpenArchive({Member("a.vvi", 5), Member("b.vvi", 0), Member("c.vvi", 0), Member("d.vvi", 0),
                               Member("e.vvi", 6)});
    TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    EXPECT_FALSE(m.ShowNext(true, false)) << "nothing on show yet: nothing happens";
    EXPECT_TRUE(prompt.Questions().empty());

    ASSERT_TRUE(m.ShowMember(0, false));
    EXPECT_TRUE(m.ShowNext(false, false)) << "three undecodable rows passed over without a question";
    EXPECT_EQ(m.CurrentIndex(), 4);
    EXPECT_TRUE(prompt.Questions().empty());

    prompt.Push(TPromptAnswer::paNo);
    EXPECT_FALSE(m.ShowNext(true, false));
    EXPECT_EQ(m.CurrentIndex(), 4) << "No at the last row keeps the picture";
    EXPECT_EQ(ImageCaption(), L"e.vvi(6x10)");
    ASSERT_EQ(prompt.Questions().size(), 1u);
    EXPECT_EQ(prompt.Questions()[0].text, kNoNextFile);

    // Backwards with the questions: the first undecodable row asks, and No stops there.
    prompt.Push(TPromptAnswer::paNo);
    EXPECT_FALSE(m.ShowPrevious(true, false));
    EXPECT_EQ(prompt.Questions().back().text, kSkipToPrevious);
    EXPECT_EQ(m.CurrentIndex(), 4);
    prompt.Push(TPromptAnswer::paYes);
    prompt.Push(TPromptAnswer::paYes);
    prompt.Push(TPromptAnswer::paYes);
    EXPECT_TRUE(m.ShowPrevious(true, false));
    EXPECT_EQ(m.CurrentIndex(), 0);

    // Wrapping from the first row to the last on Yes.
    prompt.Push(TPromptAnswer::paYes);
    EXPECT_TRUE(m.ShowPrevious(true, false));
    EXPECT_EQ(m.CurrentIndex(), 4);
    EXPECT_EQ(prompt.Questions().back().text, kNoPreviousFile);

    // A new open forgets the row on show.
    EXPECT_TRUE(m.OpenArchive(files / L"a.vva"));
    EXPECT_EQ(m.CurrentIndex(), -1);
    EXPECT_FALSE(m.ShowNext(false, false));
}

TEST_F(ViewTest, AListOfWhichNothingDecodesEndsAfterOneRound) {
    TSPIMain& m = OpenArchive({Member("x.vvi", 0), Member("y.vvi", 0), Member("z.vvi", 0)});
    EXPECT_THROW(m.ShowMember(0, false), EInvalidGraphic);
    EXPECT_EQ(m.CurrentIndex(), -1);
    TScriptedPrompt prompt({TPromptAnswer::paYes, TPromptAnswer::paYes});
    TPromptScope scope(prompt);
    m.SetCurrentIndex(0);
    EXPECT_FALSE(m.ShowNext(false, false));
    EXPECT_EQ(m.CurrentIndex(), 0);
    ASSERT_EQ(prompt.Questions().size(), 1u) << "only the wrap-around question";
    EXPECT_EQ(prompt.Questions()[0].text, kNoNextFile);
}

TEST_F(ViewTest, FolderRowsShowTheirFilesAndSaveOnlyAsBitmaps) {
    WriteFileBytes(files / L"p.vvi", VvImageFile(7, 3));
    main = std::make_unique<TSPIMain>();
    ASSERT_TRUE(main->OpenFolders({files.Path()}, {L"*.vvi"}, false));
    TSPIMain& m = *main;
    ASSERT_TRUE(m.ShowMember(0, false));
    EXPECT_EQ(ImageCaption(), L"p.vvi(7x3)");
    EXPECT_EQ(m.ImageView().CurrentName(), L"p.vvi");

    HMENU menu = GetMenu(m.ImageView().Handle());
    auto enabled = [&](int id) { return (GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) == 0; };
    EXPECT_FALSE(enabled(IDM_VIEWER_SAVE_ORIGINAL));
    EXPECT_FALSE(enabled(IDM_VIEWER_SAVE_TO_FOLDER));
    EXPECT_TRUE(enabled(IDM_VIEWER_SAVE_BITMAP));
    EXPECT_TRUE(enabled(IDM_VIEWER_BITMAP_TO_FOLDER));
    EXPECT_FALSE(m.SaveCurrentAs(files / L"copy.vvi")) << "a folder's picture is a file already";
    EXPECT_FALSE(m.SaveCurrentToFolder());

    TTempDir out;
    m.SetSaveFolder(out.Path());
    EXPECT_TRUE(m.SaveCurrentAsBitmap());
    EXPECT_TRUE(IsExistingFile(out / L"p.BMP"));

    // A file gone since the listing: its path and "が存在しません。".
    DeleteFileW((files / L"p.vvi").c_str());
    try {
        m.ShowMember(0, false);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), files / L"p.vvi" + L"が存在しません。");
    }
}

TEST_F(ViewTest, APicturesPathListsItsFolderAndShowsItAndANewListingHidesIt) {
    WriteFileBytes(files / L"a.vvi", VvImageFile(4, 4));
    WriteFileBytes(files / L"b.vvi", VvImageFile(9, 5));
    main = std::make_unique<TSPIMain>();
    ASSERT_TRUE(main->OpenPaths({files / L"b.vvi"}, main->AllPicturePatterns(), false));
    EXPECT_EQ(main->List().Count(), 2);
    EXPECT_EQ(ImageCaption(), L"b.vvi(9x5)");
    EXPECT_TRUE(ImageShown());
    WriteFileBytes(files / L"c.vva", VvArchiveFile({Member("m.vvi", 3)}));
    ASSERT_TRUE(main->OpenArchive(files / L"c.vva"));
    EXPECT_FALSE(ImageShown()) << "the picture belonged to the old listing";
    EXPECT_EQ(main->CurrentIndex(), -1);
}

TEST_F(ViewTest, SaveCurrentWritesTheMemberOnShow) {
    TSPIMain& m = OpenArchive({Member("a.vvi", 4, 2), Member("b.vvi", 3, 3)});
    TTempDir out;
    m.SetSaveFolder(out.Path());
    EXPECT_FALSE(m.SaveCurrentToFolder()) << "nothing on show";
    ASSERT_TRUE(m.ShowMember(1, false));
    EXPECT_TRUE(m.SaveCurrentToFolder());
    EXPECT_TRUE(m.SaveCurrentAs(out / L"renamed.vvi"));
    EXPECT_TRUE(m.SaveCurrentAsBitmap());
    EXPECT_EQ(ReadFileText(out / L"b.vvi"), ReadFileText(out / L"renamed.vvi"));
    EXPECT_EQ(ReadFileText(out / L"b.vvi").size(), VvImageFile(3, 3).size());
    EXPECT_TRUE(IsExistingFile(out / L"b.BMP"));
}
