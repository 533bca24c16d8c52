#pragma once
// An INI file read and written through the Windows profile functions. Integers are decimal text;
// booleans are the integers 0 and 1. A file that does not exist yet is created as UTF-16 with a
// byte-order mark before the first write, so that any text (and a path the ANSI code page cannot
// hold) is kept; a file that exists keeps its encoding, and the profile functions read both.
#include <string>
#include <vector>

#include "toolkit/Exceptions.h"

VV_EXCEPTION_CLASS(EIniFileException, Exception);

class TIniFile {
public:
    explicit TIniFile(std::wstring fileName) : fileName_(std::move(fileName)) {}

    const std::wstring& FileName() const { return fileName_; }

    // The value of a key, whole however long; def when the key is missing.
    std::wstring ReadString(const std::wstring& section, const std::wstring& key, const std::wstring& def) const;
    // def when the key is missing or its value is not an integer.
    int ReadInteger(const std::wstring& section, const std::wstring& key, int def) const;
    bool ReadBool(const std::wstring& section, const std::wstring& key, bool def) const;
    // The names of the keys of a section, in the file's order.
    std::vector<std::wstring> ReadSection(const std::wstring& section) const;
    // A section exists when it holds at least one key.
    bool SectionExists(const std::wstring& section) const { return !ReadSection(section).empty(); }
    bool ValueExists(const std::wstring& section, const std::wstring& key) const;

    // Writers raise EIniFileException when the file cannot be written.
    void WriteString(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    void WriteInteger(const std::wstring& section, const std::wstring& key, int value);
    void WriteBool(const std::wstring& section, const std::wstring& key, bool value);
    // Removes a section with all its keys.
    void EraseSection(const std::wstring& section);

private:
    void Write(const wchar_t* section, const wchar_t* key, const wchar_t* value);

    std::wstring fileName_;
};
