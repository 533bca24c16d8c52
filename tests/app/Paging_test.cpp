#include "app/Paging.h"

#include <gtest/gtest.h>

#include "toolkit/Exceptions.h"

namespace {

// Rows shown by index: 'o' shows, 'x' cannot be decoded, 'e' raises, 'n' shows nothing.
struct TPagingScript {
    std::string rows;
    std::vector<bool> answers;
    std::vector<int> tried;
    std::vector<std::wstring> questions;

    TPagingCallbacks Callbacks() {
        return {[this](int row) {
                    tried.push_back(row);
                    switch (rows.at(static_cast<size_t>(row))) {
                    case 'o': return TShowOutcome::soShown;
                    case 'n': return TShowOutcome::soNotShown;
                    case 'e': throw Exception(L"broken");
                    default: return TShowOutcome::soUndecodable;
                    }
                },
                [this](const std::wstring& q) {
                    questions.push_back(q);
                    if (answers.empty()) return false;
                    const bool a = answers.front();
                    answers.erase(answers.begin());
                    return a;
                }};
    }
};

}  // namespace

TEST(Paging, NextAndPrevious) {
    struct Case {
        const char* name;
        bool next;
        std::string rows;
        int current;
        bool ask;
        std::vector<bool> answers;
        bool want;
        int wantCurrent;
        std::vector<int> wantTried;
        std::vector<std::wstring> wantQuestions;
    };
    const Case cases[] = {
        {"next row", true, "ooo", 0, true, {}, true, 1, {1}, {}},
        {"last row, No", true, "ooo", 2, true, {false}, false, 2, {}, {kNoNextFile}},
        {"last row, Yes wraps", true, "ooo", 2, true, {true}, true, 0, {0}, {kNoNextFile}},
        {"three undecodable skipped silently", true, "oxxxo", 0, false, {}, true, 4, {1, 2, 3, 4}, {}},
        {"skip asks", true, "oxo", 0, true, {true}, true, 2, {1, 2}, {kSkipToNext}},
        {"skip refused keeps the index", true, "oxxo", 0, true, {true, false}, false, 0, {1, 2}, {kSkipToNext, kSkipToNext}},
        {"skipping past the end asks to wrap", true, "oxx", 0, false, {true}, true, 0, {1, 2, 0}, {kNoNextFile}},
        {"nothing decodes: one cycle", true, "xxx", 1, false, {true, true, true}, false, 1, {2, 0, 1}, {kNoNextFile}},
        {"not shown stops", true, "onx", 0, false, {}, false, 0, {1}, {}},
        {"no current row", true, "ooo", -1, true, {}, false, -1, {}, {}},
        {"index past the rows", true, "ooo", 3, true, {}, false, 3, {}, {}},
        {"previous row", false, "ooo", 2, true, {}, true, 1, {1}, {}},
        {"first row, Yes shows the last", false, "ooo", 0, true, {true}, true, 2, {2}, {kNoPreviousFile}},
        {"previous skips", false, "oxxo", 3, true, {true, true}, true, 0, {2, 1, 0}, {kSkipToPrevious, kSkipToPrevious}},
        {"previous, nothing decodes", false, "xxxx", 0, false, {true}, false, 0, {3, 2, 1, 0}, {kNoPreviousFile}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPagingScript script{c.rows, c.answers, {}, {}};
        int current = c.current;
        const bool shown = c.next ? ShowNext(current, static_cast<int>(c.rows.size()), c.ask, script.Callbacks())
                                  : ShowPrevious(current, static_cast<int>(c.rows.size()), c.ask, script.Callbacks());
        EXPECT_EQ(shown, c.want);
        EXPECT_EQ(current, c.wantCurrent);
        EXPECT_EQ(script.tried, c.wantTried);
        EXPECT_EQ(script.questions, c.wantQuestions);
    }
}

TEST(Paging, ErrorsPassAndLeaveTheIndex) {
    TPagingScript script{"oxe", {}, {}, {}};
    int current = 0;
    EXPECT_THROW(ShowNext(current, 3, false, script.Callbacks()), Exception);
    EXPECT_EQ(current, 0);
}

TEST(Paging, LongSkipsRunInALoop) {
    // A recursion per skipped row would need a deep stack here.
    std::string rows(200000, 'x');
    rows.back() = 'o';
    TPagingScript script{rows, {}, {}, {}};
    int current = 0;
    EXPECT_TRUE(ShowNext(current, static_cast<int>(rows.size()), false, script.Callbacks()));
    EXPECT_EQ(current, static_cast<int>(rows.size()) - 1);
}
