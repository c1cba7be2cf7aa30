#include "DriveLetterPaths.h"

#include "Disc.h"
#include "DrivePath.h"
#include "RuntimeError.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void cannotOpen(std::string_view path, const std::string& reason)
{
    throw forms::RuntimeError("Cannot open " + std::string(path) + ": " + reason);
}

// The entry of a folder that answers to a name: the exact name if there is
// one, else the first in name order that matches, so the choice never depends
// on the order the file system lists them in.
std::optional<fs::path> entryNamed(const fs::path& folder, const std::string& name)
{
    std::error_code error;
    if (fs::exists(folder / name, error))
        return folder / name;
    std::optional<fs::path> best;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path candidate = it->path().filename();
        if (DrivePath::sameName(name, candidate.native()) && (!best || candidate < best->filename()))
            best = it->path();
    }
    return best;
}

fs::path fileInFolder(std::string_view path, const fs::path& root, const std::vector<std::string>& parts)
{
    std::error_code error;
    if (!fs::is_directory(root, error))
        cannotOpen(path, "the folder " + root.string() + " is not there");
    if (parts.empty())
        cannotOpen(path, "it is a folder");
    fs::path at = root;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto next = entryNamed(at, parts[i]);
        const bool last = i + 1 == parts.size();
        if (!next)
            cannotOpen(path, last ? "there is no such file" : "there is no folder " + parts[i]);
        if (!last && !fs::is_directory(*next, error))
            cannotOpen(path, next->string() + " is not a folder");
        at = *next;
    }
    if (fs::is_directory(at, error))
        cannotOpen(path, "it is a folder");
    return at;
}

} // namespace

DriveLetterPaths::Located DriveLetterPaths::locate(std::string_view path) const
{
    const auto onDrive = DrivePath::parse(path);
    const auto target = onDrive ? drives_.target(onDrive->letter) : std::nullopt;
    if (!target)
        return {std::string(path), {}, {}};

    std::error_code error;
    if (fs::is_directory(*target, error))
        return {fileInFolder(path, *target, onDrive->parts).string(), {}, {}};

    try {
        Disc::open(*target).find(onDrive->parts);
    } catch (const forms::RuntimeError& e) {
        cannotOpen(path, e.what());
    }
    return {{}, *target, onDrive->parts};
}

std::unique_ptr<ByteStream> DriveLetterPaths::openOnDisc(const std::string& disc, const std::vector<std::string>& parts)
{
    Disc opened = Disc::open(disc);
    const DiscFile file = opened.find(parts);
    return Disc::stream(std::move(opened), file);
}

} // namespace platform
