#pragma once

// Stand-ins for the operating-system services, recording what they were asked.
#include "CommonDialog.h"
#include "Drives.h"
#include "FileProbe.h"
#include "Form1.h"
#include "MessageBoxes.h"
#include "RuntimeError.h"
#include "SettingsStore.h"
#include "SystemMetrics.h"
#include "WindowStacking.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace fakes {

class MessageBoxes : public platform::MessageBoxes {
  public:
    void MsgBox(std::string_view text) override
    {
        shown.emplace_back(text);
        if (onShow)
            onShow(std::string(text));
    }
    std::vector<std::string> shown;
    std::function<void(const std::string&)> onShow;
};

class SystemMetrics : public platform::SystemMetrics {
  public:
    SystemMetrics(int width, int height) : width(width), height(height) {}
    int GetSystemMetrics(int index) const override
    {
        return index == platform::SM_CXSCREEN ? width : index == platform::SM_CYSCREEN ? height : 0;
    }
    int width;
    int height;
};

class WindowStacking : public platform::WindowStacking {
  public:
    struct Call {
        std::uintptr_t hWnd;
        std::intptr_t insertAfter;
        int x, y, cx, cy;
        unsigned flags;
    };
    int SetWindowPos(std::uintptr_t hWnd, std::intptr_t insertAfter, int x, int y, int cx, int cy,
                     unsigned flags) override
    {
        calls.push_back({hWnd, insertAfter, x, y, cx, cy, flags});
        return result;
    }
    std::vector<Call> calls;
    int result = 1;
};

// The common dialog with scripted answers: what the user "chooses" next.
class CommonDialog : public platform::CommonDialog {
  public:
    void ShowOpen() override
    {
        ++opens;
        if (openThrows)
            throw forms::RuntimeError("the Open dialog failed");
        FileName(nextFile);
    }
    void ShowColor() override
    {
        ++colorPickers;
        colorOnOpen.push_back(Color());
        if (colorThrows)
            throw forms::RuntimeError("the colour picker failed");
        if (nextColor)
            Color(*nextColor);
    }
    std::string nextFile; // "" behaves as a cancel
    bool openThrows = false;
    std::optional<std::int32_t> nextColor; // nullopt behaves as a cancel
    bool colorThrows = false;
    int opens = 0;
    int colorPickers = 0;
    std::vector<std::int32_t> colorOnOpen;
};

// An in-memory settings store; tests of the store itself use the real one.
class SettingsStore : public platform::SettingsStore {
  public:
    std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override
    {
        auto it = values.find(address(app, section, key));
        return it == values.end() ? std::string(defaultValue) : it->second;
    }
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override
    {
        values[address(app, section, key)] = std::string(value);
    }
    void EditSettings(std::string_view app, std::string_view section,
                      const std::function<void(platform::SettingsEdit&)>& edit) override
    {
        // Applied only when the edit finishes, as the real store writes all or nothing.
        struct Edit : platform::SettingsEdit {
            Edit(SettingsStore& store, std::string_view app, std::string_view section)
                : store(store), app(app), section(section)
            {
            }
            std::string Get(std::string_view key, std::string_view defaultValue) override
            {
                auto it = changes.find(address(app, section, key));
                return it != changes.end() ? it->second : store.GetSetting(app, section, key, defaultValue);
            }
            void Set(std::string_view key, std::string_view value) override
            {
                changes[address(app, section, key)] = std::string(value);
            }
            SettingsStore& store;
            std::string_view app, section;
            std::map<std::string, std::string> changes;
        } changes(*this, app, section);
        edit(changes);
        for (auto& [where, value] : changes.changes)
            values[where] = value;
    }
    static std::string address(std::string_view app, std::string_view section, std::string_view key)
    {
        return std::string(app) + "/" + std::string(section) + "/" + std::string(key);
    }
    std::map<std::string, std::string> values;
};

// Drive letters that stand for CD-ROM drives; every other letter is no drive.
class Drives : public platform::Drives {
  public:
    unsigned GetDriveTypeA(std::string_view root) override
    {
        asked.emplace_back(root);
        return cdroms.count(std::string(root)) ? platform::DRIVE_CDROM : platform::DRIVE_NO_ROOT_DIR;
    }
    std::set<std::string> cdroms; // e.g. "D:"
    std::vector<std::string> asked;
};

// Files that exist, by exact path.
class FileProbe : public platform::FileProbe {
  public:
    void OpenForInput(std::string_view path) override
    {
        opened.emplace_back(path);
        if (!existing.count(std::string(path)))
            throw forms::RuntimeError("File not found");
        ++openCount;
    }
    void CloseAll() override { openCount = 0; }
    std::set<std::string> existing;
    std::vector<std::string> opened;
    int openCount = 0;
};

// Every service of the player window, faked; a test fixture derives from it.
struct Services {
    player::Form1Services forForm1(std::string commandLine = "") { return forForm1(settings, std::move(commandLine)); }
    player::Form1Services forForm1(platform::SettingsStore& store, std::string commandLine)
    {
        return {
            metrics, stacking, cdlg1, boxes, store, drives, files, [this] { ++aboutShown; }, std::move(commandLine)};
    }

    MessageBoxes boxes;
    SystemMetrics metrics{1024, 768};
    WindowStacking stacking;
    CommonDialog cdlg1;
    SettingsStore settings;
    Drives drives;
    FileProbe files;
    int aboutShown = 0;
};

} // namespace fakes
