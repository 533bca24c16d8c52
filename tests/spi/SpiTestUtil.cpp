#include "spi/SpiTestUtil.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

TListing List(const TBytes& archive) {
    TMemorySource source(archive);
    TListing out;
    out.result = ListArchive(source, out.members);
    return out;
}

TExtraction Extract(const TBytes& archive, uint64_t position, const TProgress& progress) {
    TMemorySource source(archive);
    TVectorSink sink;
    TExtraction out;
    out.result = ExtractMember(source, position, sink, progress);
    out.data = std::move(sink.data);
    return out;
}

namespace {

// A file of the Unix source or build tree, which Wine shows as drive Z:.
std::string TreePath(const std::string& path) {
#ifdef _WIN32
    return "Z:" + path;
#else
    return path;
#endif
}

TBytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("missing test file " + path);
    return TBytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

std::string FixturePath(const std::string& name) { return TreePath(VV_SPI_FIXTURES "/" + name); }

TBytes ReadFixture(const std::string& name) { return ReadBytes(FixturePath(name)); }

TBytes ReadCrasher(const std::string& name) { return ReadBytes(TreePath(VV_TEST_CRASHERS "/" + name)); }

std::vector<std::vector<std::string>> ReadFixtureTable(const std::string& name) {
    const TBytes bytes = ReadFixture(name);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
        rows.push_back(fields);
    }
    return rows;
}
