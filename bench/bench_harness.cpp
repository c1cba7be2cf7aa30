// A window with nothing but the media control, for the benchmark against the
// mpv player and for looking at the control by eye.
//
//   bench_harness FILE [--size N] [--play SECONDS] [--first-frame-only] [--stats]
//   bench_harness FILE [--size N] --seek-test
//   bench_harness FILE [--size N] [--stats] --sweep SECONDS [--no-preview]
//   bench_harness FILE [--size N] --open-many N
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
//
// --sweep plays FILE and, for SECONDS, moves the pointer over the seek bar
// back and forth (a move every 16 ms for 0.4 s, then a rest of 0.4 s); at
// each rest it times the pointer's stop to the preview's picture of that
// place reaching the preview window, and prints the median and the worst,
// the CPU time (user+sys) of the sweep, the peak RSS, and the RSS before the
// first preview and after the preview engine has gone. With --no-preview the
// preview is off and the pointer rests: the same run without the sweep.
//
// --open-many opens FILE N times in a row, each time with the pointer on the
// seek bar until its preview is shown, and prints the process's open files and
// threads after the first open and after the last.
#include "AllocatorPolicy.h"
#include "MediaPaths.h"
#include "MpvControl.h"
#include "QtSystemMetrics.h"
#include "PreviewEngine.h"
#include "RuntimeError.h"
#include "SeekPreview.h"
#include "Twips.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// A line of /proc/self/status, in kB.
long statusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.starts_with(prefix))
            return std::atol(line.c_str() + prefix.size());
    return -1;
}

std::size_t entries(const char* folder)
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Moves the pointer over the seek bar at fraction of its length.
void hoverSeekBar(QSlider& slider, double fraction)
{
    const QPointF at(std::clamp(fraction, 0.0, 1.0) * (slider.width() - 1), slider.height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, at, slider.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&slider, &move);
}

// The pointer sweeping the seek bar while the film plays; see --sweep above.
class Sweep : public QObject {
  public:
    Sweep(media::MpvControl& control, double seconds, bool preview)
        : control_(control), seconds_(seconds), preview_(preview)
    {
        connect(&control_.seekPreview(), &media::SeekPreview::pictureShown, this, [this](bool newest) {
            ++pictures_;
            if (!newest || sinceMove_ >= 0)
                return;
            // The picture for where the pointer last moved to: it may come before the rest is noticed.
            sinceMove_ = clock_.nsecsElapsed() / 1e6;
            if (waiting_) {
                waiting_ = false;
                waits_.push_back(sinceMove_);
            }
        });
        connect(&tick_, &QTimer::timeout, this, [this] { step(); });
    }

    void start()
    {
        slider_ = control_.findChild<QSlider*>(QStringLiteral("seek"));
        control_.seekPreview().setEnabled(preview_);
        rssBefore_ = statusKb("VmRSS");
        cpu_ = cpuSeconds();
        total_.start();
        tick_.start(16);
    }

  private:
    void step()
    {
        if (total_.elapsed() >= seconds_ * 1000) {
            finish();
            return;
        }
        const int phase = static_cast<int>(total_.elapsed() / 400);
        resting_ = phase % 2 == 1;
        if (resting_) {
            if (!stopped_) {
                stopped_ = true;
                ++stops_;
                if (sinceMove_ >= 0)
                    waits_.push_back(sinceMove_);
                else
                    waiting_ = true;
            }
            return;
        }
        if (stopped_ && waiting_)
            ++missed_;
        stopped_ = false;
        waiting_ = false;
        // Back and forth over the bar, about 4 s a way, with a little wobble so no two rests are alike.
        fraction_ += direction_ * 0.004 * (1 + (phase % 3));
        if (fraction_ >= 1 || fraction_ <= 0)
            direction_ = -direction_;
        if (preview_)
            hoverSeekBar(*slider_, fraction_);
        // Timed from the last move before a rest: the pointer stopping.
        clock_.start();
        sinceMove_ = -1;
    }

    void finish()
    {
        tick_.stop();
        const double cpu = cpuSeconds() - cpu_;
        std::sort(waits_.begin(), waits_.end());
        const double median = waits_.empty() ? -1 : waits_[waits_.size() / 2];
        const double worst = waits_.empty() ? -1 : waits_.back();
        std::printf("sweep preview=%d pictures=%d stops=%d shown=%zu missed=%d median-ms=%.1f worst-ms=%.1f cpu-s=%.2f "
                    "rss-before-kb=%ld peak-rss-kb=%ld\n",
                    preview_ ? 1 : 0, pictures_, stops_, waits_.size(), missed_, median, worst, cpu, rssBefore_,
                    statusKb("VmHWM"));
        std::fflush(stdout);
        // Closing the preview's engine as a change of file does, then the memory left.
        control_.seekPreview().setEnabled(false);
        auto* gone = new QTimer(this);
        connect(gone, &QTimer::timeout, this, [this, gone] {
            if (media::PreviewEngine::alive() != 0)
                return;
            gone->stop();
            std::printf("sweep rss-after-kb=%ld\n", statusKb("VmRSS"));
            std::fflush(stdout);
            QApplication::quit();
        });
        gone->start(20);
    }

