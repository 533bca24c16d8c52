#pragma once
// Texts that the window layer shows, decided without Windows: hints and the messages of
// exceptions that reach the application's default handler.
#include <exception>
#include <string>
#include <string_view>

// A hint's text as a tooltip shows it: what stands before the first "|", with each "\r" made a
// line break ("\r\n"). A "\r\n" already in the hint stays one line break.
std::wstring HintText(std::wstring_view hint);

// The message that the default handler shows for an exception: the program's own exceptions give
// their message, standard ones their what() read as UTF-8, anything else a fixed text.
std::wstring ExceptionText(std::exception_ptr error);
