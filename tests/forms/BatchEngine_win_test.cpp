// The batch engine on real files in temporary folders: copying, moving and renaming with and without
// conversion, the overwrite question scripted, the confirmation scripted, extraction from an
// archive through the tests' plug-ins, and the refusals that leave every file where it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>

#include "app/ArchiveEntry.h"
#include "common/TempDir.h"
#include "forms/BatchEngine_win.h"
#include "forms/BatchTexts.h"
#include "plugins/PluginTestEnv.h"
#include "plugins/SPIs.h"
#include "toolkit/Application_win.h"
#include "toolkit/Prompt.h"

namespace {

using enum TPromptAnswer;
using TBytes = std::vector<uint8_t>;

// The names in a folder, sorted, separated by spaces: a temporary file left behind shows here.
std::string Names(const std::wstring& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& n : names) joined += (joined.empty() ? "" : " ") + n;
    return joined;
}

std::string Head(const std::wstring& path, size_t count) { return ReadFileText(path).substr(0, count); }

// Records what the engine reports.
struct TRecordingProgress : TBatchProgress {
    void SetStatus(const std::wstring& text) override { statuses.push_back(text); }
    void SetMaximum(int m) override { maximum = m; }
    void Step() override { ++position; }
    void Reset() override { position = 0; }
    std::vector<std::wstring> statuses;
    int maximum = -1;
    int position = 0;
};

class BatchEngineTest : public ::testing::Test {
protected:
    void SetUp() override { Application().Initialize(); }

    // Five pictures a.vvi .. e.vvi in the source folder (each its own pixels).
    std::vector<std::wstring> Pictures(const std::string& letters = "abcde") {
        std::vector<std::wstring> paths;
        uint32_t seed = 1;
        for (char c : letters) {
            paths.push_back(source / (std::wstring(1, static_cast<wchar_t>(c)) + L".vvi"));
            WriteFileBytes(paths.back(), VvImageFile(2, 2, seed++));
        }
        return paths;
    }
    TBatchOptions Options(TBatchKind kind) {
        TBatchOptions o;
        o.kind = kind;
        o.folder = target.Path() + L"\\";
        o.picturePlugin = &image;
        return o;
    }

    TTempDir source, target;
    TInSPI image{TestSpi(L"vvimage")};
    TAmSPI archive_{TestSpi(L"vvarchive")};
    TRecordingProgress progress;
    // Confirms every list, noting the last one seen.
    std::vector<std::wstring> confirmedSources, confirmedDestinations;
    bool confirmedDeleted = false;
    TBatchConfirmationScope confirmAll{[this](TBatchList& list) {
        confirmedSources = list.sources;
        confirmedDestinations = list.destinations;
        confirmedDeleted = list.sourcesDeleted;
        return true;
    }};
};

