#include "app/SpiReg_win.h"

#include <windows.h>

#include "app/FileUtil.h"
#include "app/SaveTarget.h"
#include "toolkit/IniFile_win.h"
#include "toolkit/SystemInfo.h"
#include "toolkit/WinPath_win.h"

namespace {

const wchar_t kFormStyle[] = L"FormStyle";
const wchar_t kImageStyle[] = L"ImageStyle";
const wchar_t kFolderSetting[] = L"FolderSetting";
const wchar_t kBrowseFolder[] = L"BrowseFolder";

}  // namespace

TSpiReg::TSpiReg(std::wstring iniPath) : iniPath_(std::move(iniPath)) { Read(); }

std::wstring TSpiReg::DefaultIniPath() {
    return ProgramFolder() + L"\\" + ReplaceExtension(NamePart(ModuleFileName(nullptr)), L".ini");
}

void TSpiReg::Read() {
    const TIniFile ini(iniPath_);
    TSpiRegValues v;
    v.width = ini.ReadInteger(kFormStyle, L"Width", 0);
    v.height = ini.ReadInteger(kFormStyle, L"Height", 0);
    v.folderTreeWidth = ini.ReadInteger(kFormStyle, L"SLeft", 0);
    v.filerHeight = ini.ReadInteger(kFormStyle, L"STop", 0);
    v.listOperationShown = ini.ReadBool(kFormStyle, L"AOperation", false);
    v.imageLeft = values_.imageLeft;
    v.imageTop = values_.imageTop;
    v.viewMode = ini.ReadBool(kImageStyle, L"ViewMode", false);
    v.imageToolBar = ini.ReadBool(kImageStyle, L"ToolBar", true);
    v.folderView = ini.ReadString(kFolderSetting, L"FolderView", L"");
    v.filerShown = ini.ReadBool(kFolderSetting, L"FilerVisible", true);
    v.filerSmallIcons = ini.ReadBool(kFolderSetting, L"FilerType", true);
    v.browseFolder = ini.ReadString(kFolderSetting, kBrowseFolder, L"");
    v.saveFolder = ini.ReadString(kFolderSetting, kBrowseFolder, StripTrailingBackslash(FolderPart(iniPath_)));
    SetValues(v);
}

bool TSpiReg::Write() const {
    try {
        TIniFile ini(iniPath_);
        const TSpiRegValues& v = values_;
        ini.WriteInteger(kFormStyle, L"Width", v.width);
        ini.WriteInteger(kFormStyle, L"Height", v.height);
        ini.WriteInteger(kFormStyle, L"SLeft", v.folderTreeWidth);
        ini.WriteInteger(kFormStyle, L"STop", v.filerHeight);
        ini.WriteBool(kFormStyle, L"AOperation", v.listOperationShown);
        ini.WriteBool(kImageStyle, L"ViewMode", v.viewMode);
        ini.WriteBool(kImageStyle, L"ToolBar", v.imageToolBar);
        ini.WriteString(kFolderSetting, L"FolderView", v.folderView);
        ini.WriteBool(kFolderSetting, L"FilerVisible", v.filerShown);
        ini.WriteString(kFolderSetting, kBrowseFolder, v.browseFolder);
        ini.WriteBool(kFolderSetting, L"FilerType", v.filerSmallIcons);
        ini.WriteString(kFolderSetting, kBrowseFolder, v.saveFolder);  // last: the file keeps the save folder
        return true;
    } catch (const EIniFileException&) {
        return false;
    }
}
