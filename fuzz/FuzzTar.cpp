// Fuzz target: the TAR reader of the archive plug-in (listing, then extraction of every member).
#include "fuzz/FuzzArchive.h"
#include "spi/archive/TarReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzArchive(std::span<const uint8_t>(data, size), ListTar, ExtractTarMember);
    return 0;
}
