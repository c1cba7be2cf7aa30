// The real media control over libmpv, on clips made with ffmpeg at test time.
#include "test_mpv_media.h"

#include "MpvControl.h"
#include "MpvEngine.h"
#include "PositionText.h"
#include "support/Fakes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <optional>

using namespace std::chrono_literals;

namespace {

constexpr float Twips = 15.0f;

class MpvControlTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        control.OpenComplete = [this] { ++opened; };
        control.KeyPress = [this](std::int16_t& code) { keys.push_back(code); };
    }

    // Puts the path and waits for the open to complete.
    void open(const std::string& path)
    {
        const int before = opened;
        control.MediaFile(path);
        ASSERT_TRUE(waitFor([&] { return opened > before; })) << path << ": " << control.displayText().toStdString();
    }

    // Puts a path that cannot play and waits for the control to say so.
    void openBroken(const std::string& path)
    {
        control.MediaFile(path);
        ASSERT_TRUE(waitFor([&] { return control.displayText().startsWith("Cannot play"); }))
            << path << ": " << control.displayText().toStdString();
    }

    // Waits until the position reads the same twice 200 ms apart and returns it;
    // empty when it is still moving after 10 s.
    std::optional<double> steadyPosition()
    {
        QElapsedTimer clock;
        clock.start();
        while (!clock.hasExpired(10000)) {
            const double before = control.position();
            settle(200ms);
            if (control.position() == before)
                return before;
        }
        return std::nullopt;
    }

    // Lets go of the seek bar's handle at the given time, in milliseconds.
    void dragTo(int milliseconds)
    {
        auto* seek = control.findChild<QSlider*>("seek");
        ASSERT_NE(seek, nullptr);
        seek->setSliderDown(true);
        seek->setSliderPosition(milliseconds);
        seek->setSliderDown(false);
    }

    // The size the control gave itself, in logical pixels.
    std::pair<float, float> pixels() const { return {control.Width() / Twips, control.Height() / Twips}; }

    fakes::SystemMetrics screen{1024, 768};
    TestPaths paths;
    media::MpvControl control{screen, paths};
    int opened = 0;
    std::vector<std::int16_t> keys;
};

TEST_F(MpvControlTest, EachFormatOpensOnceWithItsPictureSizeKnown)
{
    struct Case {
        const char* name;
        int width;
        int height; // 0: sound only
    };
    for (const Case& c : {Case{"clip.mpg", 352, 288}, Case{"clip.dat", 352, 288}, Case{"clip.avi", 320, 240},
                          Case{"clip.mov", 640, 360}, Case{"clip.mp3", 320, 0}}) {
        SCOPED_TRACE(c.name);
        opened = 0;
        const std::string path = clip(c.name);
        open(path);
        EXPECT_EQ(control.MediaFile(), path);
        // The size is known when OpenComplete comes: the original size is the picture's.
        control.MovieSize(0);
        const float panels = static_cast<float>(control.panelsHeight());
        EXPECT_EQ(pixels(), std::make_pair(float(c.width), float(c.height) + panels));
        EXPECT_EQ(opened, 1);
    }
    // A late second OpenComplete of a file would come before the next file's first.
    opened = 0;
    open(clip("clip.mpg"));
    EXPECT_EQ(opened, 1);
}

TEST_F(MpvControlTest, NothingPlaysBeforeStartPlayback)
{
    bool frameShown = false;
    QObject::connect(&control, &media::MpvControl::firstFrameShown, [&] { frameShown = true; });
    control.resize(352, 288 + control.panelsHeight());
    control.show();
    open(clip("clip.mpg"));
    // The position is the first frame's time (a hair after 0 in this clip); mpv reports
    // it a little after the frame is up, and a clip may also start at 0 exactly.
    ASSERT_TRUE(waitFor([&] { return frameShown; }));
    waitFor([&] { return control.position() > 0; }, 3s);
    const std::optional<double> first = steadyPosition();
    ASSERT_TRUE(first) << "the position keeps moving before playback starts: " << control.position();
    settle(500ms);
    EXPECT_TRUE(control.paused());
    EXPECT_EQ(control.position(), *first);
    EXPECT_LT(*first, 0.1);
    control.StartPlayback();
    EXPECT_TRUE(waitFor([&] { return control.position() > *first + 0.3; }));
    EXPECT_FALSE(control.paused());
}

