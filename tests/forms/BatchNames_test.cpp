#include "forms/BatchNames.h"

#include <gtest/gtest.h>

#include "app/SaveTarget.h"
#include "toolkit/Exceptions.h"

TEST(BatchNames, RenameDefinitions) {
    // The first name made, or the message.
    struct Case { const wchar_t* definition; size_t count; const wchar_t* result; };
    const Case cases[] = {
        {L"ABCD****", 3, L"ABCD0000"},           {L"AB*", 9, L"AB0"},
        {L"AB*", 10, kTooFewDigits},             {L"AB**", 100, kTooFewDigits},
        {L"A*********", 1, L"A000000000"},       {L"A**********", 1, kTooFewDigits},  // ten digits overflow the limit
        {L"****", 1, kBadRenameDefinition},      {L"AB*C*", 1, kBadRenameDefinition},
        {L"AB", 1, kBadRenameDefinition},        {L"", 1, kBadRenameDefinition},
        {L"A:B**", 1, kBadRenameCharacter},      {L"A\"B*", 1, kBadRenameCharacter},
        {L"A\tB*", 1, kBadRenameCharacter},      {L"日本*", 1, L"日本0"},
    };
    for (const auto& c : cases) {
        try {
            EXPECT_EQ(ParseRenameDefinition(c.definition, c.count).Name(0), c.result);
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.result) << testing::PrintToString(std::wstring(c.definition));
        }
    }
    EXPECT_EQ(ParseRenameDefinition(L"AB**", 99).Name(98), L"AB98");
}

TEST(BatchNames, DestinationNames) {
    using V = std::vector<std::wstring>;
    const V files = {L"C:\\x\\a.PNG", L"C:\\y\\b.BMP", L"C:\\y\\noext"};
    const TBatchKind copy = TBatchKind::bkCopy, over = TBatchKind::bkOverwrite;
    struct Case { const char* name; V sources; TBatchNaming naming; V want; };
    const Case cases[] = {
        {"copy", files, {false, copy, false, false, L"", L"D:\\out\\"},
         {L"D:\\out\\a.PNG", L"D:\\out\\b.BMP", L"D:\\out\\noext"}},
        {"move, converted", files, {false, TBatchKind::bkMove, false, true, L"", L"D:\\out"},
         {L"D:\\out\\a.BMP", L"D:\\out\\b.BMP", L"D:\\out\\noext.BMP"}},
        {"overwrite, converted: own folders", files, {false, over, false, true, L"", L"D:\\out"},
         {L"C:\\x\\a.BMP", L"C:\\y\\b.BMP", L"C:\\y\\noext.BMP"}},
        {"renamed from 0", files, {false, copy, true, false, L"ABCD****", L"D:\\out"},
         {L"D:\\out\\ABCD0000.PNG", L"D:\\out\\ABCD0001.BMP", L"D:\\out\\ABCD0002"}},
        {"overwrite, renamed and converted", files, {false, over, true, true, L"p*", L""},
         {L"C:\\x\\p0.BMP", L"C:\\y\\p1.BMP", L"C:\\y\\p2.BMP"}},
        {"members: last component only", {L"dir/a.jpg", L"..\\..\\b.png"}, {true, copy, false, true, L"", L"D:\\out"},
         {L"D:\\out\\a.BMP", L"D:\\out\\b.BMP"}},
        {"members renamed keep their extension", {L"dir.x/a.jpg", L"c"}, {true, copy, true, false, L"n**", L"D:\\out"},
         {L"D:\\out\\n00.jpg", L"D:\\out\\n01"}},
    };
    for (const auto& c : cases) EXPECT_EQ(BuildDestinationNames(c.sources, c.naming), c.want) << c.name;
}

TEST(BatchNames, RefusedOperations) {
    const std::vector<std::wstring> one = {L"C:\\a.jpg"};
    const std::pair<TBatchNaming, const wchar_t*> cases[] = {
        {{true, TBatchKind::bkMove, false, true, L"", L"D:\\"}, kBadBatchKind},
        {{true, TBatchKind::bkOverwrite, true, true, L"a*", L"D:\\"}, kBadBatchKind},
        {{false, TBatchKind::bkInvalid, false, true, L"", L"D:\\"}, kBadBatchKind},
        {{false, TBatchKind::bkOverwrite, false, false, L"", L""}, kOverwriteItself},
    };
    for (const auto& [naming, message] : cases) {
        try {
            BuildDestinationNames(one, naming);
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
    // Hostile member names and numbered device names are refused before anything is written.
    const TBatchNaming members{true, TBatchKind::bkCopy, false, false, L"", L"D:\\"};
    EXPECT_THROW(BuildDestinationNames({L"ok.jpg", L"x/.."}, members), EUnsafeFileName);
    const TBatchNaming devices{false, TBatchKind::bkCopy, true, false, L"COM*", L"D:\\"};
    EXPECT_THROW(BuildDestinationNames({L"C:\\a", L"C:\\b"}, devices), EUnsafeFileName);
}
