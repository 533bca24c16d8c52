// The archive plug-in's exports (API "00AM"): ZIP (stored and deflated members) and TAR. Member
// names stored as UTF-8 reach the host in the ANSI code page; records and extracted members are
// handed over in local-memory blocks, or members written into a folder.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "spi/archive/ArchiveReader.h"
#include "spi/archive/MemberNames.h"
#include "spi/common/FileSource_win.h"
#include "spi/common/LocalBlock_win.h"
#include "spi/common/SusieApi_win.h"
#include "toolkit/Handles_win.h"
#include "toolkit/TextUtil.h"

namespace {

const char* const kPluginInfo[] = {
    "00AM",
    "Vardeno View archive plug-in 1.0 (ZIP, TAR)",
    "*.zip",
    "ZIP",
    "*.tar",
    "TAR",
};

constexpr size_t kHeadSize = 2048;
// Seconds between 1601-01-01 (FILETIME) and 1970-01-01.
constexpr int64_t kFileTimeEpochSeconds = 11644473600;

bool IsLeadByte(uint8_t b) { return IsDBCSLeadByte(b) != FALSE; }

// A UTF-8 name in the ANSI code page; what the code page cannot hold becomes '_'.
std::string Utf8ToAnsi(const std::string& utf8) {
    std::wstring wide = Utf8ToWide(utf8);
    if (wide.empty()) return {};
    // The UTF-8 code page takes neither flags nor a default character (and needs neither).
    const bool utf8Acp = GetACP() == CP_UTF8;
    if (!utf8Acp) {
        // No other ANSI code page holds characters beyond 16 bits; each would become two '_'
        // (one per surrogate) where it is one character.
        std::wstring single;
        for (size_t i = 0; i < wide.size(); ++i) {
            const bool pair = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]);
            single += pair ? L'_' : wide[i];
            i += pair;
        }
        wide.swap(single);
    }
    const DWORD flags = utf8Acp ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = utf8Acp ? nullptr : "_";
    const int n = WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      fallback, nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n, fallback,
                        nullptr);
    return out;
}

std::string AnsiName(const TArchiveMember& m) { return m.nameIsUtf8 ? Utf8ToAnsi(m.name) : m.name; }

// A DOS stamp holds the wall-clock time where it was made; it is taken to be this machine's zone.
int64_t UtcSeconds(const TArchiveMember& m) {
    if (!m.timeIsLocal) return m.time;
    const int64_t ticks = (m.time + kFileTimeEpochSeconds) * 10000000;
    FILETIME local, utc;
    local.dwLowDateTime = static_cast<DWORD>(ticks);
    local.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    if (!LocalFileTimeToFileTime(&local, &utc)) return m.time;
    const uint64_t utcTicks = static_cast<uint64_t>(utc.dwHighDateTime) << 32 | utc.dwLowDateTime;
    return static_cast<int64_t>(utcTicks / 10000000) - kFileTimeEpochSeconds;
}

DWORD Clamp32(uint64_t v) { return v > 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<DWORD>(v); }

// base is where the archive starts in its file: positions count from the file's start, because
// GetFile gets the file and the position, and nothing else.
void FillRecord(const TArchiveMember& m, uint64_t base, TSusieFileInfo& rec) {
    std::memset(&rec, 0, sizeof rec);
    std::strncpy(reinterpret_cast<char*>(rec.method), m.method.c_str(), sizeof rec.method - 1);
    rec.position = static_cast<DWORD>(base + m.position);
    rec.compsize = Clamp32(m.compressedSize);
    rec.filesize = Clamp32(m.size);
    rec.timestamp = static_cast<INT32>(std::clamp<int64_t>(UtcSeconds(m), INT32_MIN, INT32_MAX));
    const TSplitName split = SplitMemberName(AnsiName(m), IsLeadByte);
    CopyField(rec.path, sizeof rec.path, split.path, IsLeadByte);
    CopyField(rec.filename, sizeof rec.filename, split.file, IsLeadByte);
    rec.crc = m.crc;
}