TEST_F(MpvControlTest, MovieSizeOfA352x288ClipOnA1024x768Screen)
{
    ASSERT_EQ(control.devicePixelRatioF(), 1.0);
    open(clip("clip.mpg"));
    const float panels = static_cast<float>(control.panelsHeight());
    ASSERT_GT(panels, 0);
    // 0: own size. 1: double. 3: within 512 x 384, where the height binds (384 / 288 = 4/3,
    // 352 * 4/3 = 469.33). 4: within 724.08 x 543.06 (the screen times 0.7071), the height
    // binds again (543.06 / 288 = 1.8856, 352 * 1.8856 = 663.7). 2: within 256 x 192 (192 / 288 = 2/3).
    const std::pair<int, std::pair<float, float>> expected[] = {
        {0, {352, 288}}, {1, {704, 576}}, {3, {469, 384}}, {4, {663, 543}}, {2, {234, 192}},
    };
    for (const auto& [size, area] : expected) {
        SCOPED_TRACE(size);
        control.MovieSize(size);
        EXPECT_EQ(pixels(), std::make_pair(area.first, area.second + panels));
    }
    EXPECT_THROW(control.MovieSize(7), forms::RuntimeError);
}

TEST_F(MpvControlTest, MovieSizeWithoutPictureUsesA320x240StandIn)
{
    const float panels = static_cast<float>(control.panelsHeight());
    // Before any open: 320 x 240, which fits a quarter of the screen (512 x 384) exactly,
    // and half of it (724.08 x 543.06) to the pixel rounded down.
    control.MovieSize(0);
    EXPECT_EQ(pixels(), std::make_pair(320.0f, 240 + panels));
    control.MovieSize(3);
    EXPECT_EQ(pixels(), std::make_pair(512.0f, 384 + panels));
    control.MovieSize(4);
    EXPECT_EQ(pixels(), std::make_pair(724.0f, 543 + panels));

    // Sound only: the same widths, and no picture area at all.
    open(clip("clip.mp3"));
    control.MovieSize(1);
    EXPECT_EQ(pixels(), std::make_pair(640.0f, panels));
    control.MovieSize(3);
    EXPECT_EQ(pixels(), std::make_pair(512.0f, panels));
}

TEST_F(MpvControlTest, MovieSizeTellsTheHostAtOnce)
{
    int told = 0;
    control.extenderChanged = [&] { ++told; };
    control.MovieSize(1);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(control.Width(), 640 * Twips);
}

TEST_F(MpvControlTest, DisplayUnitSwitchesBetweenTimeAndFrames)
{
    open(clip("clip.mpg"));
    EXPECT_EQ(control.displayText(), "0:00:00.0");
    control.DisplayUnit(1);
    EXPECT_EQ(control.displayText(), "0");

    // Held on the frame at 2 s: frame 50 of a 25 fps clip.
    dragTo(2000);
    ASSERT_TRUE(waitFor([&] { return std::abs(control.position() - 2.0) < 0.005; })) << control.position();
    ASSERT_TRUE(steadyPosition());
    EXPECT_TRUE(control.paused());
    EXPECT_EQ(control.displayText(), "50");
    control.DisplayUnit(0);
    EXPECT_EQ(control.displayText(), "0:00:02.0");

    // The display follows the position in either unit.
    dragTo(1200);
    ASSERT_TRUE(waitFor([&] { return std::abs(control.position() - 1.2) < 0.005; })) << control.position();
    ASSERT_TRUE(steadyPosition());
    EXPECT_EQ(control.displayText(), "0:00:01.2");
    control.DisplayUnit(1);
    EXPECT_EQ(control.displayText(), "30");
    EXPECT_THROW(control.DisplayUnit(2), forms::RuntimeError);
}

