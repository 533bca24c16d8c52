#include <windows.h>

#include "toolkit/Prompt.h"

namespace {

const wchar_t* Caption(TPromptKind kind) {
    switch (kind) {
    case TPromptKind::pkInformation: return L"情報";
    case TPromptKind::pkConfirmation: return L"確認";
    case TPromptKind::pkWarning: return L"警告";
    case TPromptKind::pkError: return L"エラー";
    }
    return L"";
}

class TMessageBoxPrompt : public TPrompt {
public:
    TPromptAnswer Ask(TPromptKind kind, const std::wstring& text, TPromptButtons buttons) override {
        UINT style = MB_TASKMODAL;
        switch (kind) {
        case TPromptKind::pkInformation: style |= MB_ICONINFORMATION; break;
        case TPromptKind::pkConfirmation: style |= MB_ICONQUESTION; break;
        case TPromptKind::pkWarning: style |= MB_ICONWARNING; break;
        case TPromptKind::pkError: style |= MB_ICONERROR; break;
        }
        switch (buttons) {
        case TPromptButtons::pbOK: style |= MB_OK; break;
        case TPromptButtons::pbYesNo: style |= MB_YESNO; break;
        case TPromptButtons::pbYesNoCancel: style |= MB_YESNOCANCEL; break;
        }
        switch (MessageBoxW(GetActiveWindow(), text.c_str(), Caption(kind), style)) {
        case IDOK: return TPromptAnswer::paOK;
        case IDYES: return TPromptAnswer::paYes;
        case IDNO: return TPromptAnswer::paNo;
        case IDCANCEL: return TPromptAnswer::paCancel;
        default: return TPromptAnswer::paNone;
        }
    }
};

}  // namespace

TPrompt& DefaultPrompt() {
    static TMessageBoxPrompt prompt;
    return prompt;
}
