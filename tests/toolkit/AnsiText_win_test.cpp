#include "toolkit/AnsiText.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/TempDir.h"

TEST(AnsiText, AsciiPassesBothWays) {
    EXPECT_EQ(WideToAnsi(L"C:\\Pictures\\a.jpg"), "C:\\Pictures\\a.jpg");
    EXPECT_EQ(AnsiToWide("C:\\x.spi"), L"C:\\x.spi");
    EXPECT_TRUE(FitsAnsi(L"plain.txt"));
}

TEST(AnsiText, PathOutsideTheCodePageGoesOverInItsShortForm) {
    // Georgian is in no ANSI code page Wine runs the tests under (1252 or 932).
    const std::wstring name = L"\u10D0\u10D1\u10D2 picture file.jpg";
    ASSERT_FALSE(FitsAnsi(name));
    TTempDir dir;
    ASSERT_TRUE(FitsAnsi(dir.Path()));
    WriteFileText(dir / name, "x");
    const std::string ansi = PathToAnsi(dir / name);
    // Whatever form the file system gives, it opens the same file through the ANSI API.
    HANDLE h = CreateFileA(ansi.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << ansi;
    CloseHandle(h);
    EXPECT_EQ(ansi.find('?'), std::string::npos) << ansi;
}
