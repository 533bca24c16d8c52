// spitool end to end: the real program run under Wine against the test plug-ins.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/TempDir.h"
#include "common/TestData.h"
#include "plugins/PluginTestEnv.h"
#include "toolkit/TextUtil.h"

namespace {

std::wstring SpiToolPath() {
    std::wstring rel = Utf8ToWide(VV_SPITOOL_DIR);
    for (auto& c : rel)
        if (c == L'/') c = L'\\';
    return ThisProgramFolder() + L"\\" + rel + L"\\spitool.exe";
}

// Reads a file that another process may still hold open for writing.
std::string ReadShared(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<cannot open: " + std::to_string(GetLastError()) + ">";
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    CloseHandle(h);
    return out;
}

struct TRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

// Runs a program with its output and error output into files of a temporary folder.
TRun RunTool(const std::wstring& exe, const std::vector<std::wstring>& args) {
    TTempDir io;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    auto create = [&](const std::wstring& path) {
        return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    };
    HANDLE out = create(io / L"out.txt");
    HANDLE err = create(io / L"err.txt");
    std::wstring command = L"\"" + exe + L"\"";
    for (const auto& a : args) command += L" \"" + a + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    TRun run;
    if (CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                       &pi)) {
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &run.exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    } else {
        ADD_FAILURE() << "cannot start " << WideToUtf8(exe);
    }
    CloseHandle(out);
    CloseHandle(err);
    run.out = ReadShared(io / L"out.txt");
    run.err = ReadShared(io / L"err.txt");
    return run;
}

TRun SpiTool(const std::vector<std::wstring>& args) { return RunTool(SpiToolPath(), args); }

std::string U8(const std::wstring& s) { return WideToUtf8(s); }

class SpiToolArchive : public ::testing::Test {
protected:
    SpiToolArchive() {
        CopyTestSpi(L"vvimage", plugins_.Path());
        CopyTestSpi(L"vvarchive", plugins_.Path());
        members_ = {{"", "first.txt", 1000000000, PatternBytes(300, 1)},
                    {"sub\\", "second.bin", 0x7FFFFFFF, PatternBytes(5000, 2)},
                    {"sub\\deeper\\", "empty", 0, {}}};
        archive_ = files_ / L"test.vva";
        WriteFileBytes(archive_, VvArchiveFile(members_));
    }

    TTempDir plugins_, files_;
    std::vector<TVvMember> members_;
    std::wstring archive_;
};

}  // namespace

