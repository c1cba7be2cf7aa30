#include "LinuxRegistry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace platform {

namespace {

std::string environment(const char* name, std::string_view fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : std::string(fallback);
}

bool isRoot(HKEY key)
{
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE || key == HKEY_USERS;
}

} // namespace

std::string findOnSearchPath(std::string_view program, std::string_view searchPath)
{
    while (true) {
        const auto colon = searchPath.find(':');
        const std::string_view folder = searchPath.substr(0, colon);
        if (!folder.empty()) {
            std::string candidate(folder);
            if (candidate.back() != '/')
                candidate += '/';
            candidate += program;
            struct stat info {};
            if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (colon == std::string_view::npos)
            return {};
        searchPath.remove_prefix(colon + 1);
    }
}

const std::vector<std::string>& LinuxRegistry::SysInfoPrograms()
{
    static const std::vector<std::string> programs{
        "hardinfo2",           "hardinfo",          "kinfocenter", "gnome-system-monitor", "plasma-systemmonitor",
        "mate-system-monitor", "xfce4-taskmanager", "lxtask",
    };
    return programs;
}

LinuxRegistry::LinuxRegistry()
    : LinuxRegistry(environment(FileVariable.data(), DefaultFile), environment("PATH", "/usr/local/bin:/usr/bin:/bin"))
{
}

LinuxRegistry::LinuxRegistry(std::string file, std::string searchPath)
    : file_(std::move(file)), searchPath_(std::move(searchPath))
{
}

std::string LinuxRegistry::builtInSysInfoPath() const
{
    for (const std::string& program : SysInfoPrograms()) {
        std::string found = findOnSearchPath(program, searchPath_);
        if (!found.empty())
            return found;
    }
    return {};
}

bool LinuxRegistry::isBuiltInKey(const std::string& path, bool withDescendants) const
{
    const std::string builtIn = RegistryFile::normalKey(SysInfoKey);
    if (path == builtIn)
        return true;
    return withDescendants && (path.empty() || builtIn.compare(0, path.size() + 1, path + '\\') == 0);
}

std::int32_t LinuxRegistry::RegOpenKeyExA(HKEY key, std::string_view subKey, std::uint32_t, std::uint32_t, HKEY& result)
{
    // The source is read only and offers no call that writes, so the access
    // asked for is granted as it is.
    result = 0;
    std::string parent;
    if (key == HKEY_LOCAL_MACHINE) {
        parent.clear();
    } else if (auto opened = open_.find(key); opened != open_.end()) {
        parent = opened->second.path;
    } else if (isRoot(key)) {
        return ERROR_FILE_NOT_FOUND; // only the machine-wide part exists here
    } else {
        return ERROR_INVALID_HANDLE;
    }
    const std::string sub = RegistryFile::normalKey(subKey);
    const std::string path = parent.empty() ? sub : sub.empty() ? parent : parent + '\\' + sub;

    const RegistryFile registryFile = RegistryFile::load(file_);
    for (int line : registryFile.badLines())
        std::cerr << "zelvo: " << file_ << ":" << line << ": line not understood, skipped\n";

    OpenKey opening{path, {}};
    std::string builtIn;
    if (isBuiltInKey(path, true))
        builtIn = builtInSysInfoPath();
    if (!registryFile.hasKey(path) && builtIn.empty())
        return ERROR_FILE_NOT_FOUND;
    if (isBuiltInKey(path, false) && !builtIn.empty()) {
        RegistryValue value{REG_SZ, {builtIn.begin(), builtIn.end()}};
        value.data.push_back(0);
        opening.values[RegistryFile::normalName(SysInfoValue)] = std::move(value);
    }
    // Values the file sets win over the built-in answer.
    const auto values = registryFile.values(path);
    for (const auto& [name, value] : values)
        opening.values[name] = value;

    result = nextHandle_;
    nextHandle_ += 4;
    open_.emplace(result, std::move(opening));
    return ERROR_SUCCESS;
}

std::int32_t LinuxRegistry::RegQueryValueExA(HKEY key, std::string_view valueName, std::uint32_t& type,
                                             std::uint8_t* data, std::uint32_t& size)
{
    const auto opened = open_.find(key);
    if (opened == open_.end())
        return ERROR_INVALID_HANDLE;
    const auto found = opened->second.values.find(RegistryFile::normalName(valueName));
    if (found == opened->second.values.end())
        return ERROR_FILE_NOT_FOUND;
    const RegistryValue& value = found->second;
    const auto needed = static_cast<std::uint32_t>(value.data.size());
    type = value.type;
    if (data && needed > size) {
        size = needed;
        return ERROR_MORE_DATA;
    }
    if (data && needed > 0)
        std::memcpy(data, value.data.data(), needed);
    size = needed;
    return ERROR_SUCCESS;
}

std::int32_t LinuxRegistry::RegCloseKey(HKEY key)
{
    if (isRoot(key))
        return ERROR_SUCCESS;
    return open_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace platform
