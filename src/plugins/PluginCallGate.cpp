#include "plugins/PluginCallGate.h"

bool TPluginCallGate::Enter() {
    const std::thread::id self = std::this_thread::get_id();
    if (owner_.load() == self) return false;
    mutex_.lock();
    owner_.store(self);
    return true;
}

void TPluginCallGate::Leave() {
    owner_.store(std::thread::id());
    mutex_.unlock();
}
