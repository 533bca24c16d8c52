#pragma once
// Helpers for the plug-in host tests under Wine: where the test plug-ins are, copies of them,
// the Susie folder in the registry, files in the tests' own picture and archive formats, and what
// a test plug-in reports about the calls it received.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TSPI;

// The folder of the test plug-ins built with the tests, and one of them by name (without ".spi").
std::wstring TestSpiFolder();
std::wstring TestSpi(const std::wstring& name);
// Copies test plug-in name into folder as newName (default: the same name); returns the new path.
std::wstring CopyTestSpi(const std::wstring& name, const std::wstring& folder, const std::wstring& newName = {});
// The folder of the running test program.
std::wstring ThisProgramFolder();

// Sets the Susie plug-in folder (HKCU) for the life of the object, or removes the value when
// folder is empty; restores what was there before.
class TSusieFolderSetting {
public:
    explicit TSusieFolderSetting(const std::optional<std::wstring>& folder);
    ~TSusieFolderSetting();
    TSusieFolderSetting(const TSusieFolderSetting&) = delete;
    TSusieFolderSetting& operator=(const TSusieFolderSetting&) = delete;

private:
    bool keyExisted_ = false;
    std::optional<std::wstring> oldValue_;
};

// A file in the test image plug-in's format: width x height pixels of (B, G, R).
std::vector<uint8_t> VvImageFile(int width, int height, uint32_t seed = 1);

struct TVvMember {
    std::string path;
    std::string name;
    uint32_t time;
    std::vector<uint8_t> data;
};
// A file in the test archive plug-in's format.
std::vector<uint8_t> VvArchiveFile(const std::vector<TVvMember>& members);

// What a test plug-in reports through its VVTestProbe export.
enum TProbe {
    prLastHead = 1,
    prIsSupportedCalls = 2,
    prNullProgress = 3,
    prProgressCalls = 4,
    prLastLData = 5,
    prConfigParent = 6,
    prConfigFnc = 7,
    prLeftHandle = 8,
    prLastSupportedName = 9,
};
int Probe(const TSPI& spi, TProbe what, void* out = nullptr);

// The class name and message of the Exception that f raises ("" and "<none>" when it raises none).
struct TRaised {
    std::string className;
    std::wstring message;
};
TRaised RaisedBy(const std::function<void()>& f);

// True while a module with this path is loaded in the process.
bool ModuleLoaded(const std::wstring& path);
