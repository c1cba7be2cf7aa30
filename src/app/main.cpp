// zelvo: a light movie player that fits its window round the movie.
#include "AboutBox.h"
#include "CommandLine.h"
#include "Form1.h"
#include "IniSettingsStore.h"
#include "LinuxDrives.h"
#include "MpvControl.h"
#include "QtCommonDialog.h"
#include "QtFormView.h"
#include "QtMessageBoxes.h"
#include "QtSystemMetrics.h"
#include "X11WindowStacking.h"

#include <QApplication>
#include <QIcon>

#include <clocale>

int main(int argc, char** argv)
{
    // Taken before Qt sees the arguments: Qt removes the ones it understands.
    const std::string commandLine = platform::absoluteCommandLine(platform::commandLineText(argc, argv));
    platform::preferX11OnWayland();

    QApplication application(argc, argv);
    QApplication::setApplicationName("zelvo");
    QGuiApplication::setDesktopFileName("zelvo");
    // Every size of the icon, so that title bars and task lists show a sharp one.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/icons/zelvo-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    // libmpv needs the C number format, and QApplication has just set the user's.
    std::setlocale(LC_NUMERIC, "C");

    platform::QtSystemMetrics metrics;
    platform::QtMessageBoxes boxes;
    platform::QtCommonDialog cdlg1;
    platform::IniSettingsStore settings;
    platform::X11WindowStacking stacking;
    platform::LinuxDrives drives;
    platform::LinuxFileProbe files;
    platform::LinuxMediaPaths paths;

    media::MpvControl control(metrics, paths);
    forms::QtFormView* window = nullptr;
    player::Form1 form1(control, {metrics, stacking, cdlg1, boxes, settings, drives, files,
                                  [&window] {
                                      if (window)
                                          app::showAboutBox(*window);
                                  },
                                  commandLine});

    forms::QtFormView view(form1.form, form1.menus);
    window = &view;
    view.setWindowIcon(icon);
    view.host(control, control);
    form1.form.attach(view);

    form1.form.load();
    view.show();
    return QApplication::exec();
}
