// Saving and moving onto disks that refuse: a read-only save folder and a full one. The program says
// what failed, leaves no half-written file behind and never loses the source. The script
// tests/e2e/hostile-disks-test mounts the two small file systems and names them in
// VV_READONLY_FOLDER and VV_FULL_FOLDER.
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
#include "toolkit/TextUtil.h"

namespace {

ULONGLONG FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Answers every box the program shows until none comes: Yes where it asks, OK where it tells.
// Returns the messages, in order.
std::vector<std::wstring> AnswerBoxes(const TProgramDriver& program, TStepShots& shots, const std::wstring& step) {
    std::vector<std::wstring> messages;
    for (int boxes = 0; boxes < 6; ++boxes) {
        HWND box = program.WaitForWindow(L"#32770", 4000);
        if (!box) break;
        messages.push_back(DialogMessage(box));
        shots.Shot(box, step);
        PressButton(box, GetDlgItem(box, IDYES) ? IDYES : IDOK);
        WaitForShown(box, false);
    }
    return messages;
}

std::string Joined(const std::vector<std::wstring>& messages) {
    std::string all;
    for (const std::wstring& m : messages) all += WideToUtf8(m) + " | ";
    return all;
}

// Opens the sample archive with the save folder given, selects the row, and saves it there as the
// tool bar's button does.
std::vector<std::wstring> SaveFirstRowTo(const std::wstring& saveFolder, int row, TStepShots& shots,
                                         const std::wstring& step) {
    TTempDir folder;
    TProgramDriver program(folder.Path());
    WritePrivateProfileStringW(L"FolderSetting", L"BrowseFolder", saveFolder.c_str(), program.IniPath().c_str());
    EXPECT_TRUE(program.Start({SampleZip()}));
    HWND list = program.MemberList();
    ClickRow(list, row);
    EXPECT_TRUE(WaitForStatus(program, 1, L"1個のファイルを選択"));
    Click(program.Control(IDC_MAIN_TB_SAVE_TO_SAVE_FOLDER), 5, 5);
    std::vector<std::wstring> messages = AnswerBoxes(program, shots, step);
    EXPECT_EQ(program.Close(), 0u) << "the program goes on";
    return messages;
}

TEST(HostileDisks, SavingToAReadOnlyFolderSaysSoAndWritesNothing) {
    const std::wstring readOnly = EnvironmentText(L"VV_READONLY_FOLDER");
    ASSERT_FALSE(readOnly.empty());
    TStepShots shots(L"disks-readonly");
    const std::vector<std::wstring> messages = SaveFirstRowTo(readOnly, 0, shots, L"save-to-read-only-folder");
    ASSERT_EQ(messages.size(), 2u) << "the question, then the failure: " << Joined(messages);
    EXPECT_NE(messages[1].find(L"landscape.png"), std::wstring::npos) << Joined(messages);
    EXPECT_FALSE(FileExists(readOnly + L"\\landscape.png"));
}

TEST(HostileDisks, SavingToAFullDiskSaysSoAndLeavesNoHalfFile) {
    const std::wstring full = EnvironmentText(L"VV_FULL_FOLDER");
    ASSERT_FALSE(full.empty());
    TStepShots shots(L"disks-saving");
    // checker.bmp, the fourth member, is 57,654 bytes; the disk has room for less.
    const std::vector<std::wstring> messages = SaveFirstRowTo(full, 3, shots, L"save-to-full-disk");
    ASSERT_EQ(messages.size(), 2u) << "the question, then the failure: " << Joined(messages);
    EXPECT_FALSE(FileExists(full + L"\\checker.bmp")) << "a half-written file of " << FileSize(full + L"\\checker.bmp");
}

// Moves one row of the folder list through the file operation dialog, keeping the format, into
// the folder; returns the messages the program showed.
std::vector<std::wstring> MoveRow(const TProgramDriver& program, int row, const std::wstring& folder,
                                  TStepShots& shots, const std::wstring& step) {
    HWND list = program.MemberList();
    ClickRow(list, row);
    EXPECT_TRUE(WaitForStatus(program, 1, L"1個のファイルを選択"));
    ChooseMenuCommand(program.MainWindow(), IDM_MAIN_COPY_MOVE);
    HWND dialog = program.WaitForWindow(L"TFileOperationDialog");
    if (!dialog) return {L"no file operation dialog"};
    HWND edit = FindWindowExW(FindDescendant(dialog, IDC_FILEOP_FOLDER), nullptr, L"Edit", nullptr);
    TypeText(edit, folder);
    PostMessageW(ChildWithText(dialog, L"オリジナル形式"), BM_CLICK, 0, 0);
    Settle(300);
    shots.Shot(dialog, step);
    PressButton(dialog, IDC_FILEOP_MOVE);
    HWND check = program.WaitForWindow(L"TCheckListDlg");
    if (!check) return {L"no check list"};
    PressButton(check, IDC_CHECKLIST_OK);
    return AnswerBoxes(program, shots, step + L"-answer");
}

std::vector<unsigned char> ReadBytes(const std::wstring& path) {
    std::vector<unsigned char> bytes(static_cast<size_t>(FileSize(path)));
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD read = 0;
    if (h != INVALID_HANDLE_VALUE) {
        ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        CloseHandle(h);
    }
    return bytes;
}

TEST(HostileDisks, MovingOntoAFullDiskKeepsTheSourceAndTheFileItWouldReplace) {
    const std::wstring full = EnvironmentText(L"VV_FULL_FOLDER");
    ASSERT_FALSE(full.empty());
    TStepShots shots(L"disks-moving");
    TTempDir folder;
    TTempDir work;
    std::vector<unsigned char> bytes(200000, 0x55);
    bytes[0] = 'B', bytes[1] = 'M';
    WriteFileBytes(work / L"new.bmp", bytes);
    WriteFileBytes(work / L"old.bmp", bytes);
    const std::vector<unsigned char> older = {'B', 'M', 'o', 'l', 'd'};
    WriteFileBytes(full + L"\\old.bmp", older);
    TProgramDriver program(folder.Path());
    ASSERT_TRUE(program.Start({work.Path()}));
    ASSERT_TRUE(WaitFor([](void* p) { return ListCount(static_cast<HWND>(p)) == 2; }, program.MemberList()));

    // A file the disk has no room for: the move fails and says so.
    std::vector<std::wstring> messages = MoveRow(program, 0, full, shots, L"move-new-file");
    EXPECT_FALSE(messages.empty()) << "the failure is reported";
    EXPECT_EQ(ReadBytes(work / L"new.bmp"), bytes) << "the source is kept whole: " << Joined(messages);
    EXPECT_FALSE(FileExists(full + L"\\new.bmp")) << "a half-written file of " << FileSize(full + L"\\new.bmp");

    // Over a file of the same name, answered Yes: the file it would replace stays as it was.
    messages = MoveRow(program, 1, full, shots, L"move-over-a-file");
    ASSERT_GE(messages.size(), 2u) << "the overwrite question, then the failure: " << Joined(messages);
    EXPECT_EQ(ReadBytes(work / L"old.bmp"), bytes) << "the source is kept whole: " << Joined(messages);
    EXPECT_EQ(ReadBytes(full + L"\\old.bmp"), older) << Joined(messages);
    EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
