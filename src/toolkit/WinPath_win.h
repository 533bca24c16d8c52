#pragma once
// Paths the program asks Windows for.
#include <windows.h>

#include <string>

// The full path of a file as the loader uses it; the path itself when the system gives none.
inline std::wstring FullPathOf(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring out(n, L'\0');
    const DWORD got = GetFullPathNameW(path.c_str(), n, out.data(), nullptr);
    if (got == 0 || got >= n) return path;
    out.resize(got);
    return out;
}

// The path of a loaded module (null: the program file), however long; empty on failure.
inline std::wstring ModuleFileName(HMODULE module) {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);  // the path was cut short: try a larger buffer
    }
}

// The folder of a loaded module (null: the program file), without a trailing backslash; empty on
// failure. The program's own folder as the program uses it is ProgramFolder(), which tests can set.
inline std::wstring ModuleFolder(HMODULE module) {
    const std::wstring path = ModuleFileName(module);
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
