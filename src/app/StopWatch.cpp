#include "app/StopWatch.h"

#include "app/FileUtil.h"

TStopWatch::TStopWatch(TClock clock) : clock_(std::move(clock)) {}

TStopWatch::~TStopWatch() { SetDisplayLabel(nullptr); }

void TStopWatch::Start() {
    frozen_ = 0;
    carried_ = 0;
    running_ = true;
    startTick_ = clock_();
}

void TStopWatch::Stop() {
    frozen_ = carried_ = Elapsed();
    running_ = false;
    if (label_) label_->SetCaption(Text());
}

int64_t TStopWatch::Elapsed() const {
    if (!running_) return frozen_;
    // Unsigned difference: right across the timer's wrap after 49.7 days.
    return static_cast<int64_t>(static_cast<uint32_t>(clock_() - startTick_)) + carried_;
}

std::wstring TStopWatch::Text() const { return FormatElapsed(Elapsed()); }

void TStopWatch::SetDisplayLabel(TLabelTarget* label) {
    if (label_ == label) return;
    if (label_) label_->RemoveWatcher(this);
    label_ = label;
    if (label_) label_->AddWatcher(this);
}

void TStopWatch::LabelDestroyed(TLabelTarget* label) {
    if (label_ == label) label_ = nullptr;
}

std::wstring FormatElapsed(int64_t milliseconds) {
    const int64_t seconds = (milliseconds / 1000) % 65536;  // the seconds count is 16 bits wide
    const int64_t totalMinutes = seconds / 60;
    const auto pad = [](int64_t value, int width) { return RightJustify(std::to_wstring(value), width); };
    std::wstring millis = std::to_wstring(milliseconds % 1000);
    millis.insert(0, 3 - std::min<size_t>(3, millis.size()), L'0');
    return std::to_wstring(totalMinutes / 60) + L"時間 " + pad(totalMinutes % 60, 2) + L"分 " + pad(seconds % 60, 2) +
           L"秒" + millis;
}
