#pragma once
// The helpers both shipped plug-ins use at the plug-in boundary. The records, flag bits and
// export types themselves are the host's (plugins/SusieApi.h), so both sides share one definition.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <new>
#include <span>

#include "plugins/SusieApi.h"
#include "spi/common/ByteSource.h"

// The host's progress callback as a TProgress (which answers false to stop). A null callback
// never stops. Counts beyond int are scaled down so that the ratio stays right.
TProgress MakeProgress(FARPROC callback, LONG_PTR data);

// Copies text into a caller's buffer of buflen bytes, cut to fit and NUL-terminated, and returns
// the number of characters written (0 when nothing fits).
int CopyToCallerBuffer(const char* text, LPSTR buf, int buflen);

// True when IsSupported's second argument is a file handle rather than the address of the file's
// first 2 KB: handles never reach 0x10000, addresses always do.
inline bool IsHandleArgument(ULONG_PTR dw) { return dw < 0x10000; }

// IsSupported's answer: the file's first headSize bytes, read from the handle or taken from the
// address that dw holds, go to recognise. Nothing raised leaves: a failure answers 0.
int AnswerIsSupported(ULONG_PTR dw, size_t headSize, const std::function<bool(std::span<const uint8_t>)>& recognise);

// Runs an export's body: no exception may leave an export, since the host is not ours and may not
// be C++. Memory exhaustion is srNoMemory, anything else srInternalError.
template <class Fn>
int Guarded(Fn fn) noexcept {
    try {
        return fn();
    } catch (const std::bad_alloc&) {
        return srNoMemory;
    } catch (...) {
        return srInternalError;
    }
}

#define SPI_EXPORT extern "C" __declspec(dllexport)