// Lists the archive the export's arguments name. Members the 32-bit position cannot address make
// the listing fail: a list that silently lacks members would look complete.
TSpiResult ListInput(LPCSTR buf, LONG len, UINT flag, std::vector<TSusieFileInfo>& records) {
    std::unique_ptr<TByteSource> source;
    TSpiResult r = OpenInput(buf, len, flag, source);
    if (r != srSuccess) return r;
    std::vector<TArchiveMember> members;
    if ((r = ListArchive(*source, members)) != srSuccess) return r;
    const uint64_t base = (flag & kInputMask) == kInputFile ? static_cast<uint64_t>(len) : 0;
    records.resize(members.size());
    for (size_t i = 0; i < members.size(); ++i) {
        if (base + members[i].position > 0xFFFFFFFF) return srUnknownFormat;
        FillRecord(members[i], base, records[i]);
    }
    return srSuccess;
}

TSpiResult ArchiveInfo(LPCSTR buf, LONG len, UINT flag, HLOCAL* lphInf) {
    if (!lphInf) return srInternalError;
    *lphInf = nullptr;
    std::vector<TSusieFileInfo> records;
    TSpiResult r = ListInput(buf, len, flag, records);
    if (r != srSuccess) return r;
    // One zeroed record more: its method's first byte 0 ends the list.
    TLocalBlock block;
    if ((r = block.Allocate((records.size() + 1) * sizeof(TSusieFileInfo), true)) != srSuccess) return r;
    if (!records.empty()) std::memcpy(block.Data(), records.data(), records.size() * sizeof(TSusieFileInfo));
    *lphInf = block.Release();
    return srSuccess;
}

