#pragma once
// What a user does to another program's windows, and what they see there: keys and clicks posted
// as input would arrive, captions and list rows read back, and waits until the other process has
// answered.
#include <windows.h>

#include <string>
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
// The other process paints on its own time: the picture is taken once it has had a second to draw
// what the test waited for.
void SaveSettledPng(HWND window, const wchar_t* name);

int ListCount(HWND list);
// The first tab-separated field of every row of a list box of another process.
std::vector<std::wstring> RowNames(HWND list);
