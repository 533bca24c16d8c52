#include "toolkit/FileStream.h"

#include <windows.h>

#include "toolkit/Exceptions.h"
#include "toolkit/TextUtil.h"

namespace {

DWORD ShareFlags(uint32_t mode) {
    switch (mode & 0xF0) {
    case fmShareExclusive: return 0;
    case fmShareDenyWrite: return FILE_SHARE_READ;
    case fmShareDenyRead: return FILE_SHARE_WRITE;
    case fmShareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return FILE_SHARE_READ | FILE_SHARE_WRITE;  // no share flag given: others may read and write
    }
}

}  // namespace

TFileStreamHandleTraits::Handle TFileStreamHandleTraits::Empty() { return INVALID_HANDLE_VALUE; }
void TFileStreamHandleTraits::Close(Handle h) { CloseHandle(h); }

TFileStream::TFileStream(const std::wstring& path, uint32_t mode) : path_(path) {
    HANDLE h;
    if ((mode & 0xFF00) == fmCreate) {
        h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, ShareFlags(mode & 0xFF), nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) throw EFCreateError(FormatW(L"ファイル %s を作成できません。", {path}));
    } else {
        DWORD access = GENERIC_READ;
        if ((mode & 3) == fmOpenWrite) access = GENERIC_WRITE;
        if ((mode & 3) == fmOpenReadWrite) access = GENERIC_READ | GENERIC_WRITE;
        h = CreateFileW(path.c_str(), access, ShareFlags(mode), nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) throw EFOpenError(FormatW(L"ファイル %s を開けません。", {path}));
    }
    handle_.reset(h);
}

TFileStream::~TFileStream() = default;

size_t TFileStream::Read(void* buffer, size_t count) {
    size_t total = 0;
    auto* p = static_cast<char*>(buffer);
    while (total < count) {
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(count - total, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(handle_.get(), p + total, ask, &got, nullptr) || got == 0) break;
        total += got;
    }
    return total;
}

size_t TFileStream::Write(const void* buffer, size_t count) {
    size_t total = 0;
    const auto* p = static_cast<const char*>(buffer);
    while (total < count) {
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(count - total, 1u << 30));
        DWORD put = 0;
        if (!WriteFile(handle_.get(), p + total, ask, &put, nullptr) || put == 0) break;
        total += put;
    }
    return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const DWORD method = origin == TSeekOrigin::soBeginning ? FILE_BEGIN
                         : origin == TSeekOrigin::soCurrent ? FILE_CURRENT
                                                            : FILE_END;
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(handle_.get(), distance, &result, method))
        throw EStreamError(L"ストリームの位置が不正です。");
    return result.QuadPart;
}

void TFileStream::SetSize(int64_t size) {
    const int64_t here = Position();
    SetPosition(size);
    if (!SetEndOfFile(handle_.get())) throw EWriteError(L"ストリームの書き込みに失敗しました。");
    if (here < size) SetPosition(here);
}
