#include "IsoDirectory.h"

namespace platform::iso {

namespace {

constexpr std::size_t RecordHeader = 33; // the fixed part before the name
constexpr std::size_t RootRecordAt = 156;
constexpr std::size_t XaBytes = 14;
constexpr std::uint16_t XaForm2 = 0x1000;
constexpr std::uint8_t FolderFlag = 0x02;

std::uint32_t littleEndian32(const unsigned char* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

// The record at the start of bytes, if it is whole and fits them.
std::optional<IsoRecord> record(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < RecordHeader + 1)
        return std::nullopt;
    const std::size_t length = p[0];
    const std::size_t nameLength = p[32];
    if (length > bytes.size() || nameLength == 0 || RecordHeader + nameLength > length)
        return std::nullopt;

    IsoRecord found;
    found.lsn = littleEndian32(p + 2);
    found.size = littleEndian32(p + 10);
    found.folder = (p[25] & FolderFlag) != 0;
    if (nameLength == 1 && p[RecordHeader] <= 1)
        found.name = p[RecordHeader] == 0 ? "." : "..";
    else
        found.name.assign(bytes.data() + RecordHeader, nameLength);

    // The system use area follows the name, padded to an even offset; the XA
    // part carries the sector form: attributes (big-endian) at 4, "XA" at 6.
    const std::size_t system = RecordHeader + nameLength + (nameLength % 2 == 0 ? 1 : 0);
    if (system + XaBytes <= length && p[system + 6] == 'X' && p[system + 7] == 'A') {
        const auto attributes = static_cast<std::uint16_t>(p[system + 4] << 8 | p[system + 5]);
        found.form2 = (attributes & XaForm2) != 0;
    }
    return found;
}

} // namespace

std::optional<IsoRecord> rootOf(std::string_view descriptor)
{
    if (descriptor.size() < SectorBytes || descriptor[0] != 1 || descriptor.substr(1, 5) != "CD001")
        return std::nullopt;
    std::optional<IsoRecord> root = record(descriptor.substr(RootRecordAt, 34));
    if (!root || !root->folder)
        return std::nullopt;
    return root;
}

void readRecords(std::string_view sectors, Records& into)
{
    for (std::size_t start = 0; start + SectorBytes <= sectors.size() && !into.ended; start += SectorBytes) {
        const std::string_view sector = sectors.substr(start, SectorBytes);
        if (sector[0] == 0) {
            into.ended = true;
            break;
        }
        for (std::size_t at = 0; at < SectorBytes && sector[at] != 0;) {
            const std::optional<IsoRecord> found = record(sector.substr(at));
            if (!found)
                break;
            into.records.push_back(*found);
            at += static_cast<unsigned char>(sector[at]);
        }
    }
}

} // namespace platform::iso
