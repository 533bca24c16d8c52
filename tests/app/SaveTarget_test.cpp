#include "app/SaveTarget.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TExistsPredicate Folders(std::set<std::wstring> existing) {
    return [existing](const std::wstring& f) { return existing.count(f) != 0; };
}

}  // namespace

TEST(SaveTarget, HostileMemberNames) {
    struct Case {
        const wchar_t* member;
        const wchar_t* want;  // null: refused
    };
    const Case cases[] = {
        {L"a.jpg", L"a.jpg"},
        {L"dir/a.txt", L"a.txt"},
        {L"..\\..\\x", L"x"},
        {L"C:\\x", L"x"},
        {L"a/b\\c.png", L"c.png"},
        {L"日本語.jpg", L"日本語.jpg"},
        {L"", nullptr},
        {L"dir/", nullptr},
        {L".", nullptr},
        {L"x/..", nullptr},
        {L"a:b", nullptr},
        {L"C:x", nullptr},
        {L"a\tb", nullptr},
        {L"a?.jpg", nullptr},
        {L"a\"b", nullptr},
        {L"a.", nullptr},
        {L"a ", nullptr},
        {L"con", nullptr},
        {L"NUL.txt", nullptr},
        {L"com1.jpg", nullptr},
        {L"LPT9", nullptr},
        {L"COM10", L"COM10"},
        {L"console.jpg", L"console.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(c.member)));
        if (c.want) {
            EXPECT_EQ(SafeMemberFileName(c.member), c.want);
        } else {
            try {
                SafeMemberFileName(c.member);
                ADD_FAILURE() << "accepted";
            } catch (const EUnsafeFileName& e) {
                EXPECT_NE(e.Message().find(L"「" + std::wstring(c.member) + L"」"), std::wstring::npos);
            }
        }
    }
}

TEST(SaveTarget, ExtensionsAndParts) {
    EXPECT_EQ(ReplaceExtension(L"a.png", L".BMP"), L"a.BMP");
    EXPECT_EQ(ReplaceExtension(L"a.b.png", L".BMP"), L"a.b.BMP");
    EXPECT_EQ(ReplaceExtension(L"noext", L".BMP"), L"noext.BMP");
    EXPECT_EQ(ReplaceExtension(L"C:\\x.d\\noext", L".BMP"), L"C:\\x.d\\noext.BMP");
    EXPECT_EQ(FolderPart(L"C:\\x\\a.png"), L"C:\\x\\");
    EXPECT_EQ(FolderPart(L"C:a.png"), L"C:");
    EXPECT_EQ(FolderPart(L"a.png"), L"");
    EXPECT_EQ(NamePart(L"C:\\x\\a.png"), L"a.png");
}

TEST(SaveTarget, TargetPaths) {
    const auto exists = Folders({L"C:\\save", L"C:\\other\\"});
    EXPECT_EQ(MemberFileTarget(L"C:\\save", L"", L"dir/a.jpg", exists), L"C:\\save\\a.jpg");
    EXPECT_EQ(MemberFileTarget(L"C:\\other\\", L"", L"a.jpg", exists), L"C:\\other\\a.jpg");
    EXPECT_EQ(MemberFileTarget(L"", L"C:\\other\\b.dat", L"../a.jpg", exists), L"C:\\other\\b.dat");  // chosen by the user
    EXPECT_EQ(MemberBitmapTarget(L"C:\\save", L"", L"x/a.png", exists), L"C:\\save\\a.BMP");
    EXPECT_EQ(MemberBitmapTarget(L"C:\\save", L"", L"README", exists), L"C:\\save\\README.BMP");
    EXPECT_EQ(MemberBitmapTarget(L"", L"C:\\other\\b.BMP", L"a.png", exists), L"C:\\other\\b.BMP");
    EXPECT_THROW(MemberBitmapTarget(L"C:\\save", L"", L"..", exists), EUnsafeFileName);

    // A name whose folder is missing, a name beside a save folder, neither, or a vanished folder.
    const std::pair<const wchar_t*, const wchar_t*> bad[] = {
        {L"", L"C:\\missing\\b.dat"}, {L"C:\\save", L"C:\\other\\b.dat"}, {L"", L""}, {L"C:\\gone", L""}, {L"", L"b.dat"}};
    for (const auto& [folder, name] : bad) {
        SCOPED_TRACE(testing::Message() << testing::PrintToString(std::wstring(folder) + L"|" + name));
        for (auto target : {MemberFileTarget, MemberBitmapTarget}) {
            try {
                target(folder, name, L"a.jpg", exists);
                ADD_FAILURE() << "no error";
            } catch (const Exception& e) {
                EXPECT_EQ(e.Message(), kBadSaveTarget);
            }
        }
    }

    EXPECT_EQ(FileBitmapTarget(L"C:\\save", L"", L"D:\\pics\\a.png"), L"C:\\save\\a.BMP");
    EXPECT_EQ(FileBitmapTarget(L"C:\\save", L"b.BMP", L"D:\\pics\\a.png"), L"C:\\save\\b.BMP");
}

TEST(SaveTarget, Texts) {
    EXPECT_EQ(SaveToFolderQuestion(L"C:\\save", false), L"選択ファイルを\n\r  C:\\save\n\rに保存しますか？");
    EXPECT_EQ(SaveToFolderQuestion(L"C:\\save", true), L"選択ファイルをBitmapに変換して、\n\r  C:\\save\n\rに保存しますか？");
    EXPECT_EQ(ExtractingStatus(L"a.jpg"), L"a.jpg 解凍中....");
}
