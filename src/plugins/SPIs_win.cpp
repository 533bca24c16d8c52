// The plug-in set: finding plug-in files, keeping the loaded plug-ins in order, registering the
// formats of image plug-ins, and choosing the plug-ins for a file.
#include <windows.h>

#include "plugins/SPIs.h"

#include "plugins/SPIBmp.h"
#include "toolkit/Handles_win.h"
#include "toolkit/SystemInfo.h"
#include "toolkit/TextUtil.h"
#include "toolkit/WinPath_win.h"

const wchar_t kSPIDupCreateMessage[] = L"TSPIs は複数生成できません";
const wchar_t kSusieRegistryKey[] = L"Software\\Sorvanek\\Susie\\Plug-in";
const wchar_t kSusieRegistryValue[] = L"Path";

namespace {

TSPIs* g_current = nullptr;
// Image plug-in formats open as plug-in bitmaps from the start of the program. Naming the class here
// also links it into every program that uses the plug-in set.
const TGraphicClass* g_defaultGraphicClass = &TSPIBitmap::StaticClass();

const wchar_t kListIndexError[] = L"リストのインデックスが範囲を超えています (%s)";

std::wstring CurrentFolder() {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return {};
    std::wstring buf(n, L'\0');
    const DWORD got = GetCurrentDirectoryW(n, buf.data());
    if (got == 0 || got >= n) return {};
    buf.resize(got);
    return buf;
}

// The system and Windows folders; empty when the system gives none.
std::wstring SystemFolder(UINT(WINAPI* get)(LPWSTR, UINT)) {
    wchar_t buf[MAX_PATH + 1];
    const UINT n = get(buf, MAX_PATH + 1);
    return n == 0 || n > MAX_PATH ? std::wstring() : std::wstring(buf, n);
}

}  // namespace

std::wstring SusiePluginFolder() {
    TUniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSusieRegistryKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return {};
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), kSusieRegistryValue, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    // One spare character: a stored string need not end with its NUL.
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), kSusieRegistryValue, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &got) != ERROR_SUCCESS)
        return {};
    value.resize(std::min<size_t>(got / sizeof(wchar_t), value.size()));
    const size_t nul = value.find(L'\0');
    if (nul != std::wstring::npos) value.resize(nul);
    return value;
}

TSPIs* CurrentSPIs() { return g_current; }

TSPIs::TSPIs() {
    if (g_current) throw ESPIDupCreateSPIs(kSPIDupCreateMessage);
    g_current = this;
}

TSPIs::~TSPIs() {
    if (g_current == this) g_current = nullptr;
    Clear();
}

void TSPIs::SetDefaultGraphicClass(const TGraphicClass* graphicClass) { g_defaultGraphicClass = graphicClass; }
const TGraphicClass* TSPIs::DefaultGraphicClass() { return g_defaultGraphicClass; }

void TSPIs::Loaded() {
    if (AutoSearch) Search(L"*.spi");
}

void TSPIs::CheckIndex(int index, int limit) const {
    if (index < 0 || index > limit) throw Exception(FormatW(kListIndexError, {std::to_wstring(index)}));
}

TSPI& TSPIs::Items(int index) const {
    CheckIndex(index, Count() - 1);
    return *items_[static_cast<size_t>(index)];
}

int TSPIs::IndexOf(const std::wstring& fileName) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->FileName() == fileName) return static_cast<int>(i);
    return -1;
}

void TSPIs::Insert(int index, std::unique_ptr<TSPI> spi) {
    CheckIndex(index, Count());
    if (!spi) return;
    TSPI* added = spi.get();
    items_.insert(items_.begin() + index, std::move(spi));
    if (auto* in = dynamic_cast<TInSPI*>(added)) {
        try {
            RegisterFormats(*in);
        } catch (...) {
            // The set must not keep a plug-in that the caller is told was not added.
            std::erase_if(items_, [&](const std::unique_ptr<TSPI>& s) { return s.get() == added; });
            throw;
        }
    }
}

void TSPIs::RegisterFormats(TInSPI& spi) {
    // Copies: the event handler may do anything, including deleting plug-ins.
    const std::vector<std::wstring> extensions = spi.Extensions();
    const std::vector<std::wstring> fileTypes = spi.FileTypes();
    for (size_t i = 0; i < extensions.size(); ++i) {
        const std::wstring extension = PatternExtension(extensions[i]);
        const TGraphicClass* graphicClass = g_defaultGraphicClass;
        if (OnPictureRegister) OnPictureRegister(*this, spi, extension, fileTypes[i], graphicClass);
        // A pattern without an extension names no format the registry could look up.
        if (graphicClass && !extension.empty()) RegisterFileFormat(extension, fileTypes[i], graphicClass);
    }
}

void TSPIs::Delete(int index) {
    CheckIndex(index, Count() - 1);
    items_.erase(items_.begin() + index);
}

void TSPIs::Clear() {
    while (!items_.empty()) Delete(0);
}

void TSPIs::Search(const std::wstring& mask) {
    const TSearchMask split = SplitSearchMask(mask);
    if (!split.folder.empty()) {
        SearchFolder(split.folder, split.pattern);
        return;
    }
    auto searchIn = [&](const std::wstring& folder) {
        if (!folder.empty()) SearchFolder(folder, mask);
    };
    if (SearchOptions.Contains(spsSusieDir)) searchIn(SusiePluginFolder());
    if (SearchOptions.Contains(spsAppDir)) searchIn(ProgramFolder());
    if (SearchOptions.Contains(spsCurrentDir)) searchIn(CurrentFolder());
    if (SearchOptions.Contains(spsSystemDir)) searchIn(SystemFolder(GetSystemDirectoryW));
    if (SearchOptions.Contains(spsWindowsDir)) searchIn(SystemFolder(GetWindowsDirectoryW));
}

void TSPIs::SearchFolder(const std::wstring& folder, const std::wstring& pattern) {
    std::vector<std::wstring> paths;
    {
        WIN32_FIND_DATAW fd;
        TUniqueFind find(FindFirstFileW(JoinSearchPath(folder, pattern).c_str(), &fd));
        if (!find) return;
        do {
            if (fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
            // In the form the loader reports module paths in, so that IndexOf finds a plug-in
            // loaded from here before.
            std::wstring path = FullPathOf(JoinSearchPath(folder, fd.cFileName));
            if (IndexOf(path) == -1) paths.push_back(std::move(path));
        } while (FindNextFileW(find.get(), &fd));
    }
    for (const std::wstring& path : paths) {
        std::unique_ptr<TSPI> spi = CreateSPI(path);  // its errors end the search
        if (!spi) continue;
        try {
            bool accept = true;
            if (OnSearch) OnSearch(*this, *spi, accept);
            if (accept) Add(std::move(spi));
        } catch (...) {
            // This plug-in is dropped (spi frees it, or Add already has); the search goes on.
        }
    }
}

void TSPIs::GetSPIList(const std::function<bool(const TSPI&)>& isOfClasses, const std::wstring& fileName,
                       std::vector<TSPI*>& list) const {
    const std::wstring ext = FileExtension(fileName);
    for (const auto& spi : items_) {
        if (!isOfClasses(*spi)) continue;
        if (PatternsClaimExtension(spi->Extensions(), ext))
            list.insert(list.begin(), spi.get());
        else
            list.push_back(spi.get());
    }
}
