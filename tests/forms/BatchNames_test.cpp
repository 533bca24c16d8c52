#include "forms/BatchNames.h"

#include <gtest/gtest.h>

#include "app/SaveTarget.h"
#include "forms/BatchTexts.h"
#include "toolkit/Exceptions.h"

TEST(BatchNames, RenameDefinitions) {
    struct Case {
        const wchar_t* definition;
        size_t count;
        const wchar_t* error;  // null: accepted
        const wchar_t* first;
    };
    const Case cases[] = {
        {L"ABCD****", 3, nullptr, L"ABCD0000"},
        {L"AB*", 9, nullptr, L"AB0"},
        {L"AB*", 10, kTooFewDigits, nullptr},
        {L"AB**", 99, nullptr, L"AB00"},
        {L"AB**", 100, kTooFewDigits, nullptr},
        {L"A*********", 1, nullptr, L"A000000000"},  // nine digits
        {L"A**********", 1, kTooFewDigits, nullptr},  // ten would overflow the limit
        {L"A******************************", 0, kTooFewDigits, nullptr},
        {L"****", 1, kBadRenameDefinition, nullptr},
        {L"AB*C*", 1, kBadRenameDefinition, nullptr},
        {L"AB", 1, kBadRenameDefinition, nullptr},
        {L"", 1, kBadRenameDefinition, nullptr},
        {L"A:B**", 1, kBadRenameCharacter, nullptr},
        {L"A\"B*", 1, kBadRenameCharacter, nullptr},
        {L"A\\B*", 1, kBadRenameCharacter, nullptr},
        {L"A\tB*", 1, kBadRenameCharacter, nullptr},
        {L"日本*", 1, nullptr, L"日本0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.definition)));
        try {
            const TRenameDefinition d = ParseRenameDefinition(c.definition, c.count);
            EXPECT_EQ(c.error, nullptr);
            if (c.first) {
                EXPECT_EQ(d.Name(0), c.first);
            }
        } catch (const Exception& e) {
            ASSERT_NE(c.error, nullptr) << testing::PrintToString(e.Message());
            EXPECT_EQ(e.Message(), c.error);
        }
    }
    EXPECT_EQ(ParseRenameDefinition(L"AB**", 99).Name(98), L"AB98");
}

TEST(BatchNames, DestinationNames) {
    using V = std::vector<std::wstring>;
    const V files = {L"C:\\x\\a.PNG", L"C:\\y\\b.BMP", L"C:\\y\\noext"};
    struct Case {
        const char* name;
        V sources;
        TBatchNaming naming;
        V want;
    };
    const Case cases[] = {
        {"copy", files, {false, TBatchKind::bkCopy, false, false, L"", L"D:\\out\\"},
         {L"D:\\out\\a.PNG", L"D:\\out\\b.BMP", L"D:\\out\\noext"}},
        {"move, converted", files, {false, TBatchKind::bkMove, false, true, L"", L"D:\\out"},
         {L"D:\\out\\a.BMP", L"D:\\out\\b.BMP", L"D:\\out\\noext.BMP"}},
        {"overwrite, converted: own folders", files, {false, TBatchKind::bkOverwrite, false, true, L"", L"D:\\out"},
         {L"C:\\x\\a.BMP", L"C:\\y\\b.BMP", L"C:\\y\\noext.BMP"}},
        {"copy, renamed from 0", files, {false, TBatchKind::bkCopy, true, false, L"ABCD****", L"D:\\out"},
         {L"D:\\out\\ABCD0000.PNG", L"D:\\out\\ABCD0001.BMP", L"D:\\out\\ABCD0002"}},
        {"overwrite, renamed and converted", files, {false, TBatchKind::bkOverwrite, true, true, L"p*", L""},
         {L"C:\\x\\p0.BMP", L"C:\\y\\p1.BMP", L"C:\\y\\p2.BMP"}},
        {"members: last component only", {L"dir/a.jpg", L"..\\..\\b.png"},
         {true, TBatchKind::bkCopy, false, true, L"", L"D:\\out"}, {L"D:\\out\\a.BMP", L"D:\\out\\b.BMP"}},
        {"members renamed keep their extension", {L"dir.x/a.jpg", L"c"},
         {true, TBatchKind::bkCopy, true, false, L"n**", L"D:\\out"}, {L"D:\\out\\n00.jpg", L"D:\\out\\n01"}},
        {"no sources", {}, {false, TBatchKind::bkCopy, true, false, L"n*", L"D:\\out"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BuildDestinationNames(c.sources, c.naming), c.want);
    }
}

TEST(BatchNames, RefusedOperations) {
    struct Case {
        const char* name;
        std::vector<std::wstring> sources;
        TBatchNaming naming;
        const wchar_t* error;
    };
    const Case cases[] = {
        {"move from an archive", {L"a.jpg"}, {true, TBatchKind::bkMove, false, true, L"", L"D:\\"}, kBadBatchKind},
        {"overwrite in an archive", {L"a.jpg"}, {true, TBatchKind::bkOverwrite, true, true, L"a*", L"D:\\"}, kBadBatchKind},
        {"invalid kind", {L"C:\\a.jpg"}, {false, TBatchKind::bkInvalid, false, true, L"", L"D:\\"}, kBadBatchKind},
        {"overwrite onto itself", {L"C:\\a.jpg"}, {false, TBatchKind::bkOverwrite, false, false, L"", L""}, kOverwriteItself},
        {"too many for the digits", {L"C:\\1", L"C:\\2"}, {false, TBatchKind::bkCopy, true, false, L"a*", L"D:\\"}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::wstring> sources = c.sources;
        if (!c.error) sources.resize(10, L"C:\\x");
        try {
            BuildDestinationNames(sources, c.naming);
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.error ? c.error : kTooFewDigits);
        }
    }
    // Hostile member names and numbered device names are refused before anything is written.
    EXPECT_THROW(BuildDestinationNames({L"ok.jpg", L"x/.."}, {true, TBatchKind::bkCopy, false, false, L"", L"D:\\"}),
                 EUnsafeFileName);
    EXPECT_THROW(BuildDestinationNames({L"a:b"}, {true, TBatchKind::bkCopy, true, false, L"n*", L"D:\\"}), EUnsafeFileName);
    EXPECT_THROW(BuildDestinationNames({L"C:\\a", L"C:\\b"}, {false, TBatchKind::bkCopy, true, false, L"COM*", L"D:\\"}),
                 EUnsafeFileName);
}

TEST(BatchNames, StatusAndMessages) {
    EXPECT_EQ(BatchStatusSuffix(TBatchKind::bkOverwrite), L" 上書き中...");
    EXPECT_EQ(BatchStatusSuffix(TBatchKind::bkMove), L" 移動中...");
    EXPECT_EQ(BatchStatusSuffix(TBatchKind::bkCopy), L" コピー中...");
    EXPECT_EQ(BatchStatusSuffix(TBatchKind::bkInvalid), L"");
    EXPECT_EQ(FolderNotFoundMessage(L"D:\\out"), L"フォルダ\n\rD:\\out\n\rが見つかりません。");
    EXPECT_EQ(ArchiveNotFoundMessage(L"D:\\a.zip"), L"ファイル\n\rD:\\a.zip\n\rが見つかりません。");
}
