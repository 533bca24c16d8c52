#pragma once
// Shared by the ZIP and TAR fuzz targets: list the archive the way the plug-in does, then extract
// every member it listed. Whatever is listed must extract to exactly its listed size or fail
// cleanly; a listing or extraction that succeeds against a contradiction is a finding.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "spi/archive/ArchiveReader.h"

class TCountingSink : public TMemberSink {
public:
    TSpiResult Begin(const TArchiveMember& member) override {
        expected_ = member.size;
        written_ = 0;
        return srSuccess;
    }
    TSpiResult Write(const uint8_t*, size_t count) override {
        written_ += count;
        if (written_ > expected_) abort();  // more data than the member's own size
        return srSuccess;
    }
    uint64_t Written() const { return written_; }
    uint64_t Expected() const { return expected_; }

private:
    uint64_t expected_ = 0, written_ = 0;
};

template <class List, class Extract>
void FuzzArchive(std::span<const uint8_t> data, List list, Extract extract) {
    TMemorySource source(data);
    std::vector<TArchiveMember> members;
    if (list(source, members) != srSuccess) return;
    for (const TArchiveMember& m : members) {
        if (m.position >= data.size()) abort();  // a listed member must lie inside the archive
        TCountingSink sink;
        if (extract(source, m.position, sink, TProgress{}) == srSuccess && sink.Written() != sink.Expected()) abort();
    }
}
