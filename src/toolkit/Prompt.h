#pragma once
// Every question and notice to the user goes through one prompt. The program installs a
// message-box prompt; tests install a scripted one and read back what was asked.
#include <deque>
#include <string>
#include <vector>

#include "toolkit/InstallScope.h"

enum class TPromptKind { pkInformation, pkConfirmation, pkWarning, pkError };
enum class TPromptButtons { pbOK, pbYesNo, pbYesNoCancel };
// paNone: the box was closed without one of its buttons.
enum class TPromptAnswer { paNone, paOK, paYes, paNo, paCancel };

class TPrompt {
public:
    virtual ~TPrompt() = default;
    virtual TPromptAnswer Ask(TPromptKind kind, const std::wstring& text, TPromptButtons buttons) = 0;
};

// The prompt in use; there is always one (a message-box prompt on Windows until one is set).
TPrompt& CurrentPrompt();
// Installs a prompt (null restores the default) and returns the one it replaces.
TPrompt* SetCurrentPrompt(TPrompt* prompt);

// Answers from a script, in order, and records every question. Once the script runs out it
// answers paNone, which callers treat as the box being closed.
class TScriptedPrompt : public TPrompt {
public:
    struct TQuestion {
        TPromptKind kind;
        std::wstring text;
        TPromptButtons buttons;
    };

    explicit TScriptedPrompt(std::vector<TPromptAnswer> answers = {}) : answers_(answers.begin(), answers.end()) {}
    TPromptAnswer Ask(TPromptKind kind, const std::wstring& text, TPromptButtons buttons) override;

    void Push(TPromptAnswer answer) { answers_.push_back(answer); }
    const std::vector<TQuestion>& Questions() const { return questions_; }

private:
    std::deque<TPromptAnswer> answers_;
    std::vector<TQuestion> questions_;
};

// Installs a prompt for the lifetime of a scope.
using TPromptScope = TInstallScope<TPrompt, SetCurrentPrompt>;

// The prompt shown by default; defined per platform (message boxes on Windows).
TPrompt& DefaultPrompt();