bool NamesEqual(const std::string& a, const std::string& b, bool ignoreCase) {
    if (!ignoreCase) return a == b;
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

// The member named by its path inside the archive ("folder\name", '/' also separates), or, for a
// name without a folder, the first member of that file name.
TSpiResult FileInfo(LPCSTR buf, LONG len, LPCSTR filename, UINT flag, TSusieFileInfo* lpInfo) {
    if (!lpInfo || !filename) return srInternalError;
    std::vector<TSusieFileInfo> records;
    TSpiResult r = ListInput(buf, len, flag, records);
    if (r != srSuccess) return r;
    const TSplitName query = SplitMemberName(filename, IsLeadByte);
    const std::string wanted = query.path + query.file;
    const bool ignoreCase = (flag & kIgnoreCase) != 0;
    for (int pass = 0; pass < (query.path.empty() ? 2 : 1); ++pass) {
        for (const TSusieFileInfo& rec : records) {
            const std::string name = pass == 0 ? std::string(rec.path) + rec.filename : std::string(rec.filename);
            if (NamesEqual(name, wanted, ignoreCase)) {
                *lpInfo = rec;
                return srSuccess;
            }
        }
    }
    return srInternalError;  // the interface has no code of its own for "no such member"
}

// Output into a local-memory block of exactly the member's size.
class TMemorySink : public TMemberSink {
public:
    TSpiResult Begin(const TArchiveMember& member) override {
        if (member.size > 0x7FFFFFFF) return srNoMemory;
        size_ = static_cast<size_t>(member.size);
        return block_.Allocate(size_, false);
    }
    TSpiResult Write(const uint8_t* data, size_t count) override {
        if (count > size_ - written_) return srBrokenData;
        std::memcpy(block_.Data() + written_, data, count);
        written_ += count;
        return srSuccess;
    }
    TSpiResult Finish(HLOCAL* out) {
        if (written_ != size_) return srBrokenData;
        *out = block_.Release();
        return srSuccess;
    }

private:
    TLocalBlock block_;
    size_t size_ = 0;
    size_t written_ = 0;
};

// Output into a file named after the member (its file name only) inside a folder. The data goes
// to a temporary file in that folder first, which replaces the target only when the member came
// out whole: a failed extraction leaves an existing file of that name as it was.
class TFolderSink : public TMemberSink {
public:
    explicit TFolderSink(std::string folder) : folder_(std::move(folder)) {}
    ~TFolderSink() override {
        if (!temp_.empty()) {
            file_.reset();
            DeleteFileA(temp_.c_str());
        }
    }
    TSpiResult Begin(const TArchiveMember& member) override {
        const std::string name = SafeFileName(SplitMemberName(AnsiName(member), IsLeadByte).file, IsLeadByte);
        if (name.empty()) return srBrokenData;
        target_ = folder_;
        if (!target_.empty() && !EndsWithSeparator(target_, IsLeadByte)) target_ += '\\';
        target_ += name;
        char temp[MAX_PATH];
        if (!GetTempFileNameA(folder_.c_str(), "vvx", 0, temp)) return srFileReadError;
        temp_ = temp;
        file_.reset(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file_ ? srSuccess : srFileReadError;
    }
    TSpiResult Write(const uint8_t* data, size_t count) override {
        while (count > 0) {
            DWORD put = 0;
            if (!WriteFile(file_.get(), data, static_cast<DWORD>(count), &put, nullptr) || put == 0)
                return srFileReadError;  // the interface's one code for file trouble
            data += put;
            count -= put;
        }
        return srSuccess;
    }
    TSpiResult Finish() {
        if (!CloseHandle(file_.release())) return srFileReadError;
        if (!MoveFileExA(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) return srFileReadError;
        temp_.clear();
        return srSuccess;
    }

private:
    std::string folder_;
    std::string target_;
    std::string temp_;  // while it is set, the temporary file exists and is deleted on the way out
    TUniqueFile file_;
};

TSpiResult File(LPCSTR src, LONG len, LPSTR dest, UINT flag, FARPROC callback, LONG_PTR data) {
    if (!dest) return srInternalError;
    // In memory there would be the archive but no place for the member's position.
    if ((flag & kInputMask) != kInputFile) return srNotImplemented;
    std::unique_ptr<TFileSource> source;
    TSpiResult r = TFileSource::Open(src, 0, source);
    if (r != srSuccess) return r;
    const uint64_t position = static_cast<DWORD>(len);  // positions above 2 GB arrive negative
    const TProgress progress = MakeProgress(callback, data);

    switch (flag & kOutputMask) {
    case kOutputMemory: {
        auto* out = reinterpret_cast<HLOCAL*>(dest);
        *out = nullptr;
        TMemorySink sink;
        r = ExtractMember(*source, position, sink, progress);
        return r == srSuccess ? sink.Finish(out) : r;
    }
    case kOutputFile: {
        TFolderSink sink(dest);
        r = ExtractMember(*source, position, sink, progress);
        return r == srSuccess ? sink.Finish() : r;
    }
    default:
        return srNotImplemented;
    }
}

}  // namespace

SPI_EXPORT int WINAPI GetPluginInfo(int infono, LPSTR buf, int buflen) {
    if (infono < 0 || infono >= static_cast<int>(std::size(kPluginInfo))) return 0;
    return CopyToCallerBuffer(kPluginInfo[infono], buf, buflen);
}

SPI_EXPORT int WINAPI IsSupported(LPCSTR /*filename: the content decides*/, DWORD_PTR dw) {
    return AnswerIsSupported(dw, kHeadSize,
                             [](std::span<const uint8_t> head) { return DetectArchiveFormat(head) != TArchiveFormat::afUnknown; });
}

SPI_EXPORT int WINAPI GetArchiveInfo(LPCSTR buf, LONG len, UINT flag, HLOCAL* lphInf) {
    return Guarded([&] { return ArchiveInfo(buf, len, flag, lphInf); });
}

SPI_EXPORT int WINAPI GetFileInfo(LPCSTR buf, LONG len, LPCSTR filename, UINT flag, TSusieFileInfo* lpInfo) {
    return Guarded([&] { return FileInfo(buf, len, filename, flag, lpInfo); });
}

SPI_EXPORT int WINAPI GetFile(LPCSTR src, LONG len, LPSTR dest, UINT flag, FARPROC prgressCallback, LONG_PTR lData) {
    return Guarded([&] { return File(src, len, dest, flag, prgressCallback, lData); });
}
