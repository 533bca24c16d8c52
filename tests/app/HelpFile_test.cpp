#include "app/HelpFile.h"

#include <gtest/gtest.h>

#include <set>

TEST(HelpFile, TheHlpFileFirstThenTheHelpPage) {
    const std::wstring program = L"C:\\Tools\\VV\\VardenoView.exe";
    const std::wstring hlp = L"C:\\Tools\\VV\\VardenoView.HLP";
    const std::wstring page = L"C:\\Tools\\VV\\VardenoView.html";
    struct Case {
        std::set<std::wstring> files;
        THelpKind kind;
        std::wstring path;
    };
    const Case cases[] = {
        {{hlp, page}, THelpKind::hkHlp, hlp},
        {{hlp}, THelpKind::hkHlp, hlp},
        {{page}, THelpKind::hkPage, page},
        {{}, THelpKind::hkNone, L""},
        // Only the program's own name counts.
        {{L"C:\\Tools\\VV\\Other.html", L"C:\\Tools\\VardenoView.HLP"}, THelpKind::hkNone, L""},
    };
    for (const Case& c : cases) {
        const THelpChoice choice =
            ChooseHelpFile(program, [&](const std::wstring& path) { return c.files.count(path) > 0; });
        EXPECT_EQ(choice.kind, c.kind) << c.files.size();
        EXPECT_EQ(choice.path, c.path);
    }
}

TEST(HelpFile, AProgramNameWithDotsKeepsAllButItsExtension) {
    const THelpChoice choice =
        ChooseHelpFile(L"D:\\v0.14\\Vardeno.View.exe", [](const std::wstring& p) { return p == L"D:\\v0.14\\Vardeno.View.html"; });
    EXPECT_EQ(choice.kind, THelpKind::hkPage);
    EXPECT_EQ(HelpMissingText(L"D:\\v0.14\\VV.exe"),
              L"ヘルプファイルが見つかりません。\n\rD:\\v0.14\\VV.HLP\n\rD:\\v0.14\\VV.html");
}
