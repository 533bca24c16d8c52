#pragma once
// Paging through the list's rows from the viewers: the next or previous row that can be shown,
// with the questions at either end of the list and for pictures that cannot be decoded.
#include <functional>
#include <string>

enum class TShowOutcome {
    soShown,        // the row is on show
    soNotShown,     // nothing was shown, and nothing more is tried
    soUndecodable,  // the row is not a picture any reader knows: the next one is tried
};

struct TPagingCallbacks {
    // Shows a row; errors other than an undecodable picture are raised and end the paging.
    std::function<TShowOutcome(int row)> show;
    // A Yes/No question; true for Yes.
    std::function<bool(const std::wstring& question)> confirm;
};

inline constexpr wchar_t kNoNextFile[] = L"次のファイルは存在しません。最初のファイルを表示しますか？";
inline constexpr wchar_t kNoPreviousFile[] = L"前のファイルは存在しません。最後のファイルを表示しますか？";
inline constexpr wchar_t kSkipToNext[] = L"認識できない画像形式です。次のファイルを表示しますか?";
inline constexpr wchar_t kSkipToPrevious[] = L"認識できない画像形式です。前のファイルを表示しますか?";

// Shows the row after `current` (of rowCount rows), wrapping to the first after asking; rows
// that cannot be decoded are skipped, after a question when ask is set. Returns true when a row
// was shown, and current is then that row. Otherwise, also when an error is raised, current is
// left as it was; and once every row has been tried without success the paging stops.
bool ShowNext(int& current, int rowCount, bool ask, const TPagingCallbacks& callbacks);
// The same towards the first row, wrapping to the last.
bool ShowPrevious(int& current, int rowCount, bool ask, const TPagingCallbacks& callbacks);
