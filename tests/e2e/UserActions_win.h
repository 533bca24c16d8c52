#pragma once
// What a user does to another program's windows, and what they see there: keys and clicks posted
// as input would arrive, captions and list rows read back, and waits until the other process has
// answered.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// Waits until the window's caption starts with the prefix; false on timeout.
bool WaitForCaption(HWND window, const std::wstring& prefix);
// Waits until the window is shown (or hidden); false on timeout.
bool WaitForShown(HWND window, bool shown);
// A key as the keyboard gives it to the focused window.
void PressKey(HWND window, WPARAM key);
// A click (or a double click) at client co-ordinates of the control.
void Click(HWND control, int x, int y, bool twice = false);
// A child window (at any depth) whose text is exactly text; null when none.
HWND ChildWithText(HWND parent, const wchar_t* text);
// Handles this thread's messages for a while: the other process has time to answer.
void Settle(DWORD milliseconds);

int ListCount(HWND list);
// A click on a row of a list box, with Ctrl held to add it to the selection.
void ClickRow(HWND list, int row, bool addToSelection = false);
// Replaces an edit field's text as the user does: selects all of it, then types character by
// character.
void TypeText(HWND edit, const std::wstring& text);
bool FileExists(const std::wstring& path);
// A variable of this test program's environment; empty when unset.
std::wstring EnvironmentText(const wchar_t* name);
// The first tab-separated field of every row of a list box of another process.
std::vector<std::wstring> RowNames(HWND list);

// The text of one part of another process's status bar (read through memory lent in that process).
std::wstring StatusText(HWND bar, int part);
// Waits until a part of the main window's status bar shows the text; false on timeout.
class TProgramDriver;
bool WaitForStatus(const TProgramDriver& program, int part, const std::wstring& text);
// A menu command, as choosing it from the window's menu gives it.
void ChooseMenuCommand(HWND window, int command);
// The longest static text of a dialog: a message box's message.
std::wstring DialogMessage(HWND dialog);
// Presses a button of a dialog (IDOK, IDYES, a control id at any depth) as a click does.
void PressButton(HWND dialog, int id);
// A cell of another process's report-style list view, and a row's bounds in its client area.
std::wstring ListViewText(HWND listView, int row, int column);
RECT ListViewRowRect(HWND listView, int row);
int ListViewCount(HWND listView);
// The first descendant window of a class; null when none.
HWND ChildOfClass(HWND parent, const wchar_t* className);
// Files dropped on a window, as the shell drops them (a drop handle made in the target's memory).
// With control, the Ctrl key is held down during the drop.
bool DropFiles(HWND target, const std::vector<std::wstring>& paths, bool control);

// Screenshots of a walk's steps, numbered in order, into build/e2e/<walk>-NN-<step>.png. The
// other process paints on its own time: each is taken once it has had a moment to draw.
class TStepShots {
public:
    // Removes the walk's screenshots of an earlier run.
    explicit TStepShots(std::wstring walk);
    void Shot(HWND window, const std::wstring& step);

private:
    std::wstring walk_;
    int next_ = 1;
};
