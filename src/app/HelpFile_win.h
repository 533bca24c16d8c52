#pragma once
// The help command: opens the help file that ChooseHelpFile picks beside the program, or says
// that there is none. The file is opened through a viewer that the program installs (the shell's
// association for the file) and that tests replace, so that no browser starts under them.
#include <windows.h>

#include <string>

#include "toolkit/InstallScope.h"

class THelpViewer {
public:
    virtual ~THelpViewer() = default;
    // Shows the file; raises Exception when it cannot.
    virtual void Open(HWND owner, const std::wstring& path) = 0;
};

// The viewer in use: the shell's until another is installed.
THelpViewer& CurrentHelpViewer();
// Installs a viewer (null restores the shell's) and returns the one it replaces.
THelpViewer* SetCurrentHelpViewer(THelpViewer* viewer);

// Installs a viewer for the lifetime of a scope.
using THelpViewerScope = TInstallScope<THelpViewer, SetCurrentHelpViewer>;

// The program file's name in the program's folder (ProgramFolder, which tests can set).
std::wstring HelpProgramPath();
// Opens the help file, or tells through the prompt that neither file is there.
void ShowHelp(HWND owner);