TEST_F(MpvControlTest, TransportBarPausesStopsAndSeeks)
{
    open(clip("clip.mpg"));
    auto* play = control.findChild<QToolButton*>("play");
    auto* pause = control.findChild<QToolButton*>("pause");
    auto* stop = control.findChild<QToolButton*>("stop");
    auto* seek = control.findChild<QSlider*>("seek");
    ASSERT_TRUE(play && pause && stop && seek);
    EXPECT_EQ(control.findChild<QLabel*>("duration")->text(), "0:00:03");

    play->click();
    ASSERT_TRUE(waitFor([&] { return control.position() > 1.0; }));
    pause->click();
    ASSERT_TRUE(waitFor([&] { return control.paused(); }));
    const std::optional<double> held = steadyPosition();
    ASSERT_TRUE(held) << "still moving after the pause: " << control.position();

    // Dragging the handle to 2 s and letting go lands on the frame at 2 s (25 fps: within 0.04 s).
    seek->setSliderDown(true);
    seek->setSliderPosition(2000);
    seek->setSliderDown(false);
    EXPECT_TRUE(waitFor([&] { return std::abs(control.position() - 2.0) < 0.05; })) << control.position();
    EXPECT_TRUE(control.paused());

    stop->click();
    EXPECT_TRUE(waitFor([&] { return control.position() < 0.05; })) << control.position();
    EXPECT_TRUE(control.paused());

    // At the end the last frame stays; a seek back from there still lands where asked
    // (an MPEG program stream's demuxer alone would land on the next keyframe, 1.45 s).
    play->click();
    ASSERT_TRUE(waitFor([&] { return control.position() > 2.9 && control.paused(); }));
    seek->setSliderDown(true);
    seek->setSliderPosition(1000);
    seek->setSliderDown(false);
    EXPECT_TRUE(waitFor([&] { return std::abs(control.position() - 1.0) < 0.05; })) << control.position();
    const std::optional<double> landed = steadyPosition();
    ASSERT_TRUE(landed) << "still moving after the seek: " << control.position();
    EXPECT_LT(std::abs(*landed - 1.0), 0.05);
    EXPECT_TRUE(control.paused());
}

TEST_F(MpvControlTest, ProgramStreamSeeksLandOnTheAskedFrameAfterAnIndexedFile)
{
    // An indexed file lifts the early demuxer start; the program stream after it needs it back.
    open(clip("clip.mov"));
    open(clip("clip.mpg"));
    control.StartPlayback();
    ASSERT_TRUE(waitFor([&] { return control.position() > 2.9 && control.paused(); }));
    dragTo(1000);
    EXPECT_TRUE(waitFor([&] { return std::abs(control.position() - 1.0) < 0.05; })) << control.position();
    const std::optional<double> landed = steadyPosition();
    ASSERT_TRUE(landed) << "still moving after the seek: " << control.position();
    EXPECT_LT(std::abs(*landed - 1.0), 0.05);
}

TEST_F(MpvControlTest, FrameStepsMoveOneFrameEachWayAndPicturesAreCounted)
{
    control.resize(640, 360 + control.panelsHeight());
    control.show();
    open(clip("clip.mov"));
    dragTo(1000);
    ASSERT_TRUE(waitFor([&] { return std::abs(control.position() - 1.0) < 0.02; })) << control.position();
    ASSERT_TRUE(steadyPosition());
    const auto before = control.frameCounts().presented;
    const double at = control.position();

    // 30 fps: a frame is 1/30 s.
    control.stepFrame(true);
    EXPECT_TRUE(waitFor([&] { return std::abs(control.position() - (at + 1.0 / 30)) < 0.005; })) << control.position();
    EXPECT_TRUE(waitFor([&] { return control.paused(); }));
    control.stepFrame(false);
    EXPECT_TRUE(waitFor([&] { return std::abs(control.position() - at) < 0.005; })) << control.position();
    EXPECT_TRUE(control.paused());
    // Each step put a new picture in the window.
    EXPECT_TRUE(waitFor([&] { return control.frameCounts().presented >= before + 2; }))
        << control.frameCounts().presented - before;
    EXPECT_EQ(control.frameCounts().droppedByDecoder, 0);
}

TEST(SeekLeadIn, OnlyIndexedContainersSeekFromTheKeyframeItself)
{
    EXPECT_EQ(media::seekLeadInFor("mov,mp4,m4a,3gp,3g2,mj2"), 0);
    EXPECT_EQ(media::seekLeadInFor("mkv"), 0);
    // Program and transport streams, AVI and anything unknown keep the early start.
    for (const char* format : {"mpeg", "mpegts", "mpegvideo", "avi", ""})
        EXPECT_EQ(media::seekLeadInFor(format), 1) << format;
}

