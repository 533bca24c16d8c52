// The real program at the edges, driven from outside: an archive of 100,000 members, a folder whose
// files vanish after it was listed, members whose names climb out of the folder, and an image
// plug-in that crashes on one file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/TempDir.h"
#include "common/WindowTest_win.h"
#include "e2e/ProgramDriver_win.h"
#include "e2e/UserActions_win.h"
#include "resources/ResourceIds.h"
#include "spi/ArchiveWriter.h"
#include "toolkit/TextUtil.h"
#include "toolkit/WinPath_win.h"

namespace {

// The names in a folder, "." and ".." left out.
std::vector<std::wstring> FolderNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

struct TCountWait {
    HWND list;
    int count;
};

bool WaitForCount(HWND list, int count, DWORD timeoutMs) {
    TCountWait wait{list, count};
    return WaitFor([](void* p) {
        auto* w = static_cast<TCountWait*>(p);
        return ListCount(w->list) == w->count;
    }, &wait, timeoutMs);
}

// The test plug-ins' picture format: "VVI1", width, height, then 3 bytes a pixel.
std::vector<unsigned char> TestPicture(int width, int height) {
    std::vector<unsigned char> bytes = {'V', 'V', 'I', '1', static_cast<unsigned char>(width), 0,
                                        static_cast<unsigned char>(height), 0};
    bytes.resize(bytes.size() + static_cast<size_t>(width * height * 3), 0x80);
    return bytes;
}

std::wstring TestPluginFolder() {
    std::wstring relative = Utf8ToWide(VV_TEST_SPI_DIR);
    for (wchar_t& c : relative)
        if (c == L'/') c = L'\\';
    return ModuleFolder(nullptr) + L"\\" + relative;
}

TEST(ProgramEdges, ListsAnArchiveOfAHundredThousandMembers) {
    TTempDir folder;
    TTempDir work;
    TStepShots shots(L"edges-many");
    std::vector<TZipMemberDef> members(100000);
    for (size_t i = 0; i < members.size(); ++i) {
        char name[32];
        snprintf(name, sizeof name, "p%06zu.bmp", i);
        members[i].name = name;
        members[i].data = Bytes("BM");
    }
    const std::wstring archive = work / L"many.zip";
    WriteFileBytes(archive, WriteZip(members));

    TProgramDriver program(folder.Path());
    ASSERT_TRUE(program.Start({archive}));
    HWND list = program.MemberList();
    EXPECT_TRUE(WaitForCount(list, 100000, 120000)) << ListCount(list) << " rows";
    shots.Shot(program.MainWindow(), L"hundred-thousand-members");
    ChooseMenuCommand(program.MainWindow(), IDM_MAIN_SELECT_ALL);
    EXPECT_TRUE(WaitForStatus(program, 1, L"100000個のファイルを選択"));
    EXPECT_EQ(program.Close(), 0u);
}

TEST(ProgramEdges, AFileThatVanishedAfterListingIsReportedAndNothingElseChanges) {
    TTempDir folder;
    TTempDir work;
    TStepShots shots(L"edges-vanished");
    const std::wstring pictures = work / L"pictures";
    CreateDirectoryW(pictures.c_str(), nullptr);
    for (const wchar_t* name : {L"a.bmp", L"b.bmp"}) WriteFileBytes(pictures + L"\\" + name, {'B', 'M'});
    TProgramDriver program(folder.Path());
    ASSERT_TRUE(program.Start({pictures}));
    HWND list = program.MemberList();
    ASSERT_TRUE(WaitForCount(list, 2, 10000));

    DeleteFileW((pictures + L"\\a.bmp").c_str());
    Click(list, 20, 5, true);
    HWND message = program.WaitForWindow(L"#32770");
    ASSERT_TRUE(message) << "showing a vanished file says why it cannot";
    shots.Shot(message, L"vanished-file");
    EXPECT_NE(DialogMessage(message).find(L"a.bmp"), std::wstring::npos) << WideToUtf8(DialogMessage(message));
    PressButton(message, IDOK);
    EXPECT_TRUE(WaitForShown(message, false));
    EXPECT_TRUE(FileExists(pictures + L"\\b.bmp"));
    EXPECT_EQ(program.Close(), 0u) << "the program goes on";
}

TEST(ProgramEdges, MembersNamedOutOfTheFolderAreNotWrittenOutsideIt) {
    TTempDir folder;
    TTempDir work;
    TStepShots shots(L"edges-climbing");
    const std::wstring saveFolder = work / L"save";
    CreateDirectoryW(saveFolder.c_str(), nullptr);
    std::vector<TZipMemberDef> members(3);
    members[0].name = "..\\escaped.bmp";
    members[1].name = "../../escaped2.bmp";
    members[2].name = "inside.bmp";
    for (TZipMemberDef& m : members) m.data = Bytes("BM");
    const std::wstring archive = work / L"climbing.zip";
    WriteFileBytes(archive, WriteZip(members));

    TProgramDriver program(folder.Path());
    WritePrivateProfileStringW(L"FolderSetting", L"BrowseFolder", saveFolder.c_str(), program.IniPath().c_str());
    ASSERT_TRUE(program.Start({archive}));
    HWND list = program.MemberList();
    ASSERT_TRUE(WaitForCount(list, 3, 10000));
    shots.Shot(program.MainWindow(), L"climbing-names-listed");
    ChooseMenuCommand(program.MainWindow(), IDM_MAIN_SELECT_ALL);
    ASSERT_TRUE(WaitForStatus(program, 1, L"3個のファイルを選択"));
    ChooseMenuCommand(program.MainWindow(), IDM_MAIN_SAVE_TO_SAVE_FOLDER);
    // The question, then whatever the program says about the names; every box is answered.
    for (int boxes = 0; boxes < 5; ++boxes) {
        HWND box = program.WaitForWindow(L"#32770", 3000);
        if (!box) break;
        shots.Shot(box, L"climbing-names-saving");
        PressButton(box, GetDlgItem(box, IDYES) ? IDYES : IDOK);
        WaitForShown(box, false);
    }
    EXPECT_EQ(FolderNames(work.Path()), (std::vector<std::wstring>{L"climbing.zip", L"save"}));
    // A member is saved under the last part of its name, inside the save folder.
    EXPECT_EQ(FolderNames(saveFolder), (std::vector<std::wstring>{L"escaped.bmp", L"escaped2.bmp", L"inside.bmp"}));
    EXPECT_EQ(program.Close(), 0u);
}

// What a user meets when an image plug-in crashes on one file. A 32-bit process on Windows of our
// day, and Wine, swallow an exception raised inside a window's message handling: the program goes
// on, the picture stays as it was and no message says why; the plug-in is left marked as busy, so
// every later use of it in this session is refused with a message. Where the exception is not
// swallowed, the program ends at once and its settings of the session are lost. Either way the
// files stay as they were. Running plug-ins in a process of their own would turn both into an
// error message for the one file.
TEST(ProgramEdges, AnImagePluginThatCrashesOnOneFileIsUnusableForTheSession) {
    TTempDir folder;
    TTempDir work;
    TStepShots shots(L"edges-crash");
    ASSERT_TRUE(CopyFileW((TestPluginFolder() + L"\\crashimage.spi").c_str(), (folder / L"crashimage.spi").c_str(), FALSE));
    const std::wstring pictures = work / L"pictures";
    CreateDirectoryW(pictures.c_str(), nullptr);
    WriteFileBytes(pictures + L"\\a.vvi", TestPicture(4, 4));
    WriteFileBytes(pictures + L"\\b.vvi", TestPicture(13, 2));  // the width the plug-in fails on
    TProgramDriver program(folder.Path());
    ASSERT_TRUE(program.Start({pictures}));
    HWND list = program.MemberList();
    ASSERT_TRUE(WaitForCount(list, 2, 10000));

    Click(list, 20, 5, true);
    HWND view = program.WaitForWindow(L"TImgViewForm");
    ASSERT_TRUE(view);
    EXPECT_TRUE(WaitForCaption(view, L"a.vvi("));
    shots.Shot(view, L"good-picture-before-the-crash");
    PressKey(view, VK_SPACE);
    const DWORD ended = program.WaitForExit(5000);
    shots.Shot(GetDesktopWindow(), L"after-paging-to-the-file-it-fails-on");
    if (ended != STILL_ACTIVE) {
        EXPECT_EQ(ended, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
        EXPECT_FALSE(FileExists(program.IniPath())) << "the settings of the session were never written";
    } else {
        EXPECT_TRUE(WaitForCaption(view, L"a.vvi(")) << "the picture stays";
        EXPECT_FALSE(program.ShownWindow(L"#32770")) << "no message says why";
        Click(list, 20, 5, true);
        HWND refused = program.WaitForWindow(L"#32770");
        ASSERT_TRUE(refused) << "the plug-in is refused from now on";
        EXPECT_NE(DialogMessage(refused).find(L"crashimage.spi]は処理中のため"), std::wstring::npos)
            << WideToUtf8(DialogMessage(refused));
        shots.Shot(refused, L"plug-in-refused-for-the-session");
        PressButton(refused, IDOK);
        EXPECT_TRUE(WaitForShown(refused, false));
        EXPECT_EQ(program.Close(), 0u);
    }
    EXPECT_EQ(FolderNames(pictures), (std::vector<std::wstring>{L"a.vvi", L"b.vvi"}));
}

}  // namespace
