#pragma once
// Lets one call at a time into a plug-in. A call from another thread waits its turn; a call from
// the thread that is already inside (a plug-in's own dialog pumps messages, or its progress
// callback reaches code that calls the same plug-in again) is refused at once, since waiting for
// itself would never end and most plug-ins keep their state in globals that a nested call would
// overwrite.
#include <atomic>
#include <mutex>
#include <thread>

class TPluginCallGate {
public:
    TPluginCallGate() = default;
    TPluginCallGate(const TPluginCallGate&) = delete;
    TPluginCallGate& operator=(const TPluginCallGate&) = delete;

    // Waits until no other thread is inside, then enters. Returns false, entering nothing, when
    // the calling thread is inside already.
    [[nodiscard]] bool Enter();
    // Leaves; only the thread that entered may call it.
    void Leave();

private:
    std::mutex mutex_;
    // The thread inside, or no thread. Only the thread inside sets it to anything but itself, so a
    // thread that reads its own id here is inside; any other value means it is not.
    std::atomic<std::thread::id> owner_{};
};
