// The overwrite question and copy, rename and move with it, on real files under Wine. Under Wine
// C: and Z: are different drives, which gives the cross-drive cases.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/FileUtil.h"
#include "toolkit/SystemInfo.h"
#include "common/TempDir.h"
#include "toolkit/Exceptions.h"
#include "toolkit/Prompt.h"

namespace {

using A = TPromptAnswer;

std::wstring OtherDriveParent() {
    // Z: maps the Unix root under Wine; its /tmp is writable.
    return PathExists(L"Z:\\tmp") ? L"Z:\\tmp" : L"";
}

std::wstring MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return L"<no exception>";
}

}  // namespace

TEST(AskOverwrite, AsksOnlyWhenTheTargetExistsAndMapsEachAnswer) {
    TTempDir dir;
    const std::wstring target = dir / L"t.bmp";
    TScriptedPrompt prompt({A::paYes, A::paNo, A::paCancel, A::paNone});
    TPromptScope scope(prompt);
    EXPECT_EQ(AskOverwrite(target), TOverwriteAnswer::oaAbsent);
    EXPECT_TRUE(prompt.Questions().empty());

    WriteFileText(target, "x");
    EXPECT_EQ(AskOverwrite(target), TOverwriteAnswer::oaYes);
    EXPECT_EQ(AskOverwrite(target), TOverwriteAnswer::oaNo);
    EXPECT_EQ(AskOverwrite(target), TOverwriteAnswer::oaCancel);
    EXPECT_EQ(AskOverwrite(target), TOverwriteAnswer::oaAbsent);  // closed some other way
    ASSERT_EQ(prompt.Questions().size(), 4u);
    const auto& q = prompt.Questions()[0];
    EXPECT_EQ(q.kind, TPromptKind::pkInformation);
    EXPECT_EQ(q.buttons, TPromptButtons::pbYesNoCancel);
    EXPECT_EQ(q.text, target + L"\n\rはすでに存在します。上書きしますか？");

    // A folder of that name is not a file to overwrite.
    CreateDirectoryW((dir / L"sub").c_str(), nullptr);
    EXPECT_EQ(AskOverwrite(dir / L"sub"), TOverwriteAnswer::oaAbsent);
}

TEST(CopyWithQuestion, EachAnswer) {
    TTempDir dir;
    const std::wstring src = dir / L"a.jpg", dst = dir / L"b.jpg";
    WriteFileText(src, "new");
    TScriptedPrompt prompt({A::paNo, A::paCancel, A::paYes});
    TPromptScope scope(prompt);

    EXPECT_TRUE(CopyWithQuestion(src, dst));  // absent: copied, nothing asked
    EXPECT_EQ(ReadFileText(dst), "new");
    EXPECT_TRUE(prompt.Questions().empty());

    WriteFileText(dst, "old");
    EXPECT_TRUE(CopyWithQuestion(src, dst));  // No: skipped, go on
    EXPECT_EQ(ReadFileText(dst), "old");
    EXPECT_FALSE(CopyWithQuestion(src, dst));  // Cancel: stop
    EXPECT_EQ(ReadFileText(dst), "old");
    EXPECT_TRUE(CopyWithQuestion(src, dst));  // Yes: replaced
    EXPECT_EQ(ReadFileText(dst), "new");
    EXPECT_EQ(ReadFileText(src), "new");

    EXPECT_EQ(MessageOf([&] { CopyWithQuestion(dir / L"missing", dir / L"c"); }), L"コピーに失敗しました。");
}

TEST(RenameWithQuestion, SameDriveAnswersAndFailures) {
    TTempDir dir;
    const std::wstring src = dir / L"a.jpg", dst = dir / L"b.jpg";
    TScriptedPrompt prompt({A::paNo, A::paCancel, A::paYes});
    TPromptScope scope(prompt);

    WriteFileText(src, "src");
    WriteFileText(dst, "dst");
    EXPECT_TRUE(RenameWithQuestion(src, dst));  // No
    EXPECT_EQ(ReadFileText(src), "src");
    EXPECT_FALSE(RenameWithQuestion(src, dst));  // Cancel
    EXPECT_EQ(ReadFileText(dst), "dst");
    EXPECT_TRUE(RenameWithQuestion(src, dst));  // Yes: the target is replaced
    EXPECT_FALSE(PathExists(src));
    EXPECT_EQ(ReadFileText(dst), "src");

    EXPECT_TRUE(RenameWithQuestion(dst, src));  // absent: plain rename
    EXPECT_EQ(ReadFileText(src), "src");
    EXPECT_EQ(MessageOf([&] { RenameWithQuestion(dir / L"missing", dir / L"x"); }), L"リネームに失敗しました。");
    EXPECT_EQ(prompt.Questions().size(), 3u);
}

TEST(RenameWithQuestion, DriveLettersAreComparedAsTheyAreWritten) {
    TTempDir dir;
    TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    std::wstring lower = dir.Path();
    lower[0] = static_cast<wchar_t>(towlower(lower[0]));
    WriteFileText(dir / L"a", "a");
    WriteFileText(dir / L"b", "b");
    // "c:" and "C:" differ; the refusal comes before any question even though the target exists.
    EXPECT_EQ(MessageOf([&] { RenameWithQuestion(dir / L"a", lower + L"\\b"); }),
              L"異なるドライブのファイルへはリネーム出来ません。");
    EXPECT_TRUE(prompt.Questions().empty());
    EXPECT_EQ(ReadFileText(dir / L"a"), "a");
}

