#pragma once

#include "support/FakeMediaControl.h"
#include "support/Fakes.h"

#include "Form1.h"
#include "HeadlessFormView.h"

#include <memory>
#include <string>

// The player window on a headless view, with every service faked. The window
// is built and attached but not loaded: call load() to raise Form_Load.
struct Form1Harness : fakes::Services {
    explicit Form1Harness(forms::HeadlessFormView::Options viewOptions = {}, std::string commandLine = "")
        : view(viewOptions)
    {
        form1 = std::make_unique<player::Form1>(mov1, forForm1(std::move(commandLine)));
        view.connect(form1->form);
        form1->form.attach(view);
    }

    void load() { form1->form.load(); }
    player::Form1& f() { return *form1; }
    forms::Form& form() { return form1->form; }

    fakes::MediaControl mov1;
    forms::HeadlessFormView view;
    std::unique_ptr<player::Form1> form1;
};
