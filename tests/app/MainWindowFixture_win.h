#pragma once
// The main window's tests: a program folder of their own holding the tests' archive and picture
// plug-ins, a Susie folder that is not set, a folder for their files, and the main window made on
// them.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ArchMain_win.h"
#include "common/TempDir.h"
#include "plugins/PluginTestEnv.h"
#include "toolkit/Application_win.h"
#include "toolkit/SystemInfo.h"

class TMainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Application().Initialize();
        CopyTestSpi(L"vvarchive", program.Path());
        CopyTestSpi(L"vvimage", program.Path());
        SetProgramFolderOverride(program.Path());
        SetTimeZoneBiasOverride(0);
    }
    void TearDown() override {
        main.reset();
        SetProgramFolderOverride(std::nullopt);
        SetTimeZoneBiasOverride(std::nullopt);
    }
    // The main window on an archive of the members, written as files\a.vva.
    TSPIMain& OpenArchive(const std::vector<TVvMember>& members) {
        main = std::make_unique<TSPIMain>();
        WriteFileBytes(files / L"a.vva", VvArchiveFile(members));
        EXPECT_TRUE(main->OpenArchive(files / L"a.vva"));
        return *main;
    }
    // A menu command, as the menu sends it.
    void Command(int id) { SendMessageW(main->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    TTempDir program;
    TTempDir files;
    TSusieFolderSetting noSusieFolder{std::wstring()};
    std::unique_ptr<TSPIMain> main;
};
