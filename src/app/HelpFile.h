#pragma once
// Which help file the help command opens. The help file is the program's path with ".HLP"; the
// system no longer shows such files, so the program ships a help page, the program's path with
// ".html", which is opened when there is no ".HLP" file.
#include <functional>
#include <string>

enum class THelpKind { hkHlp, hkPage, hkNone };

struct THelpChoice {
    THelpKind kind = THelpKind::hkNone;
    std::wstring path;  // empty for hkNone
};

// exists: whether a file of that path exists.
THelpChoice ChooseHelpFile(const std::wstring& programPath, const std::function<bool(const std::wstring&)>& exists);
// The message for a program without either file; it names both.
std::wstring HelpMissingText(const std::wstring& programPath);
