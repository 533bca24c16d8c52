#pragma once
// What a mouse button on a viewer's picture leads to. In browse mode a short right click pages
// forward and any other click pages back; holding the right button for the click delay opens the
// pop-up menu instead, and its release then pages nowhere. Outside browse mode a right press opens
// the pop-up menu at once and releases do nothing.
//
// The long-press flag also swallows one release that belongs to something else: the image view
// window starts with it set, so the release of the double click that showed it does not page, and
// it stays set while the window is busy decoding.

enum class TViewerAction {
    vaNone,
    vaStartTimer,     // start the click timer
    vaPopupAtPoint,   // open the pop-up menu where the button was pressed
    vaPopupAtCursor,  // open the pop-up menu where the mouse is now
    vaShowNext,
    vaShowPrevious,
};

class TViewerClicks {
public:
    explicit TViewerClicks(bool longPress) : longPress_(longPress) {}

    TViewerAction Press(bool rightButton, bool browseMode) const;
    // The click timer ran out while the button was held.
    TViewerAction TimerExpired();
    // Any release; clears the long-press flag.
    TViewerAction Release(bool rightButton, bool browseMode);

    bool LongPress() const { return longPress_; }
    void SetLongPress(bool longPress) { longPress_ = longPress; }

private:
    bool longPress_;
};