TEST(RenameWithQuestion, ChangingOnlyTheCaseNeverLosesTheFile) {
    TTempDir dir;
    WriteFileText(dir / L"photo.jpg", "picture");
    TScriptedPrompt prompt({A::paYes});  // "PHOTO.JPG exists" is the source itself
    TPromptScope scope(prompt);
    EXPECT_TRUE(RenameWithQuestion(dir / L"photo.jpg", dir / L"PHOTO.JPG"));
    EXPECT_EQ(ReadFileText(dir / L"PHOTO.JPG"), "picture");
}

TEST(MoveWithQuestion, SameDriveOntoExistingTargetAnsweredYes) {
    TTempDir dir;
    WriteFileText(dir / L"a", "moved");
    WriteFileText(dir / L"b", "old");
    TScriptedPrompt prompt({A::paYes});
    TPromptScope scope(prompt);
    EXPECT_TRUE(MoveWithQuestion(dir / L"a", dir / L"b"));
    EXPECT_FALSE(PathExists(dir / L"a"));
    EXPECT_EQ(ReadFileText(dir / L"b"), "moved");
    EXPECT_EQ(prompt.Questions().size(), 1u);
}

TEST(MoveWithQuestion, AcrossDrivesAsksOnceAndKeepsTheSourceUnlessCopied) {
    const std::wstring parent = OtherDriveParent();
    if (parent.empty()) GTEST_SKIP() << "no second drive";
    TTempDir here, there(parent);
    ASSERT_NE(here.Path()[0], there.Path()[0]);
    const std::wstring src = here / L"a.png", dst = there / L"a.png";

    struct Case {
        const char* name;
        TPromptAnswer answer;
        bool result, sourceKept;
        const char* target;
    };
    const Case cases[] = {
        {"No: skipped, batch goes on", A::paNo, true, true, "old"},
        {"Cancel: kept, batch stops", A::paCancel, false, true, "old"},
        {"Yes: copied, then the source deleted", A::paYes, true, false, "data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileText(src, "data");
        WriteFileText(dst, "old");
        TScriptedPrompt prompt({c.answer});
        TPromptScope scope(prompt);
        EXPECT_EQ(MoveWithQuestion(src, dst), c.result);
        EXPECT_EQ(prompt.Questions().size(), 1u);  // the rename refused before asking
        EXPECT_EQ(PathExists(src), c.sourceKept);
        EXPECT_EQ(ReadFileText(dst), c.target);
    }

    // Nothing at the target: moved without a question.
    WriteFileText(src, "fresh");
    DeleteFileW(dst.c_str());
    TScriptedPrompt quiet;
    TPromptScope scope(quiet);
    EXPECT_TRUE(MoveWithQuestion(src, dst));
    EXPECT_FALSE(PathExists(src));
    EXPECT_EQ(ReadFileText(dst), "fresh");
    EXPECT_TRUE(quiet.Questions().empty());
}

TEST(MoveWithQuestion, SourceThatCannotBeDeletedIsReported) {
    const std::wstring parent = OtherDriveParent();
    if (parent.empty()) GTEST_SKIP() << "no second drive";
    TTempDir here, there(parent);
    const std::wstring src = here / L"locked.jpg";
    WriteFileText(src, "data");
    // Held open without delete sharing: the copy succeeds, the delete cannot.
    HANDLE h = CreateFileW(src.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(MessageOf([&] { MoveWithQuestion(src, there / L"locked.jpg"); }), L"削除に失敗しました。");
    CloseHandle(h);
    EXPECT_EQ(ReadFileText(src), "data");
    EXPECT_EQ(ReadFileText(there / L"locked.jpg"), "data");
}

TEST(SystemInfo, OverridesAndTheProgramFolder) {
    SetTimeZoneBiasOverride(-540);
    EXPECT_DOUBLE_EQ(UnixToLocalDateTime(0), 25569.375);
    SetTimeZoneBiasOverride(std::nullopt);
    SetScreenMetricsOverride(TScreenMetrics{800, 600, 8});
    EXPECT_EQ(ScreenMetrics().bitsPerPixel, 8);
    SetScreenMetricsOverride(std::nullopt);
    const std::wstring folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_TRUE(PathExists(folder + L"\\app_util_win_tests.exe"));
}

TEST(IsSameFile, ComparesAsTheFileSystemDoes) {
    TTempDir dir;
    WriteFileText(dir / L"a.bmp", "a");
    WriteFileText(dir / L"b.bmp", "b");
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    SetCurrentDirectoryW(dir.Path().c_str());
    struct TCase {
        std::wstring a, b;
        bool same;
    };
    const TCase cases[] = {
        {dir / L"a.bmp", dir / L"a.bmp", true},
        {dir / L"a.bmp", dir / L"A.BMP", true},         // case only
        {dir / L"a.bmp", L"a.bmp", true},               // relative to the current folder
        {dir / L"a.bmp", dir / L"x\\..\\a.bmp", true},  // a folder that is left again
        {dir / L"a.bmp", dir / L"b.bmp", false},
        {dir / L"a.bmp", dir / L"a.bmp.bak", false},
        {dir / L"gone", dir / L"GONE", true},  // no file: the names alone decide
        {dir / L"gone", dir / L"a.bmp", false},
    };
    for (const TCase& c : cases) EXPECT_EQ(IsSameFile(c.a, c.b), c.same) << WideToUtf8(c.a + L" " + c.b);
    SetCurrentDirectoryW(current);
}
