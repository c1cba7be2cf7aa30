#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace platform {

// Which drive letters stand for optical drives on this machine, and what each
// one reads: a device such as /dev/sr0, a disc image (.cue, .bin, .toc, .nrg)
// or a folder standing for a mounted disc. Every other letter is no drive.
//
// Either a fixed list, from the ZELVO_DRIVES text "D=/dev/sr0;E=/discs/film.cue",
// or the optical drives the kernel lists, lettered from D: in number order as
// Wine does; that list is read afresh on every question, so a drive plugged in
// while the player runs is found. Safe to share between threads.
class DriveMap {
  public:
    // The fixed list in a ZELVO_DRIVES text. An entry that is not LETTER=TARGET,
    // or names a letter already given, is left out with one line to warnings.
    static DriveMap fromText(std::string_view text, std::ostream& warnings);
    // The drives /sys/class/block (or a stand-in folder) lists as srN with a
    // device/type of 5.
    static DriveMap scanning(std::filesystem::path sysBlock = "/sys/class/block");
    // ZELVO_DRIVES when it is set (also when it is empty: then there is no
    // drive at all), the kernel's list otherwise; made once for the process,
    // so a faulty entry is reported once.
    static const DriveMap& system();

    // What the letter (either case) reads; nullopt when it is no drive.
    std::optional<std::string> target(char letter) const;
    // Every drive, by upper-case letter.
    std::map<char, std::string> drives() const;

  private:
    std::optional<std::map<char, std::string>> fixed_;
    std::filesystem::path sysBlock_;
};

} // namespace platform
