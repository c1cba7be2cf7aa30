#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// The administrator's registry file: INI-like sections of key paths below
// HKEY_LOCAL_MACHINE, each holding name=value lines.
//
//   [SOFTWARE\Microsoft\Shared Tools\MSINFO]
//   PATH=/usr/bin/hardinfo          a string, stored with its terminating zero
//   Quoted="  kept as written  "    quotes keep outer blanks
//   Count=dword:0000002a            a 32-bit number, hexadecimal
//   Blob=hex:01,02,ff               bytes of type 3
//   Raw=hex(1):41,42                bytes of any type, here a string without its zero
//   @=default value                 the key's unnamed value
//
// Key paths and value names are matched without regard to case; lines
// starting with ';' or '#' are comments.
class RegistryFile {
  public:
    static RegistryFile parse(std::string_view text);
    // A missing or unreadable file reads as an empty one.
    static RegistryFile load(const std::string& path);

    bool hasKey(std::string_view keyPath) const;
    const RegistryValue* find(std::string_view keyPath, std::string_view valueName) const;
    // Every value the key holds, by lower-case name; empty for a key not named in the file.
    std::map<std::string, RegistryValue> values(std::string_view keyPath) const;
    // 1-based numbers of the lines that were not understood and were skipped.
    const std::vector<int>& badLines() const { return badLines_; }

    // The form in which paths and names are compared: lower case, no outer
    // backslashes, an optional HKEY_LOCAL_MACHINE\ or HKLM\ in front removed.
    static std::string normalKey(std::string_view keyPath);
    static std::string normalName(std::string_view valueName); // lower case

  private:
    static std::optional<RegistryValue> parseValue(std::string_view text);

    std::map<std::string, std::map<std::string, RegistryValue>> keys_;
    std::vector<int> badLines_;
};

} // namespace platform
