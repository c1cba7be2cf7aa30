#pragma once

#include "support/FakeMediaControl.h"
#include "support/Fakes.h"

#include "platform/forms/HeadlessFormView.h"
#include "player/Form1.h"

#include <memory>
#include <string>

// The player window on a headless view, with every service faked. The window
// is built and attached but not loaded: call load() to raise Form_Load.
struct Form1Harness {
    explicit Form1Harness(forms::HeadlessFormView::Options viewOptions = {}, std::string commandLine = "")
        : view(viewOptions)
    {
        form1 = std::make_unique<player::Form1>(
            mov1, player::Form1Services{metrics, stacking, cdlg1, boxes, settings, drives, files,
                                        [this] { ++aboutShown; }, std::move(commandLine)});
        view.connect(form1->form);
        form1->form.attach(view);
    }

    void load() { form1->form.load(); }
    player::Form1& f() { return *form1; }
    forms::Form& form() { return form1->form; }

    fakes::MessageBoxes boxes;
    fakes::SystemMetrics metrics{1024, 768};
    fakes::WindowStacking stacking;
    fakes::CommonDialog cdlg1;
    fakes::SettingsStore settings;
    fakes::Drives drives;
    fakes::FileProbe files;
    fakes::MediaControl mov1;
    forms::HeadlessFormView view;
    int aboutShown = 0;
    std::unique_ptr<player::Form1> form1;
};
