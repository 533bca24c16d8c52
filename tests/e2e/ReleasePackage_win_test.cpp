// The release package as a user meets it: unpacked into an empty folder on a machine that has never
// seen the program (a fresh Wine prefix), the program there opens the sample archive, shows a
// picture, and writes its settings file beside itself when it closes. The script
// tests/e2e/release-package-test makes the package, the folder and the prefix, and runs this
// program with VV_PACKAGE_FOLDER naming the unpacked folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/ProgramDriver_win.h"
#include "e2e/UserActions_win.h"
#include "toolkit/TextUtil.h"

namespace {

TEST(ReleasePackage, RunsFromItsFolderOpensTheSampleAndShowsAPicture) {
    const std::wstring folder = EnvironmentText(L"VV_PACKAGE_FOLDER");
    ASSERT_FALSE(folder.empty()) << "VV_PACKAGE_FOLDER names the unpacked package";
    for (const wchar_t* name : {L"VardenoView.exe", L"vvimage.spi", L"vvarchive.spi", L"VardenoView.html",
                                L"README.txt", L"licenses\\THIRD-PARTY-NOTICES.txt"})
        EXPECT_TRUE(FileExists(folder + L"\\" + name)) << WideToUtf8(name);
    ASSERT_FALSE(FileExists(folder + L"\\VardenoView.ini")) << "a package holds no settings";

    TProgramDriver program(folder, TProgramDriver::TSource::sInPlace);
    ASSERT_TRUE(program.Start({SampleZip()}));
    // Both shipped plug-ins were found beside the program: the archive lists its pictures.
    HWND list = program.MemberList();
    ASSERT_TRUE(list);
    EXPECT_EQ(ListCount(list), 8);

    Click(list, 10, 5, true);
    HWND view = program.WaitForWindow(L"TImgViewForm");
    ASSERT_TRUE(view) << "a double click on the first row shows it";
    EXPECT_TRUE(WaitForCaption(view, L"landscape.png(")) << WideToUtf8(WindowText(view));

    EXPECT_EQ(program.Close(), 0u);
    EXPECT_TRUE(FileExists(program.IniPath()));
}

}  // namespace
