// A window with nothing but the media control, for the benchmark against the
// mpv player and for looking at the control by eye.
//
//   bench_harness FILE [--size N] [--play SECONDS] [--first-frame-only] [--stats]
//   bench_harness FILE [--size N] --seek-test
//
// Opens FILE, puts MovieSize N (default 0, the movie's own size) once it has
// opened, starts playback and prints "first-frame" when the first picture is
// on screen. With --play it quits after SECONDS of playback, with
// --first-frame-only as soon as the first picture is shown; otherwise it runs
// until its window is closed. --stats prints, at the end, how many frames
// reached the window and how many mpv dropped.
//
// --seek-test leaves the movie paused and, at ten spread places, clicks the
// seek bar there, then steps a frame forward and a frame back; for each it
// prints when it clicked (t0, CLOCK_MONOTONIC microseconds, to be matched
// with what reached the screen), the milliseconds to the next new picture
// drawn by the surface, and the position reached.
#include "MediaPaths.h"
#include "MpvControl.h"
#include "QtSystemMetrics.h"
#include "RuntimeError.h"
#include "Twips.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

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

// Clicks the seek bar at FRACTION of its length, as a person would, and
// returns the place in seconds it asked for.
double clickSeekBar(QSlider& slider, double fraction)
{
    QStyleOptionSlider option;
    option.initFrom(&slider);
    option.orientation = slider.orientation();
    option.minimum = slider.minimum();
    option.maximum = slider.maximum();
    option.sliderPosition = slider.sliderPosition();
    option.sliderValue = slider.value();
    const QRect groove = slider.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, &slider);
    const QRect handle = slider.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &slider);
    const int span = groove.width() - handle.width();
    const QPointF at(groove.x() + handle.width() / 2 + fraction * span, groove.center().y());
    const QPointF global = slider.mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&slider, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&slider, &release);
    return slider.value() / 1000.0;
}

// Ten places over the whole length, in an order that jumps both ways.
constexpr double SeekFractions[] = {0.53, 0.12, 0.91, 0.34, 0.07, 0.76, 0.45, 0.97, 0.21, 0.64};

// Runs the seek and frame-step test as a chain of steps, each waiting for the
// picture it caused before the next begins.
class SeekTest : public QObject {
  public:
    explicit SeekTest(media::MpvControl& control) : control_(control)
    {
        connect(&control_, &media::MpvControl::framePresented, this, [this] { presented(); });
        timeout_.setSingleShot(true);
        connect(&timeout_, &QTimer::timeout, this, [this] {
            std::printf("%s timeout\n", what_.c_str());
            std::fflush(stdout);
            settle();
        });
    }

    void start()
    {
        for (double fraction : SeekFractions) {
            actions_.push_back([this, fraction] {
                auto* slider = control_.findChild<QSlider*>(QStringLiteral("seek"));
                begin("seek");
                target_ = clickSeekBar(*slider, fraction);
            });
            actions_.push_back([this] {
                begin("step-forward");
                control_.stepFrame(true);
            });
            actions_.push_back([this] {
                begin("step-back");
                control_.stepFrame(false);
            });
        }
        next();
    }

  private:
    void begin(const char* what)
    {
        what_ = what;
        target_ = -1;
        waiting_ = true;
        clock_.start();
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        startedUs_ = static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
        timeout_.start(10000);
    }

    void presented()
    {
        if (!waiting_)
            return;
        elapsed_ = clock_.nsecsElapsed() / 1e6;
        timeout_.stop();
        settle();
    }

    // Lets the position reach the display before it is read.
    void settle()
    {
        waiting_ = false;
        QTimer::singleShot(300, this, [this] {
            if (elapsed_ >= 0)
                std::printf("%s t0=%lld ms=%.1f target=%.3f at=%.3f\n", what_.c_str(), startedUs_, elapsed_, target_,
                            control_.position());
            std::fflush(stdout);
            elapsed_ = -1;
            next();
        });
    }

    void next()
    {
        if (actions_.empty()) {
            QApplication::quit();
            return;
        }
        auto action = std::move(actions_.front());
        actions_.erase(actions_.begin());
        action();
    }

    media::MpvControl& control_;
    std::vector<std::function<void()>> actions_;
    QElapsedTimer clock_;
    QTimer timeout_;
    std::string what_;
    double target_ = -1;
    double elapsed_ = -1;
    long long startedUs_ = 0;
    bool waiting_ = false;
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
    bool stats = false;
    bool seekTest = false;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--size" && i + 1 < argc)
            size = std::atoi(argv[++i]);
        else if (word == "--play" && i + 1 < argc)
            playSeconds = std::atof(argv[++i]);
        else if (word == "--first-frame-only")
            firstFrameOnly = true;
        else if (word == "--stats")
            stats = true;
        else if (word == "--seek-test")
            seekTest = true;
        else
            file = word;
    }
    if (file.empty()) {
        std::fprintf(
            stderr,
            "usage: bench_harness FILE [--size N] [--play SECONDS] [--first-frame-only] [--stats] [--seek-test]\n");
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
        if (!seekTest)
            control.StartPlayback();
    };
    control.KeyPress = [](std::int16_t& code) {
        std::printf("key %d\n", code);
        std::fflush(stdout);
    };
    SeekTest seeks(control);
    QObject::connect(&control, &media::MpvControl::firstFrameShown, [&] {
        stage("first-frame");
        std::printf("first-frame\n");
        std::fflush(stdout);
        if (firstFrameOnly)
            QTimer::singleShot(0, &application, &QApplication::quit);
        // The window has taken its size by now: the seek bar is where it stays.
        if (seekTest)
            QTimer::singleShot(500, &seeks, &SeekTest::start);
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
    const int status = QApplication::exec();
    if (stats) {
        const auto counts = control.frameCounts();
        std::printf("frames presented=%llu dropped-output=%lld dropped-decoder=%lld\n",
                    static_cast<unsigned long long>(counts.presented), static_cast<long long>(counts.droppedByOutput),
                    static_cast<long long>(counts.droppedByDecoder));
    }
    return status;
}
