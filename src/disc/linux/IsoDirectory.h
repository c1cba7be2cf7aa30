#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One record of an ISO 9660 directory, as the disc writes it.
struct IsoRecord {
    std::string name; // e.g. AVSEQ01.DAT;1, or "." and ".." for the folder itself and its parent
    std::uint32_t lsn = 0;
    std::uint32_t size = 0;
    bool folder = false;
    bool form2 = false; // XA attributes mark the file as Mode 2 Form 2
};

// Reading of ISO 9660 structures from sectors of untrusted bytes: a damaged
// disc gives a missing record or nullopt, never a read outside the bytes given.
namespace iso {

constexpr std::size_t SectorBytes = 2048;
constexpr std::int32_t DescriptorSector = 16;

// The root folder's record from the primary volume descriptor; nullopt when
// the sector is not one.
std::optional<IsoRecord> rootOf(std::string_view descriptor);

// The records of whole directory sectors. A sector's records end at a zero
// length byte; a record that does not fit its sector ends that sector.
// Stops, and says so, at a sector holding no record at all: a directory's
// sectors are filled in order, so what follows is not part of it.
struct Records {
    std::vector<IsoRecord> records;
    bool ended = false;
};
void readRecords(std::string_view sectors, Records& into);

} // namespace iso

} // namespace platform