TEST_F(BatchEngineTest, FolderModeKindsRenamingConversionAndAnswers) {
    struct TCase {
        const char* name;
        TBatchKind kind;
        const wchar_t* rename;  // null: no renaming
        bool convert;
        const char* existing;  // a file already in the target folder ("" none), its content "old"
        std::vector<TPromptAnswer> answers;
        const char* sourceAfter;
        const char* targetAfter;
    };
    using enum TBatchKind;
    const TCase cases[] = {
        {"copy", bkCopy, nullptr, false, "", {}, "a.vvi b.vvi c.vvi d.vvi e.vvi", "a.vvi b.vvi c.vvi d.vvi e.vvi"},
        {"move renamed", bkMove, L"P**", false, "", {}, "", "P00.vvi P01.vvi P02.vvi P03.vvi P04.vvi"},
        {"overwrite renamed", bkOverwrite, L"R*", false, "", {}, "R0.vvi R1.vvi R2.vvi R3.vvi R4.vvi", ""},
        {"copy converted", bkCopy, nullptr, true, "", {}, "a.vvi b.vvi c.vvi d.vvi e.vvi", "a.BMP b.BMP c.BMP d.BMP e.BMP"},
        {"move converted renamed", bkMove, L"X*", true, "", {}, "", "X0.BMP X1.BMP X2.BMP X3.BMP X4.BMP"},
        {"overwrite converted", bkOverwrite, nullptr, true, "", {}, "a.BMP b.BMP c.BMP d.BMP e.BMP", ""},
        {"copy, No at the third", bkCopy, nullptr, false, "c.vvi", {paNo}, "a.vvi b.vvi c.vvi d.vvi e.vvi",
         "a.vvi b.vvi c.vvi d.vvi e.vvi"},
        {"move, Cancel at the third", bkMove, nullptr, false, "c.vvi", {paCancel}, "c.vvi d.vvi e.vvi", "a.vvi b.vvi c.vvi"},
        {"move converted, No at the third", bkMove, nullptr, true, "c.BMP", {paNo}, "c.vvi", "a.BMP b.BMP c.BMP d.BMP e.BMP"},
        {"move converted, Cancel at the third", bkMove, nullptr, true, "c.BMP", {paCancel}, "c.vvi d.vvi e.vvi",
         "a.BMP b.BMP c.BMP"},
        {"move converted, Yes at the third", bkMove, L"A*", true, "A2.BMP", {paYes}, "", "A0.BMP A1.BMP A2.BMP A3.BMP A4.BMP"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TTempDir from, into;
        std::vector<std::wstring> sources;
        for (const wchar_t* n : {L"a", L"b", L"c", L"d", L"e"}) {
            sources.push_back(from / (std::wstring(n) + L".vvi"));
            WriteFileBytes(sources.back(), VvImageFile(2, 2, static_cast<uint32_t>(sources.size())));
        }
        const std::wstring existing(c.existing, c.existing + std::strlen(c.existing));
        if (!existing.empty()) WriteFileText(into / existing, "old");
        TBatchOptions o = Options(c.kind);
        o.folder = into.Path();
        o.rename = c.rename != nullptr;
        o.renameDefinition = c.rename ? c.rename : L"";
        o.convert = c.convert;
        TScriptedPrompt prompt(c.answers);
        TPromptScope scope(prompt);
        TRecordingProgress p;
        EXPECT_TRUE(CopyFiles(sources, o, p));

        EXPECT_EQ(prompt.Questions().size(), c.answers.size());
        EXPECT_EQ(Names(from.Path()), c.sourceAfter);
        EXPECT_EQ(Names(into.Path()), c.targetAfter);
        EXPECT_EQ(confirmedDeleted, c.kind != bkCopy);
        EXPECT_EQ(p.maximum, 5);
        EXPECT_EQ(p.position, 0) << "the bar goes back to 0";
        EXPECT_EQ(p.statuses.back(), L"");
        if (!existing.empty() && c.answers[0] != paYes) {
            EXPECT_EQ(ReadFileText(into / existing), "old");
        }
        if (c.convert) {
            const std::wstring written = (c.kind == bkOverwrite ? from : into) /
                                         (c.rename ? std::wstring(c.rename).substr(0, 1) + L"0.BMP" : L"a.BMP");
            // The first file is converted in every case (its answers come later).
            EXPECT_EQ(Head(written, 2), "BM");
        }
    }
}

TEST_F(BatchEngineTest, StatusTextsFollowEachFile) {
    const auto sources = Pictures("ab");
    WriteFileText(source / L"b.vvi", "not a picture");
    TBatchOptions o = Options(TBatchKind::bkMove);
    o.convert = true;
    o.errorToOriginal = true;
    EXPECT_TRUE(CopyFiles(sources, o, progress));
    EXPECT_EQ(progress.statuses, (std::vector<std::wstring>{L"a.vvi 変換中...", L"a.vvi 移動中...", L"b.vvi 変換中...",
                                                            L"変換失敗 移動中...", L""}));
    EXPECT_EQ(Names(target.Path()), "a.BMP b.vvi");
    EXPECT_EQ(ReadFileText(target / L"b.vvi"), "not a picture");
    EXPECT_EQ(Names(source.Path()), "") << "the copied original's source is moved too";
}

TEST_F(BatchEngineTest, ConversionFailureWithAndWithoutErrorToOriginal) {
    struct TCase {
        TBatchKind kind;
        bool errorToOriginal;
        const wchar_t* rename;
        const char* sourceAfter;
        const char* targetAfter;
    };
    using enum TBatchKind;
    const TCase cases[] = {
        {bkMove, false, nullptr, "bad.vvi", "a.BMP"},
        {bkMove, true, nullptr, "", "a.BMP bad.vvi"},
        {bkCopy, true, L"N*", "a.vvi bad.vvi", "N0.BMP N1.vvi"},
        // The original under its own name is the source itself: nothing to write, nothing lost.
        {bkOverwrite, true, nullptr, "a.BMP bad.vvi", ""},
        {bkOverwrite, false, nullptr, "a.BMP bad.vvi", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << c.errorToOriginal);
        TTempDir from, into;
        WriteFileBytes(from / L"a.vvi", VvImageFile(1, 1));
        WriteFileText(from / L"bad.vvi", "garbage");
        TBatchOptions o = Options(c.kind);
        o.folder = into.Path();
        o.convert = true;
        o.errorToOriginal = c.errorToOriginal;
        o.rename = c.rename != nullptr;
        o.renameDefinition = c.rename ? c.rename : L"";
        TScriptedPrompt prompt;
        TPromptScope scope(prompt);
        EXPECT_TRUE(CopyFiles({from / L"a.vvi", from / L"bad.vvi"}, o, progress));
        EXPECT_EQ(Names(from.Path()), c.sourceAfter);
        EXPECT_EQ(Names(into.Path()), c.targetAfter);
        EXPECT_TRUE(prompt.Questions().empty());
        if (PathExists(from / L"bad.vvi")) {
            EXPECT_EQ(ReadFileText(from / L"bad.vvi"), "garbage");
        }
    }
}

// Overwriting C:\x\a.bmp with conversion writes C:\x\a.BMP: the same file, which must survive.
TEST_F(BatchEngineTest, CaseOnlyOverwriteKeepsTheFile) {
    const auto pictures = Pictures("a");
    EXPECT_TRUE(CopyFiles(pictures, Options(TBatchKind::bkCopy), progress));  // no conversion: a.vvi
    TBatchOptions toBmp = Options(TBatchKind::bkCopy);
    toBmp.convert = true;
    toBmp.folder = source.Path();
    EXPECT_TRUE(CopyFiles({target / L"a.vvi"}, toBmp, progress));
    ASSERT_TRUE(MoveFileW((source / L"a.BMP").c_str(), (source / L"a.bmp").c_str()));
    const std::string before = ReadFileText(source / L"a.bmp");

    TBatchOptions o = Options(TBatchKind::bkOverwrite);
    o.convert = true;
    o.picturePlugin = nullptr;  // the BMP reader
    TScriptedPrompt prompt({paYes});
    TPromptScope scope(prompt);
    EXPECT_TRUE(CopyFiles({source / L"a.bmp"}, o, progress));
    ASSERT_EQ(prompt.Questions().size(), 1u);
    EXPECT_EQ(prompt.Questions()[0].text, source / L"a.BMP" + L"\n\rはすでに存在します。上書きしますか？");
    std::string names = Names(source.Path());
    std::transform(names.begin(), names.end(), names.begin(), ::tolower);
    EXPECT_EQ(names, "a.bmp a.vvi");
    EXPECT_EQ(ReadFileText(source / L"a.BMP"), before) << "rewritten from its own pixels";
}

TEST_F(BatchEngineTest, RowsFromTwoFoldersWithOneDestinationAskBeforeTheSecond) {
    TTempDir other;
    const TBatchSelection selection{{FolderRowText(L"x.vvi", 5, {2020, 1, 1}, source.Path() + L"\\"),
                                     FolderRowText(L"gone.vvi", 5, {2020, 1, 1}, source.Path()),
                                     FolderRowText(L"x.vvi", 6, {2020, 1, 1}, other.Path())},
                                    {}};
    for (TPromptAnswer answer : {paNo, paYes}) {
        SCOPED_TRACE(static_cast<int>(answer));
        TTempDir into;
        WriteFileText(source / L"x.vvi", "first");
        WriteFileText(other / L"x.vvi", "second");
        TScriptedPrompt prompt({answer});
        TPromptScope scope(prompt);
        TBatchOptions o = Options(TBatchKind::bkMove);
        o.folder = into.Path();
        EXPECT_TRUE(RunBatchOperation(selection, o, progress));
        EXPECT_EQ(confirmedSources, (std::vector<std::wstring>{source / L"x.vvi", other / L"x.vvi"}))
            << "the row whose file is gone is left out";
        EXPECT_EQ(prompt.Questions().size(), 1u) << "the second is asked about, though the first was moved there";
        EXPECT_EQ(ReadFileText(into / L"x.vvi"), answer == paNo ? "first" : "second");
        EXPECT_EQ(PathExists(other / L"x.vvi"), answer == paNo);
    }
}

TEST_F(BatchEngineTest, MoveAcrossVolumesCopiesThenDeletes) {
    // The temporary folders are on C:; Z: reaches the same machine's root as another drive.
    TTempDir other(L"Z:\\tmp");
    const auto sources = Pictures("ab");
    WriteFileText(other / L"b.vvi", "old");
    TBatchOptions o = Options(TBatchKind::bkMove);
    o.folder = other.Path();
    for (TPromptAnswer answer : {paNo, paYes}) {
        TScriptedPrompt prompt({answer});
        TPromptScope scope(prompt);
        EXPECT_TRUE(CopyFiles(sources, o, progress));
        EXPECT_EQ(prompt.Questions().size(), 1u) << "asked once, by the copy";
    }
    EXPECT_EQ(Names(source.Path()), "");
    EXPECT_EQ(Names(other.Path()), "a.vvi b.vvi");
    EXPECT_EQ(ReadFileText(other / L"b.vvi").size(), VvImageFile(2, 2).size());
}

TEST_F(BatchEngineTest, AFailingWriteLeavesTheSource) {
    const auto sources = Pictures("ab");
    CreateDirectoryW((target / L"b.BMP").c_str(), nullptr);  // where the bitmap cannot be written
    TBatchOptions o = Options(TBatchKind::bkMove);
    o.convert = true;
    TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    EXPECT_EQ(RaisedBy([&] { CopyFiles(sources, o, progress); }).message, target / L"b.BMPの書き込みに失敗しました。");
    EXPECT_EQ(Names(source.Path()), "b.vvi");
    EXPECT_EQ(Names(target.Path()), "a.BMP b.BMP") << "no temporary file left";
    EXPECT_EQ(progress.position, 0);
}

TEST_F(BatchEngineTest, ConfirmationReordersOrCancels) {
    const auto sources = Pictures("abc");
    TBatchOptions o = Options(TBatchKind::bkCopy);
    o.rename = true;
    o.renameDefinition = L"N*";
    {
        TBatchConfirmationScope cancel([](TBatchList&) { return false; });
        EXPECT_FALSE(CopyFiles(sources, o, progress));
        EXPECT_EQ(Names(target.Path()), "");
        EXPECT_EQ(progress.maximum, -1) << "nothing started";
    }
    TBatchConfirmationScope lastToTop([](TBatchList& list) {
        std::rotate(list.sources.begin(), list.sources.end() - 1, list.sources.end());
        return list.renaming;
    });
    EXPECT_TRUE(CopyFiles(sources, o, progress));
    EXPECT_EQ(ReadFileText(target / L"N0.vvi"), ReadFileText(source / L"c.vvi"));
    EXPECT_EQ(ReadFileText(target / L"N1.vvi"), ReadFileText(source / L"a.vvi"));
    o.confirm = false;
    o.renameDefinition = L"M*";
    EXPECT_TRUE(CopyFiles(sources, o, progress)) << "no confirmation asked";
    EXPECT_EQ(ReadFileText(target / L"M0.vvi"), ReadFileText(source / L"a.vvi"));
}

TEST_F(BatchEngineTest, RefusalsTouchNothing) {
    const auto sources = Pictures("ab");
    WriteFileBytes(source / L"z.vva", VvArchiveFile({{"", "a:b", 0, {1}}}));
    auto folder = [&](TBatchOptions o) {
        o.folder = source / L"missing";
        return o;
    };
    auto withKind = [&](TBatchOptions o, bool inArchive, bool rename, const wchar_t* definition) {
        o.archive = inArchive;
        o.rename = rename;
        o.renameDefinition = definition;
        o.archivePath = source / L"z.vva";
        o.archivePlugin = &archive_;
        return o;
    };
    const TArchiveEntry hostile{L"", 0xF0000000u, 1, 1, 0, L"", L"a:b"};
    const std::pair<std::function<void()>, std::wstring> cases[] = {
        {[&] { CopyFiles(sources, folder(Options(TBatchKind::bkCopy)), progress); },
         L"フォルダ\n\r" + source / L"missing" + L"\n\rが見つかりません。"},
        {[&] { CopyFiles(sources, Options(TBatchKind::bkOverwrite), progress); }, kOverwriteItself},
        {[&] { CopyFiles(sources, withKind(Options(TBatchKind::bkCopy), false, true, L"A**********"), progress); },
         kTooFewDigits},
        {[&] { ExtractMembers({hostile}, withKind(Options(TBatchKind::bkMove), true, false, L""), progress); },
         kBadBatchKind},
        {[&] {
             TBatchOptions o = withKind(Options(TBatchKind::bkCopy), true, false, L"");
             o.archivePath = source / L"none.vva";
             ExtractMembers({hostile}, o, progress);
         },
         L"ファイル\n\r" + source / L"none.vva" + L"\n\rが見つかりません。"},
        {[&] {
             TBatchOptions o = withKind(Options(TBatchKind::bkCopy), true, false, L"");
             o.archivePlugin = nullptr;
             ExtractMembers({hostile}, o, progress);
         },
         kNoArchivePluginGiven},
        {[&] { ExtractMembers({hostile}, withKind(Options(TBatchKind::bkCopy), true, false, L""), progress); },
         L"アーカイブ内のファイル名「a:b」はファイル名に使えないため、保存できません。"},
    };
    for (const auto& [run, message] : cases) {
        SCOPED_TRACE(testing::PrintToString(message));
        confirmedSources.clear();
        EXPECT_EQ(RaisedBy(run).message, message);
        EXPECT_TRUE(confirmedSources.empty()) << "refused before the confirmation";
        EXPECT_EQ(Names(source.Path()), "a.vvi b.vvi z.vva");
        EXPECT_EQ(Names(target.Path()), "");
    }
}

TEST_F(BatchEngineTest, ArchiveMembersExtractedAndConverted) {
    const std::vector<TVvMember> members = {{"", "p.vvi", 0, VvImageFile(2, 1, 1)},
                                            {"", "bad.vvi", 0, TBytes{'x', 'y'}},
                                            {"sub\\", "q.vvi", 0, VvImageFile(1, 2, 2)}};
    WriteFileBytes(source / L"m.vva", VvArchiveFile(members));
    std::vector<TSusieFileInfo> records;
    ASSERT_TRUE(archive_.ReadArchiveInfo(source / L"m.vva", records));
    TBatchSelection selection;
    for (const TSusieFileInfo& r : records)
        selection.members.push_back(ArchiveEntryFromRecord(r, [](std::string_view s) {
            return std::wstring(s.begin(), s.end());
        }));
    ASSERT_EQ(selection.members.size(), 3u);
    // Copying the archive's members into a folder.
    auto extractInto = [&](const TTempDir& into) {
        TBatchOptions o = Options(TBatchKind::bkCopy);
        o.archive = true;
        o.archivePath = source / L"m.vva";
        o.archivePlugin = &archive_;
        o.folder = into.Path();
        return o;
    };

    struct TCase {
        bool convert;
        bool errorToOriginal;
        const wchar_t* rename;
        TPromptAnswer answer;  // about bad.vvi, which is there already (paNone: it is not)
        const char* written;
        const wchar_t* lastStatus;  // before the status is cleared
    };
    const TCase cases[] = {
        {false, false, nullptr, paNone, "bad.vvi p.vvi q.vvi", L"q.vvi 解凍中..."},
        {false, false, L"M*", paNone, "M0.vvi M1.vvi M2.vvi", L"q.vvi 解凍中..."},
        {true, false, nullptr, paNone, "p.BMP q.BMP", L"q.vvi 解凍&変換中..."},
        {true, true, L"C**", paNone, "C00.BMP C01.vvi C02.BMP", L"q.vvi 解凍&変換中..."},
        {false, false, nullptr, paNo, "bad.vvi p.vvi q.vvi", L"q.vvi 解凍中..."},
        {false, false, nullptr, paCancel, "bad.vvi p.vvi", L"bad.vvi 解凍中..."},  // Cancel stops here too
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.convert << c.errorToOriginal);
        TTempDir into;
        TBatchOptions o = extractInto(into);
        o.convert = c.convert;
        o.errorToOriginal = c.errorToOriginal;
        o.rename = c.rename != nullptr;
        o.renameDefinition = c.rename ? c.rename : L"";
        if (c.answer != paNone) WriteFileText(into / L"bad.vvi", "old");
        TScriptedPrompt prompt({c.answer});
        TPromptScope scope(prompt);
        TRecordingProgress p;
        EXPECT_TRUE(RunBatchOperation(selection, o, p));
        EXPECT_EQ(Names(into.Path()), c.written);
        EXPECT_EQ(prompt.Questions().size(), c.answer == paNone ? 0u : 1u);
        if (c.answer != paNone) {
            EXPECT_EQ(ReadFileText(into / L"bad.vvi"), "old");
        }
        ASSERT_GE(p.statuses.size(), 2u);
        EXPECT_EQ(p.statuses[p.statuses.size() - 2], c.lastStatus);
        EXPECT_EQ(p.statuses.back(), L"");
        EXPECT_FALSE(confirmedDeleted);
        if (c.errorToOriginal) {
            EXPECT_NE(std::find(p.statuses.begin(), p.statuses.end(), L"変換失敗　解凍中..."), p.statuses.end());
            EXPECT_EQ(ReadFileText(into / L"C01.vvi"), "xy");
        }
        if (!c.convert && !c.rename && c.answer != paCancel) {
            EXPECT_EQ(ReadFileText(into / L"q.vvi"), std::string(members[2].data.begin(), members[2].data.end()));
        }
    }

    // Reordered in the confirmation, the records move with their names.
    TBatchConfirmationScope reverse([](TBatchList& list) {
        std::reverse(list.sources.begin(), list.sources.end());
        std::reverse(list.records->begin(), list.records->end());
        return true;
    });
    TTempDir into;
    TBatchOptions o = extractInto(into);
    o.rename = true;
    o.renameDefinition = L"R*";
    TScriptedPrompt prompt;
    TPromptScope scope(prompt);
    EXPECT_TRUE(RunBatchOperation(selection, o, progress));
    EXPECT_EQ(ReadFileText(into / L"R0.vvi"), std::string(members[2].data.begin(), members[2].data.end()));
    EXPECT_EQ(ReadFileText(into / L"R2.vvi"), std::string(members[0].data.begin(), members[0].data.end()));
}

}  // namespace
