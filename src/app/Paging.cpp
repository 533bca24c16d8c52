#include "app/Paging.h"

namespace {

// One loop for both directions (step +1 or -1). `at` walks over the rows tried, as the current
// index would; the caller's index changes only when a row is shown.
bool Page(int& current, int rowCount, bool ask, const TPagingCallbacks& callbacks, int step) {
    if (current < 0 || current >= rowCount) return false;
    const int endRow = step > 0 ? rowCount - 1 : 0;
    const int wrapRow = step > 0 ? 0 : rowCount - 1;
    const wchar_t* wrapQuestion = step > 0 ? kNoNextFile : kNoPreviousFile;
    const wchar_t* skipQuestion = step > 0 ? kSkipToNext : kSkipToPrevious;
    int at = current;
    // Without this bound a list of which no row decodes would be walked for ever.
    for (int tried = 0; tried < rowCount; ++tried) {
        int row = at + step;
        if (at == endRow) {
            if (!callbacks.confirm(wrapQuestion)) return false;
            row = wrapRow;
        }
        switch (callbacks.show(row)) {
        case TShowOutcome::soShown: current = row; return true;
        case TShowOutcome::soNotShown: return false;
        case TShowOutcome::soUndecodable:
            if (ask && !callbacks.confirm(skipQuestion)) return false;
            at = row;
            break;
        }
    }
    return false;
}

}  // namespace

bool ShowNext(int& current, int rowCount, bool ask, const TPagingCallbacks& callbacks) {
    return Page(current, rowCount, ask, callbacks, +1);
}

bool ShowPrevious(int& current, int rowCount, bool ask, const TPagingCallbacks& callbacks) {
    return Page(current, rowCount, ask, callbacks, -1);
}
