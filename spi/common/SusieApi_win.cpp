#include "spi/common/SusieApi_win.h"

#include "spi/common/FileSource_win.h"

#include <climits>
#include <cstring>

TProgress MakeProgress(FARPROC callback, LONG_PTR data) {
    if (!callback) return {};
    // Through a plain function pointer type: a direct cast between function types warns.
    const auto fn = reinterpret_cast<TSusieProgressFn>(reinterpret_cast<void (*)()>(callback));
    return [fn, data](uint64_t done, uint64_t total) {
        while (total > static_cast<uint64_t>(INT_MAX)) {
            total >>= 1;
            done >>= 1;
        }
        return fn(static_cast<int>(done), static_cast<int>(total), data) == 0;
    };
}

int CopyToCallerBuffer(const char* text, LPSTR buf, int buflen) {
    if (!buf || buflen <= 0) return 0;
    size_t n = std::strlen(text);
    if (n > static_cast<size_t>(buflen - 1)) n = static_cast<size_t>(buflen - 1);
    std::memcpy(buf, text, n);
    buf[n] = '\0';
    return static_cast<int>(n);
}

int AnswerIsSupported(DWORD_PTR dw, size_t headSize, const std::function<bool(std::span<const uint8_t>)>& recognise) {
    try {
        if (IsHandleArgument(dw)) {
            const auto file = reinterpret_cast<HANDLE>(static_cast<DWORD_PTR>(dw));
            const std::vector<uint8_t> head = ReadHeadFromHandle(file, headSize);
            return recognise(head) ? 1 : 0;
        }
        const auto* head = reinterpret_cast<const uint8_t*>(static_cast<DWORD_PTR>(dw));
        return recognise(std::span<const uint8_t>(head, headSize)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
