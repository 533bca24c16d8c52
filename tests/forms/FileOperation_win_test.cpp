// The file operation dialog driven by real messages while its modal loop runs: radio clicks and
// the enabling rules, typing into the folder box, the side buttons with the folder picker and the
// prompt scripted, a copy through "コピー" on real files, and the settings file it leaves behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <memory>

#include "app/ArchiveEntry.h"
#include "app/FileUtil.h"
#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "forms/BatchTexts.h"
#include "forms/FileOperation_win.h"
#include "forms/MoveCopyRules.h"
#include "toolkit/Application_win.h"
#include "toolkit/FileDialogs.h"
#include "toolkit/IniFile_win.h"
#include "toolkit/Prompt.h"

namespace {

using TNames = std::vector<std::wstring>;

class FileOperationTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application().Initialize();
        WriteFileText(archive, "an archive");
    }

    std::unique_ptr<TFileOperationDialog> MakeDialog() { return std::make_unique<TFileOperationDialog>(nullptr, ini.FileName()); }
    // A folder-mode selection of files in the source folder.
    TBatchSelection Rows(const TNames& names) {
        TBatchSelection selection;
        for (const std::wstring& name : names) selection.rows.push_back(FolderRowText(name, 3, TDate{2001, 2, 3}, source.Path()));
        return selection;
    }
    std::wstring Setting(const std::wstring& key) const { return ini.ReadString(kMoveCopySection, key, L"(none)"); }
    static void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
    static void CloseBySystemMenu(TForm& form) { PostMessageW(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }

    TTempDir folder;
    TTempDir source;
    TIniFile ini{folder / L"vv.ini"};
    std::wstring archive = folder / L"a.vva";
};

TEST_F(FileOperationTest, RadioClicksApplyTheEnablingRules) {
    struct TCase {
        bool archive;
        int format, rename;
        const char* expected;  // 上書き, 移動, the definition, the check box
    };
    const TCase cases[] = {
        {false, kFormatBitmap, kRenameOn, "1111"},   {false, kFormatOriginal, kRenameOff, "0100"},
        {false, kFormatOriginal, kRenameOn, "1110"}, {false, kFormatBitmap, kRenameOff, "1101"},
        {true, kFormatBitmap, kRenameOn, "0011"},    {true, kFormatOriginal, kRenameOff, "0000"},
    };
    TBatchSelection selection = Rows({L"a.vvi"});
    selection.members.resize(1);
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.archive << c.format << c.rename);
        // The dialog opens on the other choice of each group, so that the clicks change both.
        ini.WriteBool(kMoveCopySection, kChangeBmpKey, c.format == kFormatOriginal);
        auto dialog = MakeDialog();
        dialog->Prepare(&selection, c.archive, nullptr, nullptr, archive);
        std::string states;
        COLORREF editColor = 0, editPixel = 0;
        TModalSteps steps({
            [&] {
                Click(dialog->FormatTypeGroup().Item(c.format));
                Click(dialog->RenameGroup().Item(c.rename));
            },
            [&] {
                for (TWindow* w : std::initializer_list<TWindow*>{&dialog->OverBtn(), &dialog->MoveBtn(), &dialog->RenameEdit(),
                                                                  &dialog->SaveOriginalCheckBox()})
                    states += w->Enabled() ? '1' : '0';
                editColor = dialog->RenameEdit().Color();
                UpdateWindow(dialog->Handle());
                const RECT r = dialog->RenameEdit().ClientRect();
                HDC dc = GetDC(dialog->RenameEdit().Handle());
                editPixel = GetPixel(dc, r.right - 3, r.bottom / 2);
                ReleaseDC(dialog->RenameEdit().Handle(), dc);
                CloseBySystemMenu(*dialog);
            },
        });
        EXPECT_TRUE(dialog->Execute(L"", c.rename == kRenameOff)) << "closed without キャンセル";
        EXPECT_EQ(steps.Run(), 2u);
        EXPECT_EQ(states, c.expected);
        const COLORREF expectedColor = GetSysColor(c.rename == kRenameOn ? COLOR_WINDOW : COLOR_MENU);
        EXPECT_EQ(editColor, expectedColor);
        EXPECT_EQ(editPixel, expectedColor);
        dialog.reset();
        EXPECT_EQ(ini.ReadBool(kMoveCopySection, kChangeBmpKey, c.format != kFormatBitmap), c.format == kFormatBitmap);
    }
}

