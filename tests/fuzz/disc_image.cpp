// Disc images: damaged cue sheets and damaged ISO 9660 sectors go through the
// disc reader's open, find and stream, which may refuse them but never crash,
// hang or read outside the image.
#include "Disc.h"
#include "RuntimeError.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The image's first sectors are empty, as on a real disc; the input's bytes
// are its sectors from the volume descriptor (sector 16) on.
constexpr std::size_t LeadSectors = 16;
constexpr char DefaultSheet[] = "FILE \"image.bin\" BINARY\n  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n";

const fs::path& folder()
{
    static const fs::path path = [] {
        const fs::path made = fs::temp_directory_path() / ("zelvo-fuzz-disc-" + std::to_string(::getpid()));
        fs::create_directories(made);
        return made;
    }();
    // Registered after the path is made, so that it runs before the path goes.
    static const bool removedAtExit = std::atexit([] {
        std::error_code ignored;
        fs::remove_all(folder(), ignored);
    }) == 0;
    (void)removedAtExit;
    return path;
}

struct Read {
    std::uint32_t at = 0;
    std::uint16_t bytes = 0;
};

void readSome(platform::ByteStream& stream, const std::vector<Read>& reads)
{
    char buffer[4096];
    for (const Read& read : reads) {
        stream.seek(static_cast<std::int64_t>(read.at % (stream.size() + 3)) - 1);
        stream.read(buffer, read.bytes % (sizeof buffer + 1));
    }
    stream.seek(0);
    for (int i = 0; i < 64 && stream.read(buffer, sizeof buffer) > 0; ++i) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Numbers come from the input's end, texts from its front, the sectors are the rest.
    FuzzedDataProvider input(data, size);
    std::vector<Read> reads(4);
    for (Read& read : reads)
        read = {input.ConsumeIntegral<std::uint32_t>(), input.ConsumeIntegral<std::uint16_t>()};
    const bool ownSheet = input.ConsumeBool();
    const std::string sheet = ownSheet ? input.ConsumeRandomLengthString(2048) : DefaultSheet;
    const std::vector<std::string> parts = {input.ConsumeRandomLengthString(16), input.ConsumeRandomLengthString(16)};
    const std::string sectors = input.ConsumeRemainingBytesAsString();

    std::ofstream(folder() / "image.cue", std::ios::binary | std::ios::trunc) << sheet;
    std::ofstream bin(folder() / "image.bin", std::ios::binary | std::ios::trunc);
    bin << std::string(LeadSectors * 2048, '\0') << sectors;
    bin.close();

    try {
        const platform::Disc disc = platform::Disc::open((folder() / "image.cue").string());
        for (const auto& path : {std::vector<std::string>{parts[0]}, parts, {"MPEGAV", "AVSEQ01.DAT"}}) {
            try {
                const platform::DiscFile file = disc.find(path);
                const auto stream = platform::Disc::stream(platform::Disc::open(disc.target()), file);
                readSome(*stream, reads);
            } catch (const forms::RuntimeError&) {
            }
        }
    } catch (const forms::RuntimeError&) {
    }
    return 0;
}
