// zelvo: a light movie player that fits its window round the movie.
#include "AboutBox.h"
#include "AllocatorPolicy.h"
#include "CommandLine.h"
#include "Form1.h"
#include "GuardedSettingsStore.h"
#include "IniSettingsStore.h"
#include "LinuxDrives.h"
#include "LinuxScreenSaver.h"
#include "MprisService.h"
#include "MpvControl.h"
#include "PlayerRemote.h"
#include "QtCommonDialog.h"
#include "QtFormView.h"
#include "QtMessageBoxes.h"
#include "QtSystemMetrics.h"
#include "SettingsTroubles.h"
#include "X11WindowStacking.h"

#include <QApplication>
#include <QDBusConnection>
#include <QIcon>

#include <clocale>

int main(int argc, char** argv)
{
    // Taken before Qt sees the arguments: Qt removes the ones it understands.
    const std::string commandLine = platform::absoluteCommandLine(platform::commandLineText(argc, argv));
    platform::preferX11OnWayland();
    media::useVideoAllocatorPolicy();

    QApplication application(argc, argv);
    QApplication::setApplicationName("zelvo");
    QApplication::setApplicationVersion(ZELVO_VERSION);
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
    platform::IniSettingsStore file;
    // The store for the whole run: what it cannot read or keep is told once,
    // over the player window, and the film plays on.
    app::SettingsTroubles troubles(boxes);
    platform::GuardedSettingsStore settings(file, [&troubles](const std::string& text) { troubles.tell(text); });
    platform::X11WindowStacking stacking;
    platform::LinuxDrives drives;
    platform::LinuxFileProbe files;
    platform::LinuxMediaPaths paths;

    // No session bus (a bare X session): the player runs as ever, quietly, without one.
    const QDBusConnection bus = QDBusConnection::sessionBus();
    // Outlives the control, whose state it follows, and lets go of the screen at exit.
    platform::LinuxScreenSaver screenSaver(bus);
    media::MpvControl control(metrics, paths);
    app::keepScreenOnWhilePlaying(control, screenSaver);
    // The guarded store tells its own troubles.
    control.rememberVolumeIn(settings, std::string(player::AppName), {});
    control.rememberPlacesIn(settings, std::string(player::AppName), {});
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
    view.keyAction = [&control](const QKeyEvent& event) { return control.playerKey(event); };
    QObject::connect(&control, &media::MpvControl::fullScreenRequested, &view, &forms::QtFormView::setFullScreen);
    QObject::connect(&control, &media::MpvControl::fullScreenToggled, &view, &forms::QtFormView::toggleFullScreen);
    QObject::connect(&view, &forms::QtFormView::fullScreenChanged, &control, &media::MpvControl::setFullScreen);
    form1.form.attach(view);
    // The next file of the folder opens as a dropped one does: as File, Open opens it.
    QObject::connect(&control, &media::MpvControl::fileRequested, &view,
                     [&form1](const std::string& path) { form1.form.viewFileDropped(path); });

    app::PlayerRemote remote(control, form1, view);
    platform::MprisService mpris(remote, {QStringLiteral("zelvo"), QStringLiteral("zelvo"),
                                          QString(ZELVO_MIME_TYPES).split(',', Qt::SkipEmptyParts)});
    mpris.start(bus);

    form1.form.load();
    view.show();
    boxes.owner = &view;
    troubles.windowShown(view);
    return QApplication::exec();
}
