#pragma once

#include "support/FakeMediaControl.h"
#include "support/Fakes.h"
#include "support/TempConfigHome.h"

#include "Form1.h"
#include "HeadlessFormView.h"
#include "IniSettingsStore.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The real settings store with a window onto its traffic: every call is
// recorded in order, and a test may make any call fail.
class WatchedStore : public platform::SettingsStore {
  public:
    explicit WatchedStore(platform::SettingsStore& inner) : inner_(inner) {}

    std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override
    {
        record("get " + std::string(key));
        return inner_.GetSetting(app, section, key, defaultValue);
    }
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override
    {
        record("save " + std::string(key) + "=" + std::string(value));
        inner_.SaveSetting(app, section, key, value);
    }
    // Each read and write of the edit's last run (the one that counts) is
    // recorded as a get and a save.
    void EditSettings(std::string_view app, std::string_view section,
                      const std::function<void(platform::SettingsEdit&)>& edit) override
    {
        std::vector<std::string> run;
        const auto flush = [&] {
            for (const std::string& call : run)
                record(call);
        };
        try {
            inner_.EditSettings(app, section, [&](platform::SettingsEdit& inner) {
                struct Watched : platform::SettingsEdit {
                    Watched(std::vector<std::string>& run, platform::SettingsEdit& inner) : run(run), inner(inner) {}
                    std::string Get(std::string_view key, std::string_view defaultValue) override
                    {
                        run.push_back("get " + std::string(key));
                        return inner.Get(key, defaultValue);
                    }
                    void Set(std::string_view key, std::string_view value) override
                    {
                        run.push_back("save " + std::string(key) + "=" + std::string(value));
                        inner.Set(key, value);
                    }
                    std::vector<std::string>& run;
                    platform::SettingsEdit& inner;
                } watched(run, inner);
                run.clear();
                edit(watched);
            });
        } catch (...) {
            flush();
            throw;
        }
        flush();
    }

    int saves() const
    {
        int count = 0;
        for (const std::string& call : calls)
            count += call.rfind("save ", 0) == 0;
        return count;
    }

    std::vector<std::string> calls;
    // Also given each call, for tests that merge it into another log or fail it.
    std::function<void(const std::string&)> onCall;

  private:
    void record(const std::string& call)
    {
        calls.push_back(call);
        if (onCall)
            onCall(call);
    }
    platform::SettingsStore& inner_;
};

// The player window on a headless view with the real INI settings store in a
// temporary XDG_CONFIG_HOME; the other services are fakes. Several harnesses
// may share one config home to stand for runs one after another.
struct StoreHarness : fakes::Services {
    explicit StoreHarness(TempConfigHome& home, std::string commandLine = "") : home(home), store(ini)
    {
        form1 = std::make_unique<player::Form1>(mov1, forForm1(store, std::move(commandLine)));
        view.connect(form1->form);
        form1->form.attach(view);
    }

    void load() { form1->form.load(); }

    // From here on, one timeline in mov1.log: the control's calls, every store
    // call, each change of the menus an open touches, and of Mov1's Visible.
    void watch()
    {
        store.onCall = [this](const std::string& call) { mov1.log.push_back(call); };
        follow(form1->ful);
        follow(form1->sett);
        follow(form1->poprec);
        for (forms::MenuItem* item : form1->rec)
            follow(*item);
        mov1.extenderChanged = [this, shown = mov1.Visible()]() mutable {
            if (mov1.Visible() != shown)
                mov1.log.push_back(std::string("Mov1.Visible=") + (mov1.Visible() ? "true" : "false"));
            shown = mov1.Visible();
        };
    }
    player::Form1& f() { return *form1; }

    // The control finishes opening whatever it was handed.
    void completeOpen() { mov1.completeOpen(); }
    // A file opened by any road: handed to the control, which reports it open.
    void open(const std::string& path)
    {
        mov1.MediaFile(path);
        completeOpen();
    }
    // A recent-files item chosen by the user, through the dispatcher as a menu click is.
    void pickRecent(int index) { form1->dispatcher.run(form1->rec.at(static_cast<std::size_t>(index))->Click); }
    void chooseOpen() { form1->dispatcher.run(form1->opn.Click); }

    std::string slot(int index)
    {
        return ini.GetSetting(player::AppName, player::RecentSection, std::to_string(index), "<missing>");
    }
    std::vector<std::string> captions() const
    {
        std::vector<std::string> result;
        for (const forms::MenuItem* item : form1->rec)
            result.push_back(item->Caption());
        return result;
    }
    std::vector<bool> shown() const
    {
        std::vector<bool> result;
        for (const forms::MenuItem* item : form1->rec)
            result.push_back(item->Visible());
        return result;
    }

    void follow(forms::MenuItem& item)
    {
        const std::string name = item.Index() < 0 ? item.Name() : item.Name() + std::to_string(item.Index());
        item.changed = [this, name, caption = item.Caption(), enabled = item.Enabled(),
                        visible = item.Visible()](const forms::MenuItem& now) mutable {
            if (now.Caption() != caption)
                mov1.log.push_back(name + ".Caption=" + now.Caption());
            if (now.Enabled() != enabled)
                mov1.log.push_back(name + ".Enabled=" + (now.Enabled() ? "true" : "false"));
            if (now.Visible() != visible)
                mov1.log.push_back(name + ".Visible=" + (now.Visible() ? "true" : "false"));
            caption = now.Caption();
            enabled = now.Enabled();
            visible = now.Visible();
        };
    }

    TempConfigHome& home;
    platform::IniSettingsStore ini;
    WatchedStore store;
    fakes::MediaControl mov1;
    forms::HeadlessFormView view;
    std::unique_ptr<player::Form1> form1;
};