    media::MpvControl& control_;
    const double seconds_;
    const bool preview_;
    QSlider* slider_ = nullptr;
    QTimer tick_;
    QElapsedTimer total_;
    QElapsedTimer clock_;
    std::vector<double> waits_;
    double fraction_ = 0.5;
    int direction_ = 1;
    int stops_ = 0;
    int missed_ = 0;
    int pictures_ = 0;
    double sinceMove_ = -1;
    bool resting_ = false;
    bool stopped_ = false;
    bool waiting_ = false;
    long rssBefore_ = 0;
    double cpu_ = 0;
};

// Opens the file again and again with the pointer on the seek bar; see --open-many above.
class OpenMany : public QObject {
  public:
    OpenMany(media::MpvControl& control, std::string file, int count)
        : control_(control), file_(std::move(file)), count_(count)
    {
        connect(&control_.seekPreview(), &media::SeekPreview::pictureShown, this, [this](bool newest) {
            if (newest && waiting_) {
                waiting_ = false;
                QTimer::singleShot(0, this, [this] { next(); });
            }
        });
        timeout_.setSingleShot(true);
        connect(&timeout_, &QTimer::timeout, this, [this] {
            std::printf("open-many open %d: no preview within 10 s\n", opened_);
            waiting_ = false;
            next();
        });
    }

    // The media has opened: point at the bar.
    void opened()
    {
        if (opened_ == 0)
            return;
        waiting_ = true;
        timeout_.start(10000);
        point();
    }

    void start() { next(); }

  private:
    // The bar takes the media's length shortly after the open: point at it then.
    void point()
    {
        auto* slider = control_.findChild<QSlider*>(QStringLiteral("seek"));
        if (slider->maximum() <= 0 || !control_.duration()) {
            QTimer::singleShot(10, this, [this] { point(); });
            return;
        }
        hoverSeekBar(*slider, 0.1 + 0.8 * (opened_ % 10) / 10.0);
    }

    void next()
    {
        timeout_.stop();
        if (opened_ == 1) {
            fds_ = entries("/proc/self/fd");
            threads_ = entries("/proc/self/task");
        }
        if (opened_ > count_) {
            std::printf("open-many n=%d fds-before=%zu fds-after=%zu threads-before=%zu threads-after=%zu\n", count_,
                        fds_, entries("/proc/self/fd"), threads_, entries("/proc/self/task"));
            std::fflush(stdout);
            QApplication::quit();
            return;
        }
        ++opened_;
        control_.MediaFile(file_);
    }

    media::MpvControl& control_;
    const std::string file_;
    const int count_;
    int opened_ = 0;
    bool waiting_ = false;
    QTimer timeout_;
    std::size_t fds_ = 0;
    std::size_t threads_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    stage("main");
    // As the player does.
    media::useVideoAllocatorPolicy();
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    stage("application");

    std::string file;
    int size = 0;
    double playSeconds = -1;
    bool firstFrameOnly = false;
    bool stats = false;
    bool seekTest = false;
    double sweepSeconds = -1;
    bool noPreview = false;
    int openMany = 0;
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
        else if (word == "--sweep" && i + 1 < argc)
            sweepSeconds = std::atof(argv[++i]);
        else if (word == "--no-preview")
            noPreview = true;
        else if (word == "--open-many" && i + 1 < argc)
            openMany = std::atoi(argv[++i]);
        else
            file = word;
    }
    if (file.empty()) {
        std::fprintf(
            stderr,
            "usage: bench_harness FILE [--size N] [--play SECONDS] [--first-frame-only] [--stats] [--seek-test]\n"
            "       [--sweep SECONDS [--no-preview]] [--open-many N]\n");
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
    OpenMany many(control, file, openMany);
    bool started = false;
    control.OpenComplete = [&] {
        stage("open-complete");
        if (openMany > 0 && std::exchange(started, true)) {
            many.opened();
            return;
        }
        control.MovieSize(size);
        fit();
        if (!seekTest && openMany == 0)
            control.StartPlayback();
        if (openMany > 0)
            QTimer::singleShot(500, &many, [&] {
                many.start();
            });
    };
    control.KeyPress = [](std::int16_t& code) {
        std::printf("key %d\n", code);
        std::fflush(stdout);
    };
    SeekTest seeks(control);
    Sweep sweep(control, sweepSeconds, !noPreview);
    QObject::connect(&control, &media::MpvControl::firstFrameShown, [&] {
        stage("first-frame");
        std::printf("first-frame\n");
        std::fflush(stdout);
        if (firstFrameOnly)
            QTimer::singleShot(0, &application, &QApplication::quit);
        // The window has taken its size by now: the seek bar is where it stays.
        if (seekTest)
            QTimer::singleShot(500, &seeks, &SeekTest::start);
        if (sweepSeconds > 0)
            QTimer::singleShot(500, &sweep, &Sweep::start);
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
