// A window with nothing but the media control, for the benchmark against the
// mpv player and for looking at the control by eye.
//
//   bench_harness FILE [--size N] [--play SECONDS] [--first-frame-only]
//
// Opens FILE, puts MovieSize N (default 0, the movie's own size) once it has
// opened, starts playback and prints "first-frame" when the first picture is
// on screen. With --play it quits after SECONDS of playback, with
// --first-frame-only as soon as the first picture is shown; otherwise it runs
// until its window is closed.
#include "MediaPaths.h"
#include "MpvControl.h"
#include "QtSystemMetrics.h"
#include "RuntimeError.h"
#include "Twips.h"

#include <QApplication>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// With BENCH_T0 set to the launcher's clock (seconds since the epoch), prints
// how long after launch each stage was reached: where start-up time goes.
void stage(const char* name)
{
    static const char* t0 = std::getenv("BENCH_T0");
    if (!t0)
        return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(stderr, "stage %-16s %.3f\n", name, now.tv_sec + now.tv_nsec / 1e9 - std::atof(t0));
}

// Plain paths only: the benchmark plays ordinary files.
class PlainPaths : public platform::MediaPaths {
  public:
    platform::ResolvedMedia resolve(std::string_view path) override { return {std::string(path), {}}; }
};

} // namespace

int main(int argc, char** argv)
{
    stage("main");
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    stage("application");

    std::string file;
    int size = 0;
    double playSeconds = -1;
    bool firstFrameOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--size" && i + 1 < argc)
            size = std::atoi(argv[++i]);
        else if (word == "--play" && i + 1 < argc)
            playSeconds = std::atof(argv[++i]);
        else if (word == "--first-frame-only")
            firstFrameOnly = true;
        else
            file = word;
    }
    if (file.empty()) {
        std::fprintf(stderr, "usage: bench_harness FILE [--size N] [--play SECONDS] [--first-frame-only]\n");
        return 2;
    }

    platform::QtSystemMetrics metrics;
    PlainPaths paths;
    media::MpvControl control(metrics, paths);
    stage("control");
    control.setWindowTitle(QStringLiteral("zelvo control"));

    const auto fit = [&control] {
        control.resize(qRound(control.Width() / forms::TwipsPerPixel), qRound(control.Height() / forms::TwipsPerPixel));
    };
    control.OpenComplete = [&] {
        stage("open-complete");
        control.MovieSize(size);
        fit();
        control.StartPlayback();
    };
    control.KeyPress = [](std::int16_t& code) {
        std::printf("key %d\n", code);
        std::fflush(stdout);
    };
    QObject::connect(&control, &media::MpvControl::firstFrameShown, [&] {
        stage("first-frame");
        std::printf("first-frame\n");
        std::fflush(stdout);
        if (firstFrameOnly)
            QTimer::singleShot(0, &application, &QApplication::quit);
    });
    QTimer played;
    if (playSeconds >= 0) {
        QObject::connect(&played, &QTimer::timeout, [&] {
            if (control.position() >= playSeconds)
                QApplication::quit();
        });
        played.start(20);
    }

    control.MovieSize(size);
    fit();
    control.show();
    stage("shown");
    try {
        control.MediaFile(file);
        stage("media-file");
    } catch (const forms::RuntimeError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return QApplication::exec();
}
