#include "toolkit/Prompt.h"

namespace {
TPrompt* g_prompt = nullptr;
}  // namespace

TPrompt& CurrentPrompt() { return g_prompt ? *g_prompt : DefaultPrompt(); }

TPrompt* SetCurrentPrompt(TPrompt* prompt) {
    TPrompt* previous = g_prompt;
    g_prompt = prompt;
    return previous;
}

TPromptAnswer TScriptedPrompt::Ask(TPromptKind kind, const std::wstring& text, TPromptButtons buttons) {
    questions_.push_back({kind, text, buttons});
    if (answers_.empty()) return TPromptAnswer::paNone;
    const TPromptAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}
