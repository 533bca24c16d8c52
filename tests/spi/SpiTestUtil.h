#pragma once
// Helpers for the plug-in cores' tests: run the archive readers over bytes in memory, and find
// the fixtures that the build makes (tests/spi/make_fixtures.py).
#include <string>
#include <vector>

#include "spi/ArchiveWriter.h"
#include "spi/archive/ArchiveReader.h"

class TVectorSink : public TMemberSink {
public:
    TSpiResult Begin(const TArchiveMember& m) override {
        member = m;
        ++begun;
        return srSuccess;
    }
    TSpiResult Write(const uint8_t* p, size_t n) override {
        data.insert(data.end(), p, p + n);
        return srSuccess;
    }
    TArchiveMember member;
    TBytes data;
    int begun = 0;
};

struct TListing {
    TSpiResult result;
    std::vector<TArchiveMember> members;
};
TListing List(const TBytes& archive);

struct TExtraction {
    TSpiResult result;
    TBytes data;
};
TExtraction Extract(const TBytes& archive, uint64_t position, const TProgress& progress = {});

// A fixture file by name, as this platform's C library opens it.
std::string FixturePath(const std::string& name);
TBytes ReadFixture(const std::string& name);
// A file of tests/data/crashers: input that once crashed or hung a decoder.
TBytes ReadCrasher(const std::string& name);
// Tab-separated lines of a fixture list, split into fields.
std::vector<std::vector<std::string>> ReadFixtureTable(const std::string& name);
