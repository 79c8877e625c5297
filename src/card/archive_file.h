// The archive file (".kif"): the 40-byte header of version 3 that the viewer
// writes, the 39-byte header of version 2 that it still reads, and the long
// catalogue entries of a saved fragment.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "card/catalogue.h"
#include "card/source.h"
#include "platform/block_device.h"

namespace quovil {

inline constexpr uint16_t kArchiveHeaderBytes = 40;    // version 3
inline constexpr uint16_t kArchiveHeaderV2Bytes = 39;  // version 2
inline constexpr int kArchiveEntryBytes = 16;

// The sealed version-3 header for n entries of the given source values
// (HeaderLength, Version and DataOffset are set here).
std::array<uint8_t, kArchiveHeaderBytes> MakeArchiveHeader(uint32_t cardFormat, uint32_t soundBytes,
                                                           uint32_t sampleRate, uint32_t width, uint32_t height,
                                                           uint32_t n);

// Reads the header and the catalogue of an archive file of either version.
// False for anything that is not a whole, consistent archive header: too
// short, bad length, checksum, magic or version, a catalogue or data offset
// beyond the end of the file, or a failed read. Nothing is allocated before
// the entry count is known to fit the file.
bool ReadArchive(BlockDevice& file, ArchiveHeader& header, std::vector<LongEntry>& entries);

// The long entry a version-2 record k becomes.
LongEntry EntryFromVersion2(const uint8_t* record, uint32_t k, uint32_t recordBytes, uint32_t width,
                            uint32_t height, uint32_t soundBytes);

// The entry written for catalogue index i of the open source, and the byte
// position of its record there. False when the record cannot be described
// by a long entry (sector counts beyond a byte).
bool MakeSavedEntry(const Source& src, int32_t i, LongEntry& out, uint64_t& position);

// Whether every record of the source can be described by a long entry: the
// fixed-size records of formats 0 and 1 need picture and sound of at most
// 255 sectors each.
bool ArchivableRecords(const Source& src);

}  // namespace quovil
