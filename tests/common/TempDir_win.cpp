#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>

#include "common/TempDir.h"

namespace {

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

TTempDir::TTempDir(const std::wstring& parent) {
    std::wstring base = parent;
    if (base.empty()) {
        wchar_t buf[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
        base.assign(buf, n);
    }
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    // Process ids are reused at once under Wine, and a folder of a finished process may still be
    // on its way out: the name carries the moment this process first asked, so no two processes
    // ever share one.
    static const std::wstring processTag = [] {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        wchar_t tag[40];
        swprintf(tag, 40, L"%lu-%llx", GetCurrentProcessId(), static_cast<unsigned long long>(now.QuadPart));
        return std::wstring(tag);
    }();
    static unsigned counter = 0;
    for (;;) {
        path_ = base + L"\\vvtest-" + processTag + L"-" + std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create a temporary folder";
            return;
        }
    }
}

TTempDir::~TTempDir() {
    if (!path_.empty()) RemoveTree(path_);
}

void WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
    ASSERT_EQ(put, bytes.size());
}

void WriteFileText(const std::wstring& path, const std::string& text) {
    WriteFileBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

std::string ReadFileText(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    CloseHandle(h);
    return out;
}

bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
