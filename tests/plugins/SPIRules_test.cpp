#include "plugins/SPIRules.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(SPIKindOfVersion, ExactAndCaseSensitive) {
    struct Case {
        const wchar_t* version;
        TSPIKind kind;
    };
    const Case cases[] = {{L"00IN", TSPIKind::skInSPI}, {L"00AM", TSPIKind::skAmSPI}, {L"00XN", TSPIKind::skXnSPI},
                          {L"00in", TSPIKind::skSPI},   {L"00AB", TSPIKind::skSPI},   {L"", TSPIKind::skSPI},
                          {L"00IN ", TSPIKind::skSPI},  {L"T00IN", TSPIKind::skSPI}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.version));
        EXPECT_EQ(SPIKindOfVersion(c.version), c.kind);
    }
}

TEST(PatternExtension, PartAfterTheLastDot) {
    struct Case {
        const wchar_t* pattern;
        const wchar_t* want;
    };
    const Case cases[] = {{L"*.jpg", L"jpg"},       {L"*.jpg;*.jpeg", L"jpeg"}, {L"*.tar.gz", L"gz"},
                          {L"*", L""},              {L"*.", L""},               {L"", L""},
                          {L"C:\\x\\*.PNG", L"PNG"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.pattern));
        EXPECT_EQ(PatternExtension(c.pattern), c.want);
    }
}

TEST(FileExtension, LastDotOfTheNameOnly) {
    struct Case {
        const wchar_t* name;
        const wchar_t* want;
    };
    const Case cases[] = {{L"x.png", L".png"},         {L"archive.tar.GZ", L".GZ"}, {L"noext", L""},
                          {L"C:\\dir.d\\noext", L""},  {L"dir.d/noext", L""},       {L"C:.hidden", L".hidden"},
                          {L"*.jpg;*.jpeg", L".jpeg"}, {L"trailing.", L"."},        {L"", L""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.name));
        EXPECT_EQ(FileExtension(c.name), c.want);
    }
}

TEST(PatternsClaimExtension, ReducedPatternsIgnoringCase) {
    const std::vector<std::wstring> patterns = {L"*.vvi", L"*.vvp;*.VVQ"};
    EXPECT_TRUE(PatternsClaimExtension(patterns, L".VVI"));
    EXPECT_TRUE(PatternsClaimExtension(patterns, L".vvq"));
    EXPECT_FALSE(PatternsClaimExtension(patterns, L".vvp")) << "only the last extension of a list counts";
    EXPECT_FALSE(PatternsClaimExtension(patterns, L""));
    EXPECT_FALSE(PatternsClaimExtension({}, L".vvi"));
    EXPECT_FALSE(PatternsClaimExtension({L"*"}, L"")) << "no extension claims no extension";
}

TEST(SearchMask, SplitAndJoin) {
    struct Case {
        const wchar_t* mask;
        const wchar_t* folder;
        const wchar_t* pattern;
    };
    const Case cases[] = {{L"*.spi", L"", L"*.spi"},
                          {L"C:\\Susie\\*.spi", L"C:\\Susie\\", L"*.spi"},
                          {L"C:*.spi", L"C:", L"*.spi"},
                          {L"plug/*.spi", L"plug/", L"*.spi"},
                          {L"C:\\Susie\\", L"C:\\Susie\\", L""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.mask));
        const TSearchMask m = SplitSearchMask(c.mask);
        EXPECT_EQ(m.folder, c.folder);
        EXPECT_EQ(m.pattern, c.pattern);
        EXPECT_EQ(JoinSearchPath(m.folder, m.pattern), c.mask) << "a split mask joins back unchanged";
    }
    EXPECT_EQ(JoinSearchPath(L"C:\\Susie", L"*.spi"), L"C:\\Susie\\*.spi");
    EXPECT_EQ(JoinSearchPath(L"", L"*.spi"), L"*.spi");
}

namespace {

std::vector<uint8_t> Records(std::initializer_list<const char*> methods, size_t extraBytes = 0, uint8_t fill = 'X') {
    std::vector<uint8_t> block;
    uint32_t position = 100;
    for (const char* m : methods) {
        TSusieFileInfo r{};
        std::memcpy(r.method, m, std::strlen(m));
        r.position = position++;
        const auto* p = reinterpret_cast<const uint8_t*>(&r);
        block.insert(block.end(), p, p + sizeof r);
    }
    block.insert(block.end(), extraBytes, fill);
    return block;
}

}  // namespace

TEST(ArchiveRecords, CountedOnlyWhileAWholeRecordLiesInTheBlock) {
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
        size_t want;
    };
    const Case cases[] = {
        {"empty block", {}, 0},
        {"terminator only", Records({""}), 0},
        {"two and terminator", Records({"LH5", "STORED", ""}), 2},
        {"records after the terminator are not read", Records({"A", "", "B"}), 1},
        {"no terminator, block ends with a record", Records({"A", "B"}), 2},
        {"no terminator, part of a record at the end", Records({"A", "B"}, 100), 2},
        {"block shorter than one record", std::vector<uint8_t>(427, 'X'), 0},
        {"partial terminator-looking tail", Records({"A"}, 1, 0), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CountArchiveRecords(c.block), c.want);
        const auto records = ReadArchiveRecords(c.block);
        ASSERT_EQ(records.size(), c.want);
        for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].position, 100 + i);
    }
}

TEST(FixedText, EndsAtNulOrFullWidth) {
    const char full[8] = {'V', 'V', 'S', 'T', 'O', 'R', 'E', 'D'};
    const char shortText[8] = {'L', 'H', '5', 0, 'x', 'x', 'x', 'x'};
    const char empty[8] = {};
    EXPECT_EQ(FixedText(full), "VVSTORED");
    EXPECT_EQ(FixedText(shortText), "LH5");
    EXPECT_EQ(FixedText(empty), "");
    TSusieFileInfo r{};
    std::memset(r.filename, 'n', sizeof r.filename);
    EXPECT_EQ(FixedText(r.filename).size(), 200u) << "a name filling its field stops at the field";
}