TEST(PositionText, CountsHoursAndRoundsDown)
{
    EXPECT_EQ(media::timeText(3725.39), "1:02:05.3");
    EXPECT_EQ(media::timeText(59.99), "0:00:59.9");
    EXPECT_EQ(media::timeText(-0.02), "0:00:00.0");
    // 0.3 s at 10 frames a second is frame 3, though 0.3 * 10 is 2.9999... in binary.
    EXPECT_EQ(media::frameText(0.3, 10.0), "3");
    EXPECT_EQ(media::frameText(1.999, 25.0), "49");
    EXPECT_EQ(media::frameText(2.0, std::nullopt), "-");
    EXPECT_EQ(media::durationText(130.7), "0:02:10");
    EXPECT_EQ(media::durationText(std::nullopt), "-:--:--");
}

TEST_F(MpvControlTest, DisplayColoursRoundTripAndPaintTheDisplay)
{
    EXPECT_EQ(control.DisplayForeColor(), 0x00FFFFFF);
    EXPECT_EQ(control.DisplayBackColor(), 0x00000000);
    control.DisplayBackColor(0x00123456);
    control.DisplayForeColor(0x000000FF);
    EXPECT_EQ(control.DisplayBackColor(), 0x00123456);
    EXPECT_EQ(control.DisplayForeColor(), 0x000000FF);

    control.resize(320, 300);
    auto* display = control.findChild<QWidget*>("position");
    ASSERT_NE(display, nullptr);
    const QImage painted = display->grab().toImage();
    // 0x00BBGGRR: the blue byte is the high one.
    EXPECT_EQ(painted.pixelColor(painted.width() - 2, 1), QColor(0x56, 0x34, 0x12));
    bool hasForeground = false;
    for (int x = 0; x < painted.width() && !hasForeground; ++x)
        for (int y = 0; y < painted.height() && !hasForeground; ++y)
            hasForeground = painted.pixelColor(x, y).red() > 0xC0; // edges are blended with the back colour
    EXPECT_TRUE(hasForeground) << "no figure drawn in the fore colour";
}

TEST_F(MpvControlTest, TypedKeysArriveAsCharacterCodesWhileShortcutsPassOn)
{
    control.show();
    control.activateWindow();
    control.setFocus();
    ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == &control; }));

    const auto type = [](int key, Qt::KeyboardModifiers modifiers, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        return press.isAccepted();
    };
    EXPECT_TRUE(type(Qt::Key_Return, Qt::NoModifier, "\r"));
    type(Qt::Key_Backspace, Qt::NoModifier, "\b");
    type(Qt::Key_V, Qt::ShiftModifier, "V");
    type(Qt::Key_V, Qt::NoModifier, "v");
    type(Qt::Key_Escape, Qt::NoModifier, "\x1b");
    type(Qt::Key_Tab, Qt::NoModifier, "\t");
    // Menu shortcuts and keys that type nothing are not the control's.
    EXPECT_FALSE(type(Qt::Key_O, Qt::ControlModifier, "\x0f"));
    EXPECT_FALSE(type(Qt::Key_F5, Qt::NoModifier, ""));
    EXPECT_EQ(keys, (std::vector<std::int16_t>{13, 8, 'V', 'v', 27, 9}));
}

TEST_F(MpvControlTest, TheControlIsTheOnlyWidgetThatTakesFocus)
{
    EXPECT_EQ(control.focusPolicy(), Qt::StrongFocus);
    const QList<QWidget*> inside = control.findChildren<QWidget*>();
    EXPECT_GE(inside.size(), 5); // picture, display, bar, buttons, seek bar
    for (const QWidget* widget : inside)
        EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus)
            << widget->metaObject()->className() << " " << widget->objectName().toStdString();
}

TEST_F(MpvControlTest, UndecodableFilesNeverCompleteAndLeaveTheControlUsable)
{
    for (const char* name : {"garbage.mpg", "empty.mpg"}) {
        SCOPED_TRACE(name);
        const std::string path = clip(name);
        openBroken(path);
        EXPECT_EQ(control.displayText().toStdString(), "Cannot play \"" + path + "\": unrecognized file format");
        EXPECT_EQ(control.MediaFile(), path);
    }
    EXPECT_EQ(opened, 0);
    // Had a broken file opened after all, it would have come before this one.
    open(clip("clip.mpg"));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(control.displayText(), "0:00:00.0");
}

