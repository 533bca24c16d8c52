#include "app/SaveTarget.h"

#include <gtest/gtest.h>

#include <set>

TEST(SaveTarget, HostileMemberNames) {
    const std::pair<const wchar_t*, const wchar_t*> kept[] = {
        {L"dir/a.txt", L"a.txt"}, {L"..\\..\\x", L"x"},        {L"C:\\x", L"x"},          {L"a/b\\c.png", L"c.png"},
        {L"日本語.jpg", L"日本語.jpg"}, {L"COM10", L"COM10"}, {L"console.jpg", L"console.jpg"}};
    for (const auto& [member, name] : kept) EXPECT_EQ(SafeMemberFileName(member), name);

    const wchar_t* refused[] = {L"",     L"dir/", L"x/..",  L".",    L"a:b",     L"C:x",      L"a\tb", L"a?.jpg",
                                L"a\"b", L"a.",   L"a ",    L"con",  L"NUL.txt", L"com1.jpg", L"LPT9",
                                L"COM\u00B2.x", L"conout$"};
    for (const wchar_t* member : refused) {
        try {
            SafeMemberFileName(member);
            ADD_FAILURE() << "accepted " << testing::PrintToString(std::wstring(member));
        } catch (const EUnsafeFileName& e) {  // the message names the member
            EXPECT_NE(e.Message().find(L"「" + std::wstring(member) + L"」"), std::wstring::npos);
        }
    }
}

TEST(SaveTarget, TargetPaths) {
    const std::set<std::wstring> folders = {L"C:\\save", L"C:\\other\\"};
    const TExistsPredicate exists = [&](const std::wstring& f) { return folders.count(f) != 0; };
    EXPECT_EQ(MemberFileTarget(L"C:\\save", L"", L"dir/a.jpg", exists), L"C:\\save\\a.jpg");
    EXPECT_EQ(MemberFileTarget(L"C:\\other\\", L"", L"a.jpg", exists), L"C:\\other\\a.jpg");
    EXPECT_EQ(MemberFileTarget(L"", L"C:\\other\\b.dat", L"../a.jpg", exists), L"C:\\other\\b.dat");  // the user's name
    EXPECT_EQ(MemberBitmapTarget(L"C:\\save", L"", L"x/a.b.png", exists), L"C:\\save\\a.b.BMP");
    EXPECT_EQ(MemberBitmapTarget(L"C:\\save", L"", L"README", exists), L"C:\\save\\README.BMP");
    EXPECT_THROW(MemberBitmapTarget(L"C:\\save", L"", L"..", exists), EUnsafeFileName);
    EXPECT_EQ(FileBitmapTarget(L"C:\\save", L"", L"D:\\p.x\\noext"), L"C:\\save\\noext.BMP");
    EXPECT_EQ(FileBitmapTarget(L"C:\\save", L"b.BMP", L"D:\\pics\\a.png"), L"C:\\save\\b.BMP");
    EXPECT_EQ(ExtensionPart(L"D:\\p.x\\a.b.png"), L".png");
    EXPECT_EQ(ExtensionPart(L"D:\\p.x\\noext"), L"");
    EXPECT_EQ(ExtensionPart(L"a."), L".");

    // A name whose folder is missing, a name beside a save folder, neither, a vanished folder.
    const std::pair<const wchar_t*, const wchar_t*> bad[] = {
        {L"", L"C:\\missing\\b.dat"}, {L"C:\\save", L"C:\\other\\b.dat"}, {L"", L""}, {L"C:\\gone", L""},
        {L"", L"b.dat"}};
    for (const auto& [folder, name] : bad) {
        for (auto target : {MemberFileTarget, MemberBitmapTarget}) {
            try {
                target(folder, name, L"a.jpg", exists);
                ADD_FAILURE() << testing::PrintToString(std::wstring(folder) + L"|" + name);
            } catch (const Exception& e) {
                EXPECT_EQ(e.Message(), kBadSaveTarget);
            }
        }
    }
}
