// The file stream of the native build: a descriptor, read and written without buffering of its
// own, so that a reader asking for a picture's pixels gets them straight into its store.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "toolkit/Exceptions.h"
#include "toolkit/FileStream.h"
#include "toolkit/TextUtil.h"

namespace {
// read and write move at most this much at once on Linux.
constexpr size_t kMaxTransfer = size_t{1} << 30;

// Moves count bytes through call(at, most), a read or a write that may move less than asked or be
// interrupted; stops at the end of the file or an error. Returns the bytes moved.
template <class Byte, class Call>
size_t TransferAll(Byte* p, size_t count, Call call) {
    size_t total = 0;
    while (total < count) {
        const ssize_t moved = call(p + total, std::min(count - total, kMaxTransfer));
        if (moved < 0 && errno == EINTR) continue;
        if (moved <= 0) break;
        total += static_cast<size_t>(moved);
    }
    return total;
}
}  // namespace

TFileStreamHandleTraits::Handle TFileStreamHandleTraits::Empty() { return -1; }
void TFileStreamHandleTraits::Close(Handle h) { close(h); }

TFileStream::TFileStream(const std::wstring& path, uint32_t mode) : path_(path) {
    const std::string name = WideToUtf8(path);
    if ((mode & 0xFF00) == fmCreate) {
        handle_.reset(open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        if (!handle_) throw EFCreateError(FormatW(L"ファイル %s を作成できません。", {path}));
        return;
    }
    const int access = (mode & 3) == fmOpenWrite ? O_WRONLY : (mode & 3) == fmOpenReadWrite ? O_RDWR : O_RDONLY;
    handle_.reset(open(name.c_str(), access | O_CLOEXEC));
    // A folder opens for reading on Linux but is no file; Windows refuses it here too.
    struct stat st;
    if (handle_ && (fstat(handle_.get(), &st) != 0 || S_ISDIR(st.st_mode))) handle_.reset();
    if (!handle_) throw EFOpenError(FormatW(L"ファイル %s を開けません。", {path}));
}

TFileStream::~TFileStream() = default;

size_t TFileStream::Read(void* buffer, size_t count) {
    return TransferAll(static_cast<char*>(buffer), count,
                       [&](char* at, size_t most) { return read(handle_.get(), at, most); });
}

size_t TFileStream::Write(const void* buffer, size_t count) {
    return TransferAll(static_cast<const char*>(buffer), count,
                       [&](const char* at, size_t most) { return write(handle_.get(), at, most); });
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    const off_t result = lseek(handle_.get(), static_cast<off_t>(offset), whence);
    if (result < 0) throw EStreamError(L"ストリームの位置が不正です。");
    return result;
}

void TFileStream::SetSize(int64_t size) {
    const int64_t here = Position();
    if (size < 0 || ftruncate(handle_.get(), static_cast<off_t>(size)) != 0) {
        throw EWriteError(L"ストリームの書き込みに失敗しました。");
    }
    if (here > size) SetPosition(size);  // as on Windows: the position does not stay past the end
}