TEST(SpiTool, ListsThePluginsOfAFolder) {
    TTempDir dir;
    for (const wchar_t* name : {L"vvimage", L"vvarchive", L"noinfo", L"xnplugin"}) CopyTestSpi(name, dir.Path());
    const TRun r = SpiTool({L"--plugins", dir.Path(), L"plugins"});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    const std::string image = U8(dir / L"vvimage.spi") +
                              "\n"
                              "  class:   TInSPI\n"
                              "  version: 00IN\n"
                              "  info:    VV test picture plug-in 1.0\n"
                              "  pattern: *.vvi  VV test picture\n"
                              "  pattern: *.vvp;*.vvq  VV test picture (other names)\n";
    EXPECT_NE(r.out.find(image), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(U8(dir / L"vvarchive.spi") + "\n  class:   TAmSPI\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(U8(dir / L"xnplugin.spi") + "\n  class:   TXnSPI\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("noinfo"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n3 plug-in(s)\n"), std::string::npos) << r.out;
}

TEST(SpiTool, FindsPluginsAsTheProgramDoes) {
    // The tool in a folder of its own with plug-ins beside it, and the Susie folder in the registry.
    TTempDir toolDir, susieDir;
    const std::wstring tool = toolDir / L"spitool.exe";
    ASSERT_TRUE(CopyFileW(SpiToolPath().c_str(), tool.c_str(), FALSE));
    CopyTestSpi(L"vvimage", toolDir.Path());
    CopyTestSpi(L"vvarchive", toolDir.Path());
    CopyTestSpi(L"halfformats", susieDir.Path());
    struct Case {
        const char* name;
        std::optional<std::wstring> registry;
        int count;
    };
    const Case cases[] = {
        {"no Susie folder", std::nullopt, 2},
        {"Susie folder and program folder", susieDir.Path(), 3},
        {"Susie folder equal to the program folder", toolDir.Path(), 2},
        {"the same with a trailing backslash", toolDir.Path() + L"\\", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSusieFolderSetting susie(c.registry);
        const TRun r = RunTool(tool, {L"plugins"});
        EXPECT_EQ(r.exitCode, 0u) << r.err;
        EXPECT_NE(r.out.find("\n" + std::to_string(c.count) + " plug-in(s)\n"), std::string::npos) << r.out;
        if (c.count == 3) {
            EXPECT_LT(r.out.find("halfformats.spi"), r.out.find("vvimage.spi")) << "Susie folder first";
        }
    }
}

TEST_F(SpiToolArchive, ListPrintsTheMemberRecords) {
    const TRun r = SpiTool({L"--plugins", plugins_.Path(), L"list", archive_});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    const std::string want = "index\tmethod\tposition\tcompsize\tfilesize\ttime (UTC)\tpath\tname\n"
                             "0\tVVSTORED\t0xF0000000\t300\t300\t2001-09-09 01:46:40\t\tfirst.txt\n"
                             "1\tVVSTORED\t0xF0000001\t5000\t5000\t2038-01-19 03:14:07\tsub\\\tsecond.bin\n"
                             "2\tVVSTORED\t0xF0000002\t0\t0\t1970-01-01 00:00:00\tsub\\deeper\\\tempty\n"
                             "3 member(s)\n";
    EXPECT_NE(r.out.find(want), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("plug-in: " + U8(plugins_ / L"vvarchive.spi")), std::string::npos) << r.out;
}

TEST_F(SpiToolArchive, ExtractWritesOneMember) {
    for (size_t i = 0; i < members_.size(); ++i) {
        SCOPED_TRACE(i);
        const std::wstring out = files_ / (L"out" + std::to_wstring(i));
        const TRun r = SpiTool({L"--plugins", plugins_.Path(), L"extract", archive_, std::to_wstring(i), out});
        EXPECT_EQ(r.exitCode, 0u) << r.err;
        const std::string got = ReadFileText(out);
        EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.end()), members_[i].data);
    }
}

TEST_F(SpiToolArchive, ErrorsPrintClassAndMessageAndEndWithStatus1) {
    TTempDir shortOnly;
    CopyTestSpi(L"shortblock", shortOnly.Path());
    const std::wstring out = files_ / L"out.bin";
    struct Case {
        const char* name;
        std::vector<std::wstring> args;
        std::string err;
    };
    const Case cases[] = {
        {"no command", {}, "ESPIToolError: usage: spitool"},
        {"unknown command", {L"decompress"}, "ESPIToolError: usage: spitool"},
        {"missing argument", {L"--plugins", plugins_.Path(), L"extract", archive_, L"0"}, "ESPIToolError: usage"},
        {"index out of range",
         {L"--plugins", plugins_.Path(), L"extract", archive_, L"3", out},
         "ESPIToolError: index 3 is out of range: the archive has 3 member(s)\n"},
        {"index not a number", {L"--plugins", plugins_.Path(), L"extract", archive_, L"-1", out},
         "ESPIToolError: not an index: -1\n"},
        {"no plug-in accepts the file",
         {L"--plugins", plugins_.Path(), L"list", plugins_ / L"vvimage.spi"},
         "ESPIToolError: no archive plug-in accepts " + U8(plugins_ / L"vvimage.spi") + "\n"},
        {"member block shorter than the member",
         {L"--plugins", shortOnly.Path(), L"extract", archive_, L"1", out},
         "ESPIToolError: " + U8(shortOnly / L"shortblock.spi") + " could not extract member 1 (second.bin) of " +
             U8(archive_) + "\n"},
        {"missing archive", {L"--plugins", plugins_.Path(), L"list", files_ / L"missing.vva"},
         "EFOpenError: ファイル " + U8(files_ / L"missing.vva") + " を開けません。\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TRun r = SpiTool(c.args);
        EXPECT_EQ(r.exitCode, 1u);
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
        EXPECT_FALSE(PathExists(out)) << "no partial output";
    }
}

TEST_F(SpiToolArchive, DecodeWritesThePictureAsABitmap) {
    const auto picture = VvImageFile(3, 2, 4);
    const std::wstring in = files_ / L"p.vvi";
    WriteFileBytes(in, std::vector<unsigned char>(picture.begin(), picture.end()));
    struct Case {
        const char* name;
        std::vector<std::wstring> extra;
    };
    const Case cases[] = {{"the loader's own order", {}},
                          {"a given plug-in, by file name", {L"VVIMAGE.SPI"}},
                          {"a given plug-in, by path", {plugins_ / L"vvimage.spi"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring out = files_ / L"p.bmp";
        std::vector<std::wstring> args{L"--plugins", plugins_.Path(), L"decode", in, out};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const TRun r = SpiTool(args);
        EXPECT_EQ(r.exitCode, 0u) << r.err;
        EXPECT_NE(r.out.find("3 x 2, 24 bits"), std::string::npos) << r.out;
        const std::string bmp = ReadFileText(out);
        ASSERT_EQ(bmp.size(), 54u + 2 * 12) << "a 24-bit BMP of 3 x 2";
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        // The bottom row of the BMP is the last row of the picture; the first pixel's B, G, R.
        EXPECT_EQ(static_cast<uint8_t>(bmp[54 + 12]), picture[8]);
        EXPECT_EQ(static_cast<uint8_t>(bmp[54 + 12 + 2]), picture[10]);
    }
}

TEST_F(SpiToolArchive, DecodeFailuresPrintClassAndMessage) {
    const std::wstring junk = files_ / L"junk.vvi";
    WriteFileText(junk, "not a picture at all");
    TRun r = SpiTool({L"--plugins", plugins_.Path(), L"decode", junk, files_ / L"o.bmp"});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_NE(r.err.find("EInvalidGraphic: " + U8(L"認識できない画像形式です")), std::string::npos) << r.err;
    EXPECT_FALSE(PathExists(files_ / L"o.bmp"));
    r = SpiTool({L"--plugins", plugins_.Path(), L"decode", junk, files_ / L"o.bmp", L"nosuch.spi"});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_NE(r.err.find("no image plug-in nosuch.spi is loaded"), std::string::npos) << r.err;
}
