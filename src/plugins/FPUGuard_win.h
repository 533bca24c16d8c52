#pragma once
// Plug-ins built with other compilers change the floating-point control words (precision,
// rounding, exception masks) in their start-up code and in their exports. Every call into a
// plug-in, loading and unloading included, runs inside one of these guards, which puts both the
// x87 control word and the SSE control register back as they were.
#include <cstdint>

inline uint16_t ReadX87ControlWord() {
    uint16_t cw;
    __asm__ volatile("fnstcw %0" : "=m"(cw));
    return cw;
}

inline uint32_t ReadMxcsr() {
    uint32_t csr;
    __asm__ volatile("stmxcsr %0" : "=m"(csr));
    return csr;
}

class TFPUGuard {
public:
    TFPUGuard() : x87_(ReadX87ControlWord()), mxcsr_(ReadMxcsr()) {}
    ~TFPUGuard() {
        // Clear exceptions the plug-in left pending, so that restoring the masks cannot raise one.
        __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(x87_));
        __asm__ volatile("ldmxcsr %0" : : "m"(mxcsr_));
    }
    TFPUGuard(const TFPUGuard&) = delete;
    TFPUGuard& operator=(const TFPUGuard&) = delete;

private:
    uint16_t x87_;
    uint32_t mxcsr_;
};
