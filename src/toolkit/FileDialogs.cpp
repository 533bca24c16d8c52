#include "toolkit/FileDialogs.h"

#include "toolkit/Exceptions.h"

namespace {
TFileDialogs* g_dialogs = nullptr;

template <class T>
T Next(std::deque<T>& script) {
    if (script.empty()) return T{};
    T answer = std::move(script.front());
    script.pop_front();
    return answer;
}
}  // namespace

std::optional<std::wstring> TFileDialogs::ChooseFileToSave(const TSaveFileRequest& request) {
    std::optional<std::wstring> path = RunSave(request);
    if (path && !request.forcedExtension.empty()) *path = ForceExtension(*path, request.forcedExtension);
    return path;
}

TFileDialogs& CurrentFileDialogs() {
    if (!g_dialogs) throw Exception(L"ファイルを選択するダイアログが用意されていません。");
    return *g_dialogs;
}

TFileDialogs* SetCurrentFileDialogs(TFileDialogs* dialogs) {
    TFileDialogs* previous = g_dialogs;
    g_dialogs = dialogs;
    return previous;
}

std::optional<TFolderChoice> TScriptedFileDialogs::RunFolder(const TFolderRequest& request) {
    folderRequests_.push_back(request);
    return Next(folders_);
}

std::vector<std::wstring> TScriptedFileDialogs::RunOpen(const TOpenFileRequest& request) {
    openRequests_.push_back(request);
    return Next(opens_);
}

std::optional<std::wstring> TScriptedFileDialogs::RunSave(const TSaveFileRequest& request) {
    saveRequests_.push_back(request);
    return Next(saves_);
}

std::wstring SystemFilterText(const std::wstring& filter) {
    std::wstring text = filter;
    for (wchar_t& c : text)
        if (c == L'|') c = L'\0';
    text.push_back(L'\0');
    text.push_back(L'\0');
    return text;
}

std::vector<std::wstring> SplitOpenSelection(const std::wstring& buffer) {
    std::vector<std::wstring> parts;
    for (size_t at = 0; at < buffer.size() && buffer[at] != L'\0';) {
        const size_t end = buffer.find(L'\0', at);
        parts.push_back(buffer.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at));
        if (end == std::wstring::npos) break;
        at = end + 1;
    }
    if (parts.size() <= 1) return parts;
    // The folder first ("C:\" keeps its backslash, "C:\dir" has none), then the names in it.
    std::wstring folder = parts.front();
    if (folder.back() != L'\\') folder.push_back(L'\\');
    std::vector<std::wstring> names;
    for (size_t i = 1; i < parts.size(); ++i) names.push_back(folder + parts[i]);
    return names;
}

std::wstring ForceExtension(const std::wstring& path, const std::wstring& extension) {
    const size_t nameStart = path.find_last_of(L"\\/:");
    const size_t dot = path.rfind(L'.');
    const bool hasExtension = dot != std::wstring::npos && (nameStart == std::wstring::npos || dot > nameStart);
    return (hasExtension ? path.substr(0, dot) : path) + extension;
}
