#include "AboutBox.h"

#include "LinuxFileSearch.h"
#include "LinuxProgramLauncher.h"
#include "LinuxRegistry.h"
#include "QtDialogView.h"
#include "QtMessageBoxes.h"
#include "frmAbout.h"

#include <QWidget>

namespace app {

void showAboutBox(QWidget& owner)
{
    // Everything is made for this opening and gone when it closes.
    platform::LinuxRegistry registry;
    platform::LinuxFileSearch files;
    platform::LinuxProgramLauncher launcher;
    platform::QtMessageBoxes boxes;
    about::frmAbout frmAbout(
        {registry, files, launcher, boxes, [&owner] { return forms::Picture(owner.windowIcon()); }});

    forms::QtDialogView view(frmAbout.dialog, &owner);
    frmAbout.form.attach(view);
    frmAbout.form.load();
    // Modal over the player window; returns once the dialog has been unloaded.
    if (frmAbout.dialog.Loaded())
        view.exec();
}

} // namespace app
