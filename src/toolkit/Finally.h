#pragma once
// Runs an action when the scope ends, on every path (exceptions included): the undoing half of a
// step whose doing half the scope began. The action must not throw.
#include <utility>

template <class Action>
class TFinally {
public:
    explicit TFinally(Action action) : action_(std::move(action)) {}
    ~TFinally() { action_(); }
    TFinally(const TFinally&) = delete;
    TFinally& operator=(const TFinally&) = delete;

private:
    Action action_;
};
