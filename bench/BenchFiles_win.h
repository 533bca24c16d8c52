#pragma once
// The benchmarks' scratch files: folders made in the temporary folder and removed with all they hold.
#include <windows.h>

#include <string>

#include "toolkit/WinPath_win.h"

inline std::wstring MakeFolder(const std::wstring& parent, const std::wstring& name) {
    const std::wstring path = parent + L"\\" + name;
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

// A folder of its own in the temporary folder, named after the benchmark and the process.
inline std::wstring MakeScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    return MakeFolder(std::wstring(temp, n), name + L"-" + std::to_wstring(GetCurrentProcessId()));
}

inline void WriteBytes(const std::wstring& path, const void* data, size_t size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
        CloseHandle(file);
    }
}

inline void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path + L"\\" + name);
            else DeleteFileW((path + L"\\" + name).c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

// A program folder of its own under root, holding copies of the shipped plug-ins that stand
// beside the benchmark in bin/.
inline std::wstring MakeProgramFolder(const std::wstring& root) {
    const std::wstring program = MakeFolder(root, L"program");
    const std::wstring bin = ModuleFolder(nullptr);
    for (const wchar_t* name : {L"vvarchive.spi", L"vvimage.spi"})
        CopyFileW((bin + L"\\" + name).c_str(), (program + L"\\" + name).c_str(), FALSE);
    return program;
}
