#pragma once
// What the two picture viewers ask of the window that owns the list: the viewers hold no list and
// no position in one, so every command that changes or saves the picture on show comes here.
// fullScreen names the viewer the next picture goes to; ask is whether paging asks its questions
// (the viewers pass the negation of their browse mode).
#include <string>

class TViewerHost {
public:
    // Each returns true when a picture was shown.
    virtual bool ShowNext(bool ask, bool fullScreen) = 0;
    virtual bool ShowPrevious(bool ask, bool fullScreen) = 0;
    virtual bool ShowAgain(bool fullScreen) = 0;
    // Each returns true when the member was saved or skipped at the overwrite question.
    virtual bool SaveCurrentAs(const std::wstring& path) = 0;
    virtual bool SaveCurrentToFolder() = 0;
    virtual bool SaveCurrentAsBitmap() = 0;
    // The browse mode both viewers share, written whenever a viewer's "閲覧モード" changes.
    virtual void SetViewMode(bool browse) = 0;
    virtual bool ViewMode() const = 0;

protected:
    ~TViewerHost() = default;
};
