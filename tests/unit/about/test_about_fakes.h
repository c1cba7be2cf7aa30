#pragma once

// Stand-ins for the services of the About dialog, recording what they were asked.
#include "FileSearch.h"
#include "Picture.h"
#include "ProgramLauncher.h"
#include "Registry.h"
#include "RegistryFile.h"
#include "RuntimeError.h"
#include "frmAbout.h"
#include "support/Fakes.h"

#include <QColor>
#include <QPixmap>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fakes {

// An in-memory registry below HKEY_LOCAL_MACHINE that keeps count of its open keys.
class Registry : public platform::Registry {
  public:
    struct Open {
        platform::HKEY root;
        std::string subKey;
        std::uint32_t options;
        std::uint32_t access;
    };

    void set(const std::string& key, const std::string& name, std::uint32_t type, std::vector<std::uint8_t> data)
    {
        keys[platform::RegistryFile::normalKey(key)][platform::RegistryFile::normalName(name)] = {type,
                                                                                                  std::move(data)};
    }
    void setString(const std::string& key, const std::string& name, const std::string& text, bool withZero = true)
    {
        std::vector<std::uint8_t> data(text.begin(), text.end());
        if (withZero)
            data.push_back(0);
        set(key, name, platform::REG_SZ, std::move(data));
    }

    std::int32_t RegOpenKeyExA(platform::HKEY key, std::string_view subKey, std::uint32_t options, std::uint32_t access,
                               platform::HKEY& result) override
    {
        opens.push_back({key, std::string(subKey), options, access});
        result = 0;
        const std::string path = platform::RegistryFile::normalKey(subKey);
        if (key != platform::HKEY_LOCAL_MACHINE || !keys.count(path))
            return platform::ERROR_FILE_NOT_FOUND;
        result = nextHandle++;
        handles[result] = path;
        return platform::ERROR_SUCCESS;
    }
    std::int32_t RegQueryValueExA(platform::HKEY key, std::string_view valueName, std::uint32_t& type,
                                  std::uint8_t* data, std::uint32_t& size) override
    {
        queries.emplace_back(valueName);
        const auto handle = handles.find(key);
        if (handle == handles.end())
            return platform::ERROR_INVALID_HANDLE;
        const auto& values = keys[handle->second];
        const auto value = values.find(platform::RegistryFile::normalName(valueName));
        if (value == values.end())
            return platform::ERROR_FILE_NOT_FOUND;
        type = value->second.type;
        const auto needed = static_cast<std::uint32_t>(value->second.data.size());
        if (needed > size) {
            size = needed;
            return platform::ERROR_MORE_DATA;
        }
        std::copy(value->second.data.begin(), value->second.data.end(), data);
        size = needed;
        return platform::ERROR_SUCCESS;
    }
    std::int32_t RegCloseKey(platform::HKEY key) override
    {
        closes.push_back(key);
        return handles.erase(key) ? platform::ERROR_SUCCESS : platform::ERROR_INVALID_HANDLE;
    }

    std::map<std::string, std::map<std::string, platform::RegistryValue>> keys;
    std::map<platform::HKEY, std::string> handles; // open now
    platform::HKEY nextHandle = 0x40;
    std::vector<Open> opens;
    std::vector<std::string> queries;
    std::vector<platform::HKEY> closes;
};

// Normal files that exist, by exact path.
class FileSearch : public platform::FileSearch {
  public:
    std::string Dir(std::string_view pathname) override
    {
        searched.emplace_back(pathname);
        if (!existing.count(std::string(pathname)))
            return "";
        const auto slash = pathname.find_last_of('\\');
        return std::string(slash == std::string_view::npos ? pathname : pathname.substr(slash + 1));
    }
    std::set<std::string> existing;
    std::vector<std::string> searched;
};

// Starts only the programs a test names; anything else fails as a missing file does.
class ProgramLauncher : public platform::ProgramLauncher {
  public:
    std::int64_t Shell(std::string_view pathname, platform::WindowStyle style) override
    {
        attempts.emplace_back(pathname);
        styles.push_back(style);
        if (pathname.empty())
            throw forms::RuntimeError("Invalid procedure call or argument");
        if (!programs.count(std::string(pathname)))
            throw forms::RuntimeError("File not found");
        started.emplace_back(pathname);
        return 4242;
    }
    std::set<std::string> programs;
    std::vector<std::string> attempts;
    std::vector<std::string> started;
    std::vector<platform::WindowStyle> styles;
};

inline forms::Picture solidIcon(const QColor& color)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(color);
    return forms::Picture(QIcon(pixmap));
}

} // namespace fakes

// One About dialog with every service faked; the owner's icon is a plain square.
struct AboutHarness {
    AboutHarness()
        : frm(std::make_unique<about::frmAbout>(about::frmAboutServices{registry, files, launcher, boxes, [this] {
                                                                            ++iconReads;
                                                                            return ownerIcon;
                                                                        }}))
    {
    }
    about::frmAbout& f() { return *frm; }

    fakes::Registry registry;
    fakes::FileSearch files;
    fakes::ProgramLauncher launcher;
    fakes::MessageBoxes boxes;
    forms::Picture ownerIcon = fakes::solidIcon(QColor(200, 30, 40));
    int iconReads = 0;
    std::unique_ptr<about::frmAbout> frm;
};
