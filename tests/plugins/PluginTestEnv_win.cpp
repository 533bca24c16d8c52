#include "plugins/PluginTestEnv.h"

#include <gtest/gtest.h>

#include "common/TestData.h"
#include "plugins/SPIs.h"
#include "toolkit/Handles_win.h"
#include "toolkit/TextUtil.h"
#include "toolkit/WinPath_win.h"

std::wstring ThisProgramFolder() { return ModuleFolder(nullptr); }

std::wstring TestSpiFolder() { return ThisProgramFolder() + L"\\spi"; }

std::wstring TestSpi(const std::wstring& name) { return TestSpiFolder() + L"\\" + name + L".spi"; }

std::wstring CopyTestSpi(const std::wstring& name, const std::wstring& folder, const std::wstring& newName) {
    const std::wstring target = folder + L"\\" + (newName.empty() ? name + L".spi" : newName);
    EXPECT_TRUE(CopyFileW(TestSpi(name).c_str(), target.c_str(), FALSE)) << "copying " << WideToUtf8(name);
    return target;
}

TSusieFolderSetting::TSusieFolderSetting(const std::optional<std::wstring>& folder) {
    TUniqueRegKey key;
    keyExisted_ = RegOpenKeyExW(HKEY_CURRENT_USER, kSusieRegistryKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
    if (keyExisted_) {
        const std::wstring old = SusiePluginFolder();
        if (RegQueryValueExW(key.get(), kSusieRegistryValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            oldValue_ = old;
    }
    key.reset();
    if (folder) {
        RegCreateKeyExW(HKEY_CURRENT_USER, kSusieRegistryKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                        nullptr);
        RegSetValueExW(key.get(), kSusieRegistryValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder->c_str()),
                       static_cast<DWORD>((folder->size() + 1) * sizeof(wchar_t)));
    } else if (keyExisted_) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kSusieRegistryKey, kSusieRegistryValue);
    }
}

TSusieFolderSetting::~TSusieFolderSetting() {
    if (!keyExisted_) {
        RegDeleteKeyW(HKEY_CURRENT_USER, kSusieRegistryKey);
        return;
    }
    if (oldValue_) {
        TUniqueRegKey key;
        RegOpenKeyExW(HKEY_CURRENT_USER, kSusieRegistryKey, 0, KEY_SET_VALUE, key.put());
        RegSetValueExW(key.get(), kSusieRegistryValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(oldValue_->c_str()),
                       static_cast<DWORD>((oldValue_->size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kSusieRegistryKey, kSusieRegistryValue);
    }
}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

std::vector<uint8_t> VvImageFile(int width, int height, uint32_t seed) {
    std::vector<uint8_t> out = {'V', 'V', 'I', '1'};
    Put16(out, static_cast<uint32_t>(width));
    Put16(out, static_cast<uint32_t>(height));
    const auto pixels = PatternBytes(static_cast<size_t>(width) * height * 3, seed);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

std::vector<uint8_t> VvArchiveFile(const std::vector<TVvMember>& members) {
    std::vector<uint8_t> out = {'V', 'V', 'A', '1'};
    Put32(out, static_cast<uint32_t>(members.size()));
    for (const auto& m : members) {
        out.push_back(static_cast<uint8_t>(m.path.size()));
        out.insert(out.end(), m.path.begin(), m.path.end());
        out.push_back(static_cast<uint8_t>(m.name.size()));
        out.insert(out.end(), m.name.begin(), m.name.end());
        Put32(out, m.time);
        Put32(out, static_cast<uint32_t>(m.data.size()));
        out.insert(out.end(), m.data.begin(), m.data.end());
    }
    return out;
}

int Probe(const TSPI& spi, TProbe what, void* out) {
    using ProbeFn = int(WINAPI*)(int, void*);
    const auto probe = GetExport<ProbeFn>(spi.Handle(), "VVTestProbe");
    if (!probe) {
        ADD_FAILURE() << "the plug-in has no VVTestProbe";
        return 0;
    }
    return probe(what, out);
}

TRaised RaisedBy(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return {e.ClassName(), e.Message()};
    }
    return {"", L"<none>"};
}

bool ModuleLoaded(const std::wstring& path) { return GetModuleHandleW(path.c_str()) != nullptr; }
