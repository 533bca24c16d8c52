#pragma once
// Uncompressed TAR archives: POSIX ustar, with the pax and GNU long-name extensions that modern
// writers use for long or non-ASCII names. Every header is checked by its checksum, and every
// size against the source.
#include <cstdint>
#include <vector>

#include "spi/archive/ArchiveMember.h"
#include "spi/common/ByteSource.h"

constexpr size_t kTarBlock = 512;

// A ustar or GNU header (512 bytes) with a right checksum.
bool IsTarHeader(const uint8_t* block);

// Lists the regular files. A member's position is where its first header lies (an extension
// header that names it, or its own), so that extraction reads the same name again.
TSpiResult ListTar(TByteSource& source, std::vector<TArchiveMember>& members);

// Extracts the regular file whose first header lies at position.
TSpiResult ExtractTarMember(TByteSource& source, uint64_t position, TMemberSink& sink, const TProgress& progress);
