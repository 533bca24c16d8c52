#include "toolkit/IniFile_win.h"

#include <windows.h>

#include <cerrno>
#include <climits>
#include <cwchar>

#include "toolkit/Handles_win.h"
#include "toolkit/TextUtil.h"

namespace {

// GetPrivateProfileStringW into a buffer that grows until the answer fits. With a null key the
// answer is the section's key names, each ended by a null character.
std::wstring ProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* def, const std::wstring& file) {
    // A cut answer fills the buffer but for one terminator (two for a list of names).
    const DWORD cutMargin = key ? 1 : 2;
    std::wstring buffer(256, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD n = GetPrivateProfileStringW(section, key, def, buffer.data(), size, file.c_str());
        if (n + cutMargin < size) {
            buffer.resize(n);
            return buffer;
        }
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

// Creates a file that does not exist as empty UTF-16 text (its byte-order mark only); the profile
// functions then write to it in UTF-16. A file that exists is left alone.
void CreateUnicodeFile(const std::wstring& path) {
    TUniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;  // it exists, or cannot be made: the write that follows reports the latter
    static const unsigned char kBom[] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(file.get(), kBom, sizeof kBom, &written, nullptr);
}

// A decimal integer with an optional sign and nothing after it, inside the range of int.
bool ParseInteger(const std::wstring& text, int& value) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    errno = 0;
    const long long parsed = std::wcstoll(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != L'\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

}  // namespace

std::wstring TIniFile::ReadString(const std::wstring& section, const std::wstring& key, const std::wstring& def) const {
    return ProfileString(section.c_str(), key.c_str(), def.c_str(), fileName_);
}

int TIniFile::ReadInteger(const std::wstring& section, const std::wstring& key, int def) const {
    int value = def;
    return ParseInteger(ReadString(section, key, L""), value) ? value : def;
}

bool TIniFile::ReadBool(const std::wstring& section, const std::wstring& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::vector<std::wstring> TIniFile::ReadSection(const std::wstring& section) const {
    const std::wstring names = ProfileString(section.c_str(), nullptr, L"", fileName_);
    std::vector<std::wstring> keys;
    for (size_t start = 0; start < names.size();) {
        const size_t end = names.find(L'\0', start);
        const size_t stop = end == std::wstring::npos ? names.size() : end;
        if (stop > start) keys.push_back(names.substr(start, stop - start));
        start = stop + 1;
    }
    return keys;
}

bool TIniFile::ValueExists(const std::wstring& section, const std::wstring& key) const {
    for (const std::wstring& name : ReadSection(section)) {
        // Key names match as the profile functions match them: without regard to case.
        if (CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), key.c_str(), static_cast<int>(key.size()),
                                 TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

void TIniFile::Write(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    if (!WritePrivateProfileStringW(section, key, value, fileName_.c_str()))
        throw EIniFileException(FormatW(L"%s に書き込めません。", {fileName_}));
}

void TIniFile::WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    CreateUnicodeFile(fileName_);
    Write(section.c_str(), key.c_str(), value.c_str());
}

void TIniFile::WriteInteger(const std::wstring& section, const std::wstring& key, int value) {
    WriteString(section, key, std::to_wstring(value));
}

void TIniFile::WriteBool(const std::wstring& section, const std::wstring& key, bool value) {
    WriteInteger(section, key, value ? 1 : 0);
}

void TIniFile::EraseSection(const std::wstring& section) {
    if (GetFileAttributesW(fileName_.c_str()) == INVALID_FILE_ATTRIBUTES) return;  // nothing to erase
    Write(section.c_str(), nullptr, nullptr);
}
