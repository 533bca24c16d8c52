#pragma once
// Something that shows a one-line caption (a label, a status panel). It tells the objects that
// watch it when it is destroyed, so that none keeps a dangling reference.
#include <algorithm>
#include <string>
#include <vector>

class TLabelTarget;

class TLabelWatcher {
public:
    virtual void LabelDestroyed(TLabelTarget* label) = 0;

protected:
    ~TLabelWatcher() = default;
};

class TLabelTarget {
public:
    TLabelTarget() = default;
    TLabelTarget(const TLabelTarget&) = delete;
    TLabelTarget& operator=(const TLabelTarget&) = delete;
    virtual ~TLabelTarget() {
        const auto watchers = watchers_;
        for (TLabelWatcher* w : watchers) w->LabelDestroyed(this);
    }
    virtual void SetCaption(const std::wstring& text) = 0;

    void AddWatcher(TLabelWatcher* w) { watchers_.push_back(w); }
    void RemoveWatcher(TLabelWatcher* w) { watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), w), watchers_.end()); }

private:
    std::vector<TLabelWatcher*> watchers_;
};
