#pragma once

#include "Registry.h"
#include "RegistryFile.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The machine-wide registry on Linux, read only: the values of the
// administrator's registry file, and where that file does not set it, a
// built-in answer for the System Information tool's location: the full path
// of the first program of SysInfoPrograms found on the search path.
//
// The file is /etc/zelvo/registry.ini unless ZELVO_REGISTRY_FILE names
// another; it is read afresh whenever a key is opened.
class LinuxRegistry : public Registry {
  public:
    static constexpr std::string_view DefaultFile = "/etc/zelvo/registry.ini";
    static constexpr std::string_view FileVariable = "ZELVO_REGISTRY_FILE";
    static constexpr std::string_view SysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    static constexpr std::string_view SysInfoValue = "PATH";
    // System-information programs, best first.
    static const std::vector<std::string>& SysInfoPrograms();

    // The file and the search path from the environment (ZELVO_REGISTRY_FILE, PATH).
    LinuxRegistry();
    // searchPath: folders separated by ':' as in PATH.
    LinuxRegistry(std::string file, std::string searchPath);

    std::int32_t RegOpenKeyExA(HKEY key, std::string_view subKey, std::uint32_t options, std::uint32_t access,
                               HKEY& result) override;
    std::int32_t RegQueryValueExA(HKEY key, std::string_view valueName, std::uint32_t& type, std::uint8_t* data,
                                  std::uint32_t& size) override;
    std::int32_t RegCloseKey(HKEY key) override;

    // Keys open now, for the curious and for tests.
    std::size_t openKeys() const { return open_.size(); }

  private:
    struct OpenKey {
        std::string path; // below HKEY_LOCAL_MACHINE, as RegistryFile compares it
        std::map<std::string, RegistryValue> values;
    };

    std::string builtInSysInfoPath() const;
    bool isBuiltInKey(const std::string& path, bool withDescendants) const;

    std::string file_;
    std::string searchPath_;
    std::map<HKEY, OpenKey> open_;
    HKEY nextHandle_ = 0x100;
};

// The first folder of searchPath that holds an executable regular file of
// that name, joined with the name; "" when none does. Empty entries (the
// current folder) are skipped.
std::string findOnSearchPath(std::string_view program, std::string_view searchPath);

} // namespace platform
