// The INI file over the profile functions, on real files: values whole however long, integers
// that are not integers, sections, and the encoding of new and old files.
#include "toolkit/IniFile_win.h"

#include <gtest/gtest.h>

#include <utility>

#include "common/TempDir.h"

TEST(IniFile, ReadsValuesWholeAndIntegersStrictly) {
    TTempDir dir;
    const std::wstring path = dir / L"a.ini";
    const std::string longValue(5000, 'x');
    WriteFileText(path, "[S]\r\nlong=" + longValue +
                            "\r\nneg=-12\r\nsuffix=12px\r\nbig=3000000000\r\nempty=\r\nbool=0\r\nspaced= 7 \r\n");
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadString(L"S", L"long", L""), std::wstring(longValue.begin(), longValue.end()));
    EXPECT_EQ(ini.ReadString(L"S", L"missing", L"def"), L"def");
    EXPECT_EQ(ini.ReadString(L"S", L"empty", L"def"), L"") << "a key with no value is there";
    const std::pair<const wchar_t*, int> cases[] = {{L"neg", -12}, {L"suffix", 99}, {L"big", 99},
                                                    {L"empty", 99}, {L"missing", 99}, {L"spaced", 7}};
    for (const auto& [key, want] : cases) EXPECT_EQ(ini.ReadInteger(L"S", key, 99), want) << key;
    EXPECT_FALSE(ini.ReadBool(L"S", L"bool", true));
    EXPECT_TRUE(ini.ReadBool(L"S", L"missing", true));
}

TEST(IniFile, SectionsAndKeys) {
    TTempDir dir;
    TIniFile ini(dir / L"s.ini");
    EXPECT_FALSE(ini.SectionExists(L"MoveCopySetting"));
    ini.EraseSection(L"MoveCopySetting");  // nothing to erase: no file is made
    EXPECT_FALSE(PathExists(ini.FileName()));
    for (int i = 0; i < 16; ++i) ini.WriteString(L"MoveCopySetting", L"Folder" + std::to_wstring(i), L"C:\\f");
    ini.WriteInteger(L"Other", L"Keep", 5);
    EXPECT_TRUE(ini.SectionExists(L"MoveCopySetting"));
    EXPECT_EQ(ini.ReadSection(L"MoveCopySetting").size(), 16u);
    EXPECT_TRUE(ini.ValueExists(L"MoveCopySetting", L"folder15")) << "key names ignore case";
    EXPECT_FALSE(ini.ValueExists(L"MoveCopySetting", L"Folder16"));
    ini.EraseSection(L"MoveCopySetting");
    EXPECT_FALSE(ini.SectionExists(L"MoveCopySetting"));
    EXPECT_EQ(ini.ReadInteger(L"Other", L"Keep", 0), 5);
}

TEST(IniFile, NewFilesAreUtf16AndOldFilesKeepTheirEncoding) {
    TTempDir dir;
    // A path and a value the ANSI code page cannot hold.
    const std::wstring path = dir / L"설정 €.ini";
    TIniFile fresh(path);
    fresh.WriteString(L"S", L"Folder", L"C:\\사진\\€\\写真");
    EXPECT_EQ(ReadFileText(path).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(TIniFile(path).ReadString(L"S", L"Folder", L""), L"C:\\사진\\€\\写真");

    const std::wstring old = dir / L"old.ini";
    WriteFileText(old, "[S]\r\nA=1\r\n");
    TIniFile(old).WriteInteger(L"S", L"B", 2);
    EXPECT_EQ(ReadFileText(old).substr(0, 3), "[S]");
    EXPECT_EQ(TIniFile(old).ReadInteger(L"S", L"A", 0), 1);
    EXPECT_EQ(TIniFile(old).ReadInteger(L"S", L"B", 0), 2);

    TIniFile nowhere(dir / L"missing folder\\x.ini");
    EXPECT_THROW(nowhere.WriteInteger(L"S", L"A", 1), EIniFileException);
}
