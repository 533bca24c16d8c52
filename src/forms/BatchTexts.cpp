#include "forms/BatchTexts.h"

namespace {

std::wstring NotFound(const wchar_t* what, std::wstring_view name) {
    return std::wstring(what) + L"\n\r" + std::wstring(name) + L"\n\rが見つかりません。";
}

}  // namespace

std::wstring BatchStatusSuffix(TBatchKind kind) {
    switch (kind) {
    case TBatchKind::bkOverwrite: return L" 上書き中...";
    case TBatchKind::bkMove: return L" 移動中...";
    case TBatchKind::bkCopy: return L" コピー中...";
    case TBatchKind::bkInvalid: break;
    }
    return {};
}

std::wstring FolderNotFoundMessage(std::wstring_view folder) { return NotFound(L"フォルダ", folder); }

std::wstring ArchiveNotFoundMessage(std::wstring_view path) { return NotFound(L"ファイル", path); }
