#include "app/HelpFile.h"

#include "app/SaveTarget.h"

THelpChoice ChooseHelpFile(const std::wstring& programPath, const std::function<bool(const std::wstring&)>& exists) {
    const std::wstring hlp = ReplaceExtension(programPath, L".HLP");
    if (exists(hlp)) return {THelpKind::hkHlp, hlp};
    const std::wstring page = ReplaceExtension(programPath, L".html");
    if (exists(page)) return {THelpKind::hkPage, page};
    return {};
}

std::wstring HelpMissingText(const std::wstring& programPath) {
    return L"ヘルプファイルが見つかりません。\n\r" + ReplaceExtension(programPath, L".HLP") + L"\n\r" +
           ReplaceExtension(programPath, L".html");
}
