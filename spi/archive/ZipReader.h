#pragma once
// ZIP archives: the central directory (with ZIP64 records), stored and deflated members. Every
// offset, size and length in the archive is checked against the source before it is used.
#include <cstdint>
#include <span>
#include <vector>

#include "spi/archive/ArchiveMember.h"
#include "spi/common/ByteSource.h"

// The start of a ZIP file: a local header, an empty archive's end record, or a split marker.
bool IsZipHead(std::span<const uint8_t> head);

// Lists the files (not the folders) in central-directory order. A member's position is where its
// central-directory record lies in the source, so that extraction finds its sizes again at once.
TSpiResult ListZip(TByteSource& source, std::vector<TArchiveMember>& members);

// Extracts the member whose central-directory record lies at position. Encrypted members and
// methods other than store and deflate are srUnknownFormat; a CRC that does not match is
// srBrokenData.
TSpiResult ExtractZipMember(TByteSource& source, uint64_t position, TMemberSink& sink, const TProgress& progress);
