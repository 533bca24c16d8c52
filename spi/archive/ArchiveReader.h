#pragma once
// The archive plug-in's formats behind one door: recognise, list, extract.
#include <cstdint>
#include <span>
#include <vector>

#include "spi/archive/ArchiveMember.h"
#include "spi/common/ByteSource.h"

enum class TArchiveFormat { afUnknown, afZip, afTar };

// The format by the file's head (IsSupported sees its first 2 KB).
TArchiveFormat DetectArchiveFormat(std::span<const uint8_t> head);

// Lists the files of a TAR (known by its first header) or a ZIP (known by its end record).
TSpiResult ListArchive(TByteSource& source, std::vector<TArchiveMember>& members);

// Extracts the member at position, as ListArchive gave it for the same bytes.
TSpiResult ExtractMember(TByteSource& source, uint64_t position, TMemberSink& sink, const TProgress& progress);
