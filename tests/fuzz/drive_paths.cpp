// Drive-letter paths on a folder drive: whatever the path, the file found
// lies inside the folder that stands for the drive.
#include "DriveLetterPaths.h"
#include "RuntimeError.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A drive folder with files and folders in both letter cases, and files
// beside it that a path must never reach.
const fs::path& drive()
{
    static const fs::path root = [] {
        const fs::path base = fs::temp_directory_path() / ("zelvo-fuzz-drive-" + std::to_string(::getpid()));
        fs::create_directories(base / "disc" / "MPEGAV");
        fs::create_directories(base / "disc" / "vcd" / "sub");
        for (const auto* name :
             {"disc/MPEGAV/AVSEQ01.DAT", "disc/vcd/info.vcd", "disc/vcd/sub/x", "disc/README.", "secret", "disc.txt"})
            std::ofstream(base / name) << name;
        return base / "disc";
    }();
    // Registered after the folder is made, so that it runs before the path goes.
    static const bool removedAtExit = std::atexit([] {
        std::error_code ignored;
        fs::remove_all(drive().parent_path(), ignored);
    }) == 0;
    (void)removedAtExit;
    return root;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const platform::DriveMap map = [] {
        std::ostringstream warnings;
        return platform::DriveMap::fromText("D=" + drive().string(), warnings);
    }();
    const std::string path(reinterpret_cast<const char*>(data), size);
    platform::DriveLetterPaths paths(map);
    try {
        const auto located = paths.locate(path);
        if (located.localPath == path)
            return 0; // not on drive D: a Linux path names itself
        const fs::path found = fs::weakly_canonical(located.localPath);
        const std::string inside = drive().string() + "/";
        if (found.string().compare(0, inside.size(), inside) != 0 || !fs::is_regular_file(found))
            std::abort();
    } catch (const forms::RuntimeError&) {
    }
    return 0;
}
