#pragma once
// Measures elapsed wall-clock milliseconds and writes them as text into a label when stopped.
#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/Label.h"

class TStopWatch : public TLabelWatcher {
public:
    using TClock = std::function<uint32_t()>;

    TStopWatch();  // the system's millisecond timer
    explicit TStopWatch(TClock clock);
    ~TStopWatch();
    TStopWatch(const TStopWatch&) = delete;
    TStopWatch& operator=(const TStopWatch&) = delete;

    void Start();
    void Stop();
    int64_t Elapsed() const;
    // "H時間 MM分 SS秒mmm": minutes and seconds padded with spaces, milliseconds with zeros.
    std::wstring Text() const;

    TLabelTarget* DisplayLabel() const { return label_; }
    void SetDisplayLabel(TLabelTarget* label);

private:
    void LabelDestroyed(TLabelTarget* label) override;

    TClock clock_;
    TLabelTarget* label_ = nullptr;
    uint32_t startTick_ = 0;
    int64_t carried_ = 0;
    int64_t frozen_ = 0;
    bool running_ = false;
};

// Formats milliseconds as the stop watch does.
std::wstring FormatElapsed(int64_t milliseconds);
