#pragma once
// A fresh folder for one test, removed with everything in it when the test ends (Windows).
#include <string>
#include <vector>

class TTempDir {
public:
    // Under the user's temporary folder, or under parent when one is given.
    explicit TTempDir(const std::wstring& parent = {});
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes);
void WriteFileText(const std::wstring& path, const std::string& text);
std::string ReadFileText(const std::wstring& path);
bool PathExists(const std::wstring& path);
