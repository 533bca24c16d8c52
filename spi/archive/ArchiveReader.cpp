#include "spi/archive/ArchiveReader.h"

#include "spi/archive/TarReader.h"
#include "spi/archive/ZipReader.h"

namespace {

constexpr uint32_t kCentralSig = 0x02014b50;

bool StartsWithTarHeader(TByteSource& source, uint64_t offset) {
    uint8_t block[kTarBlock];
    return source.ReadAt(offset, block, kTarBlock) == srSuccess && IsTarHeader(block);
}

}  // namespace

TArchiveFormat DetectArchiveFormat(std::span<const uint8_t> head) {
    if (IsZipHead(head)) return TArchiveFormat::afZip;
    if (head.size() >= kTarBlock && IsTarHeader(head.data())) return TArchiveFormat::afTar;
    return TArchiveFormat::afUnknown;
}

TSpiResult ListArchive(TByteSource& source, std::vector<TArchiveMember>& members) {
    if (StartsWithTarHeader(source, 0)) return ListTar(source, members);
    return ListZip(source, members);
}

TSpiResult ExtractMember(TByteSource& source, uint64_t position, TMemberSink& sink, const TProgress& progress) {
    // ZIP positions point at central-directory records, TAR positions at headers.
    uint8_t sig[4];
    if (TSpiResult r = source.ReadAt(position, sig, sizeof sig); r != srSuccess) return r;
    if (Le32(sig) == kCentralSig && !StartsWithTarHeader(source, position))
        return ExtractZipMember(source, position, sink, progress);
    return ExtractTarMember(source, position, sink, progress);
}