TEST_F(MpvControlTest, PathsThatNameNoReadableFileAreRefusedAtOnce)
{
    open(clip("clip.avi"));
    const std::string missing = (testMedia() / "no-such-clip.mpg").string();
    try {
        control.MediaFile(missing);
        FAIL() << "a missing file was accepted";
    } catch (const forms::RuntimeError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open \"" + missing + "\": no such file");
    }
    try {
        control.MediaFile(testMedia().string());
        FAIL() << "a directory was accepted";
    } catch (const forms::RuntimeError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open \"" + testMedia().string() + "\": is a directory");
    }
    // What the resolver refuses is refused with its words.
    paths.refused.insert("D:\\MPEGAV\\AVSEQ01.DAT");
    EXPECT_THROW(control.MediaFile("D:\\MPEGAV\\AVSEQ01.DAT"), forms::RuntimeError);

    // The open media stays as it was, and keeps playing.
    EXPECT_EQ(control.MediaFile(), clip("clip.avi"));
    control.StartPlayback();
    EXPECT_TRUE(waitFor([&] { return control.position() > 0.2; }));
    // Refusals are thrown before anything reaches the engine: nothing can open later.
    EXPECT_EQ(opened, 1);
}

TEST_F(MpvControlTest, UnreadableFileIsRefused)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::filesystem::path locked = std::filesystem::path(folder.path().toStdString()) / "locked.mpg";
    std::filesystem::copy_file(clip("clip.mpg"), locked, std::filesystem::copy_options::overwrite_existing);
    ::chmod(locked.c_str(), 0);
    try {
        control.MediaFile(locked.string());
        ADD_FAILURE() << "an unreadable file was accepted";
    } catch (const forms::RuntimeError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open \"" + locked.string() + "\": permission denied");
    }
}

TEST_F(MpvControlTest, OnlyTheLastOfQuickSuccessiveOpensCompletes)
{
    bool frameShown = false;
    QObject::connect(&control, &media::MpvControl::firstFrameShown, [&] { frameShown = true; });
    control.show();
    control.MediaFile(clip("garbage.mpg"));
    control.MediaFile(clip("clip.avi"));
    control.MediaFile(clip("clip.mov"));
    // The first picture comes after every event of the files before it.
    ASSERT_TRUE(waitFor([&] { return opened > 0 && frameShown; }));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(control.MediaFile(), clip("clip.mov"));
    // The garbage's failure belongs to a replaced file and is not shown.
    EXPECT_EQ(control.displayText(), "0:00:00.0");
    control.MovieSize(0);
    EXPECT_EQ(control.Width(), 640 * Twips);
}

TEST_F(MpvControlTest, ShowsThePictureInSoftwareWithoutADisplay)
{
    EXPECT_EQ(control.surfaceKind(), media::SurfaceKind::Software);
    int firstFrames = 0;
    QObject::connect(&control, &media::MpvControl::firstFrameShown, [&] { ++firstFrames; });
    control.MovieSize(0);
    control.resize(352, 288 + control.panelsHeight());
    control.show();
    open(clip("clip.mpg"));
    ASSERT_TRUE(waitFor([&] { return firstFrames == 1; }));
    auto* picture = control.findChild<QWidget*>("video");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), QSize(352, 288));
    // The test picture has bright colour bars; a black surface would mean nothing was drawn.
    const QImage shown = picture->grab().toImage();
    int bright = 0;
    for (int x = 0; x < shown.width(); x += 8)
        for (int y = 0; y < shown.height(); y += 8)
            bright += shown.pixelColor(x, y).lightness() > 100;
    EXPECT_GT(bright, 100);
}

// The threads of this process now.
std::size_t threadCount()
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                                   std::filesystem::directory_iterator()));
}

TEST(MpvControlLifetime, GoesAwayCleanlyWhileLoadingAndWhilePlaying)
{
    fakes::SystemMetrics screen{1024, 768};
    TestPaths paths;
    // Qt's own threads, once started, stay: count after a first control has come and gone.
    { media::MpvControl warmUp(screen, paths); }
    const std::size_t threads = threadCount();
    {
        media::MpvControl loading(screen, paths);
        loading.MediaFile(clip("clip.mov"));
    }
    {
        media::MpvControl playing(screen, paths);
        bool opened = false;
        playing.OpenComplete = [&] { opened = true; };
        playing.MediaFile(clip("clip.mpg"));
        ASSERT_TRUE(waitFor([&] { return opened; }));
        playing.StartPlayback();
        ASSERT_TRUE(waitFor([&] { return playing.position() > 0.2; }));
    }
    // mpv's threads (decoders, audio, the render context's) are all gone with it.
    EXPECT_EQ(threadCount(), threads);
}

} // namespace
