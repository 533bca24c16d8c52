#pragma once
// The main window's settings store: an INI file beside the program, read once when the main
// window is made and written once when it is destroyed. The values are in SpiReg.h.
//
// "BrowseFolder" serves two values: reading gives the folder picker the key's value (empty when
// missing) and the save folder the key's value or, when missing, the folder of the INI file;
// writing writes the picker's folder and then the save folder, so the file keeps the save folder.
#include <string>

#include "app/SpiReg.h"

class TSpiReg {
public:
    // Reads the file at once. The file is the program's path with the extension ".ini", in the
    // program's folder (ProgramFolder, which tests can set), unless another is given.
    explicit TSpiReg(std::wstring iniPath = DefaultIniPath());

    static std::wstring DefaultIniPath();
    const std::wstring& IniPath() const { return iniPath_; }

    const TSpiRegValues& Values() const { return values_; }
    // Takes new values; texts are cut as the store keeps them.
    void SetValues(const TSpiRegValues& values) { values_ = SpiRegLimited(values); }

    // Fills every value from the file; a missing key gives its default.
    void Read();
    // Writes every value but the image view window's position. False when the file cannot be
    // written: the settings are then lost without a word, as nothing of start-up or shut-down
    // troubles the user.
    bool Write() const;

private:
    std::wstring iniPath_;
    TSpiRegValues values_;
};