TEST_F(FileOperationTest, PrepareChecksTheSelectionAndCaptionsTheCount) {
    const TBatchSelection three = Rows({L"a", L"b", L"c"});
    TBatchSelection members;
    members.members.resize(2);
    const TBatchSelection none;
    struct TCase {
        const TBatchSelection* selection;
        bool archive;
        std::wstring path;
        std::wstring result;  // the message raised, or the caption
    };
    const TCase cases[] = {
        {nullptr, false, L"", kNoArchiveView},
        {&none, false, L"", kNothingSelected},
        {&three, true, archive, kNothingSelected},  // rows are no members
        {&members, true, folder / L"gone.vva", folder / L"gone.vva" + L"が存在しません。"},
        {&three, false, folder / L"gone.vva", L"コピー・移動  (3個選択)"},  // the path counts in archive mode only
        {&members, true, archive, L"コピー・移動  (2個選択)"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.result);
        auto dialog = MakeDialog();
        std::wstring result;
        try {
            dialog->Prepare(c.selection, c.archive, nullptr, nullptr, c.path);
            wchar_t caption[100] = L"";
            GetWindowTextW(dialog->Handle(), caption, 100);
            result = caption;
        } catch (const Exception& e) {
            result = e.Message();
        }
        EXPECT_EQ(result, c.result);
    }
}

TEST_F(FileOperationTest, TypedFolderMatchingAListedOneMovesItToTheTopAndCancelStillWritesTheSettings) {
    CreateDirectoryW((folder / L"PICS").c_str(), nullptr);
    CreateDirectoryW((folder / L"Other").c_str(), nullptr);
    std::wstring typed = folder / L"pics\\";
    std::transform(typed.begin(), typed.end(), typed.begin(), [](wchar_t ch) { return static_cast<wchar_t>(std::towlower(ch)); });
    ini.WriteString(kMoveCopySection, FolderKey(0), folder / L"Other");
    ini.WriteString(kMoveCopySection, FolderKey(1), folder / L"gone");  // no longer there: not loaded
    ini.WriteString(kMoveCopySection, FolderKey(2), folder / L"PICS");
    ini.WriteString(kMoveCopySection, L"Stale", L"1");
    const TBatchSelection selection = Rows({L"a.vvi"});

    auto dialog = MakeDialog();
    dialog->Prepare(&selection, false, nullptr, nullptr, L"");
    TNames atStart, afterCancel;
    std::wstring textAtStart, textAfterCancel;
    TModalSteps steps({[&] {
        atStart = dialog->FolderBox().Items();
        textAtStart = dialog->FolderBox().Text();
        SendMessageW(dialog->FolderBox().Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
        SendMessageW(dialog->RenameEdit().Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"pic**"));
        Click(dialog->SaveOriginalCheckBox().Handle());
        Click(dialog->CancelBtn().Handle());
    }});
    EXPECT_FALSE(dialog->Execute(folder / L"gone", true));
    EXPECT_EQ(atStart, (TNames{folder / L"Other", folder / L"PICS"}));
    EXPECT_EQ(textAtStart, folder / L"Other") << "the start folder is missing: the first remembered one";
    EXPECT_EQ(dialog->FolderBox().Items(), (TNames{typed, folder / L"Other"}));
    EXPECT_EQ(dialog->FolderBox().Text(), folder / L"PICS") << "the listed form stays the box's text";

    dialog.reset();
    EXPECT_EQ(ini.ReadSection(kMoveCopySection),
              (TNames{L"Folder0", L"Folder1", kRenameTextKey, kErrorToOriginalKey, kChangeBmpKey}));
    EXPECT_EQ(Setting(L"Folder0"), typed);
    EXPECT_EQ(Setting(L"Folder1"), folder / L"Other");
    EXPECT_EQ(Setting(kRenameTextKey), L"pic**");
    EXPECT_EQ(Setting(kErrorToOriginalKey), L"0");
    EXPECT_EQ(Setting(kChangeBmpKey), L"1");
}

