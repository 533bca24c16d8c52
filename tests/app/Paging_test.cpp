#include "app/Paging.h"

#include <gtest/gtest.h>

#include "toolkit/Exceptions.h"

namespace {

// Rows by index: 'o' shows, 'x' cannot be decoded, 'e' raises, 'n' shows nothing. Answers 'y'/'n'
// in order (No once they run out). What was tried and asked is recorded: rows as digits,
// questions as W (wrap to the first), w (wrap to the last), S (skip forward), s (skip back).
struct TScript {
    std::string rows, answers, tried, asked;

    TPagingCallbacks Callbacks() {
        return {[this](int row) {
                    tried += static_cast<char>('0' + row % 10);
                    const char kind = rows.at(static_cast<size_t>(row));
                    if (kind == 'e') throw Exception(L"broken");
                    return kind == 'o' ? TShowOutcome::soShown : kind == 'n' ? TShowOutcome::soNotShown
                                                                             : TShowOutcome::soUndecodable;
                },
                [this](const std::wstring& q) {
                    asked += q == kNoNextFile ? 'W' : q == kNoPreviousFile ? 'w' : q == kSkipToNext ? 'S' : 's';
                    const bool yes = !answers.empty() && answers.front() == 'y';
                    if (!answers.empty()) answers.erase(0, 1);
                    return yes;
                }};
    }
};

}  // namespace

TEST(Paging, NextAndPrevious) {
    struct Case { const char* name; bool next; const char* rows; int current; bool ask; const char* answers;
                  bool want; int wantCurrent; const char* tried; const char* asked; };
    const Case cases[] = {
        {"next row", true, "ooo", 0, true, "", true, 1, "1", ""},
        {"last row, No", true, "ooo", 2, true, "n", false, 2, "", "W"},
        {"last row, Yes wraps", true, "ooo", 2, true, "y", true, 0, "0", "W"},
        {"three undecodable skipped silently", true, "oxxxo", 0, false, "", true, 4, "1234", ""},
        {"skip asks", true, "oxo", 0, true, "y", true, 2, "12", "S"},
        {"skip refused keeps the index", true, "oxxo", 0, true, "yn", false, 0, "12", "SS"},
        {"skipping past the end asks to wrap", true, "oxx", 0, false, "y", true, 0, "120", "W"},
        {"nothing decodes: one cycle", true, "xxx", 1, false, "yyy", false, 1, "201", "W"},
        {"not shown stops", true, "onx", 0, false, "", false, 0, "1", ""},
        {"no current row", true, "ooo", -1, true, "", false, -1, "", ""},
        {"index past the rows", true, "ooo", 3, true, "", false, 3, "", ""},
        {"previous row", false, "ooo", 2, true, "", true, 1, "1", ""},
        {"first row, Yes shows the last", false, "ooo", 0, true, "y", true, 2, "2", "w"},
        {"previous skips", false, "oxxo", 3, true, "yy", true, 0, "210", "ss"},
        {"previous, nothing decodes", false, "xxxx", 0, false, "y", false, 0, "3210", "w"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TScript script{c.rows, c.answers, "", ""};
        const int rowCount = static_cast<int>(script.rows.size());
        int current = c.current;
        const bool shown = c.next ? ShowNext(current, rowCount, c.ask, script.Callbacks())
                                  : ShowPrevious(current, rowCount, c.ask, script.Callbacks());
        EXPECT_EQ(shown, c.want);
        EXPECT_EQ(current, c.wantCurrent);
        EXPECT_EQ(script.tried, c.tried);
        EXPECT_EQ(script.asked, c.asked);
    }
}

TEST(Paging, ErrorsPassAndLongSkipsLoop) {
    TScript failing{"oxe", "", "", ""};
    int current = 0;
    EXPECT_THROW(ShowNext(current, 3, false, failing.Callbacks()), Exception);
    EXPECT_EQ(current, 0);
    // A recursion per skipped row would need a deep stack here.
    TScript many{std::string(200000, 'x') + "o", "", "", ""};
    EXPECT_TRUE(ShowNext(current, 200001, false, many.Callbacks()));
    EXPECT_EQ(current, 200000);
}
