#include "app/ViewerClicks.h"

TViewerAction TViewerClicks::Press(bool rightButton, bool browseMode) const {
    if (!rightButton) return TViewerAction::vaNone;
    return browseMode ? TViewerAction::vaStartTimer : TViewerAction::vaPopupAtPoint;
}

TViewerAction TViewerClicks::TimerExpired() {
    longPress_ = true;
    return TViewerAction::vaPopupAtCursor;
}

TViewerAction TViewerClicks::Release(bool rightButton, bool browseMode) {
    const bool page = browseMode && !longPress_;
    longPress_ = false;
    if (!page) return TViewerAction::vaNone;
    return rightButton ? TViewerAction::vaShowNext : TViewerAction::vaShowPrevious;
}