TEST_F(FileOperationTest, SideButtonsAskThePickerAndShowTheHelp) {
    CreateDirectoryW((folder / L"start").c_str(), nullptr);
    struct TCase {
        std::wstring typed;
        std::optional<TFolderChoice> answer;
        std::wstring initialFolder, textAfter;
    };
    const TCase cases[] = {
        {folder / L"start", TFolderChoice{folder / L"picked", L"picked"}, folder / L"start", folder / L"picked"},
        {folder / L"nowhere", std::nullopt, L"", folder / L"nowhere"},
    };
    const TBatchSelection selection = Rows({L"a.vvi"});
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.typed);
        TScriptedFileDialogs pickers;
        pickers.PushFolder(c.answer);
        TFileDialogsScope pickerScope(pickers);
        TScriptedPrompt prompt;
        TPromptScope promptScope(prompt);
        auto dialog = MakeDialog();
        dialog->Prepare(&selection, false, nullptr, nullptr, L"");
        std::wstring textAfter, folderTip, moveTip;
        TModalSteps steps({
            [&] {
                dialog->FolderBox().SetText(c.typed);
                Click(dialog->RefferToBtn().Handle());
                Click(dialog->RenameHelpBtn().Handle());
            },
            [&] {
                textAfter = dialog->FolderBox().Text();
                folderTip = dialog->Hints().TipText(dialog->FolderBox().Handle());
                moveTip = dialog->Hints().TipText(dialog->MoveBtn().Handle());
                CloseBySystemMenu(*dialog);
            },
        });
        EXPECT_TRUE(dialog->Execute(L"", false));
        ASSERT_EQ(pickers.FolderRequests().size(), 1u);
        EXPECT_EQ(pickers.FolderRequests()[0].caption, L"フォルダを選択して下さい");
        EXPECT_EQ(pickers.FolderRequests()[0].initialFolder, c.initialFolder);
        EXPECT_EQ(textAfter, c.textAfter);
        ASSERT_EQ(prompt.Questions().size(), 1u);
        EXPECT_EQ(prompt.Questions()[0].text, RenameHelpText());
        EXPECT_NE(folderTip.find(L"記入"), std::wstring::npos);
        EXPECT_EQ(folderTip.find(L'|'), std::wstring::npos);
        EXPECT_NE(moveTip.find(L"移動します。"), std::wstring::npos);
        EXPECT_NE(moveTip.find(L"元ファイル"), std::wstring::npos);
    }
}

TEST_F(FileOperationTest, CopyRunsTheEngineWhileTheDialogIsOpen) {
    WriteFileText(source / L"a.vvi", "aaa");
    WriteFileText(source / L"b.vvi", "bbb");
    struct TCase {
        bool destinationExists;
        size_t errorsShown;
    };
    for (const TCase c : {TCase{true, 0}, TCase{false, 1}}) {
        SCOPED_TRACE(c.destinationExists);
        TTempDir destinations;
        const std::wstring target = c.destinationExists ? destinations.Path() : destinations / L"missing";
        ini.WriteBool(kMoveCopySection, kChangeBmpKey, false);
        TScriptedPrompt prompt;
        TPromptScope promptScope(prompt);
        auto dialog = MakeDialog();
        const TBatchSelection selection = Rows({L"a.vvi", L"b.vvi"});
        dialog->Prepare(&selection, false, nullptr, nullptr, L"");
        TNames confirmed;
        bool openDuringRun = false;
        TBatchConfirmationScope confirmation([&](TBatchList& list) {
            confirmed = list.destinations;
            openDuringRun = dialog->Visible();
            return true;
        });
        TModalSteps steps({[&] {
            dialog->FolderBox().SetText(target);
            if (c.destinationExists) {
                UpdateWindow(dialog->Handle());
                SaveWindowPng(dialog->Handle(), L"file_operation");
            }
            Click(dialog->CopyBtn().Handle());
        }});
        EXPECT_TRUE(dialog->Execute(L"", false));
        EXPECT_FALSE(dialog->Visible());
        EXPECT_EQ(prompt.Questions().size(), c.errorsShown);
        if (c.destinationExists) {
            EXPECT_TRUE(openDuringRun);
            EXPECT_EQ(confirmed, (TNames{target + L"\\a.vvi", target + L"\\b.vvi"}));
            EXPECT_EQ(ReadFileText(target + L"\\b.vvi"), "bbb");
            EXPECT_EQ(dialog->FolderBox().Items(), TNames{target}) << "the folder is remembered";
        } else {
            EXPECT_EQ(prompt.Questions()[0].text, FolderNotFoundMessage(target));
            EXPECT_TRUE(dialog->FolderBox().Items().empty()) << "a missing folder is not remembered";
        }
        EXPECT_TRUE(IsExistingFile(source / L"a.vvi")) << "copying keeps the sources";
        EXPECT_EQ(dialog->StatusPanel().Text(), L"");
        EXPECT_EQ(dialog->ProgressBar().Position(), 0);
    }
}

}  // namespace
