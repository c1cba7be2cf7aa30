// The seek-bar preview over the real control: its second mpv instance, what
// it draws, and that nothing of it outlives the media.
#include "test_mpv_media.h"

#include "MpvControl.h"
#include "PositionText.h"
#include "PreviewEngine.h"
#include "SeekBarPreview.h"
#include "SeekPreview.h"
#include "support/Fakes.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSlider>

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <vector>

namespace {

std::size_t entries(const char* folder)
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

// How many pixels of the picture are lit: the test clips are bright colour bars.
int brightPixels(const QImage& image)
{
    int bright = 0;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            bright += image.pixelColor(x, y).lightness() > 100;
    return bright;
}

class SeekPreviewTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        control.OpenComplete = [this] { ++opened; };
        control.resize(480, 270 + control.panelsHeight());
        control.show();
    }

    void open(const std::string& path)
    {
        const int before = opened;
        control.MediaFile(path);
        ASSERT_TRUE(waitFor([&] { return opened > before; })) << path;
    }

    // Moves the pointer over the seek bar, at fraction of its width.
    void hover(double fraction)
    {
        auto* seek = control.findChild<QSlider*>("seek");
        ASSERT_NE(seek, nullptr);
        // The bar spans the media once its length is known.
        ASSERT_TRUE(waitFor([&] { return seek->maximum() > 0; }));
        const QPointF at(seek->width() * fraction, seek->height() / 2.0);
        QMouseEvent move(QEvent::MouseMove, at, seek->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(seek, &move);
    }

    media::SeekBarPreview& window() { return control.seekPreview().window(); }

    fakes::SystemMetrics screen{1024, 768};
    TestPaths paths;
    media::MpvControl control{screen, paths};
    int opened = 0;
};

TEST_F(SeekPreviewTest, HoveringShowsAPictureOfThatTimeAndLeavingHidesIt)
{
    open(clip("clip.mov"));
    hover(0.5);
    EXPECT_TRUE(window().isVisible());
    // The time is where a click would seek to: about the middle of 2 s.
    const double middle = control.findChild<QSlider*>("seek")->maximum() / 2000.0;
    EXPECT_NEAR(window().timeShown().mid(5).toDouble(), middle, 0.2) << window().timeShown().toStdString();
    ASSERT_TRUE(waitFor([&] { return !window().picture().isNull(); }));
    // 640x360 shown 480 wide: the smallest preview, in the film's shape, at device pixels.
    EXPECT_EQ(window().pictureSize(), QSize(160, 90));
    EXPECT_EQ(window().picture().size(), QSize(160, 90) * window().devicePixelRatioF());
    EXPECT_GT(brightPixels(window().picture()), 100);

    auto* seek = control.findChild<QSlider*>("seek");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(seek, &leave);
    EXPECT_FALSE(window().isVisible());
}

TEST_F(SeekPreviewTest, APointerRestingOnTheBarWhileAFileOpensGetsItsPreviewWithoutMoving)
{
    auto* seek = control.findChild<QSlider*>("seek");
    ASSERT_NE(seek, nullptr);
    // In at one end, resting in the middle: moves over a bar without media count too.
    const QPointF in(seek->width() * 0.1, seek->height() / 2.0);
    QEnterEvent enter(in, in, seek->mapToGlobal(in));
    QApplication::sendEvent(seek, &enter);
    const QPointF at(seek->width() * 0.5, seek->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, at, seek->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(seek, &move);
    int shown = 0;
    QObject::connect(&control.seekPreview(), &media::SeekPreview::pictureShown, [&] { ++shown; });
    open(clip("clip.mov"));
    ASSERT_TRUE(waitFor([&] { return shown > 0; }));
    EXPECT_TRUE(window().isVisible());
    const double middle = seek->maximum() / 2000.0;
    EXPECT_NEAR(window().timeShown().mid(5).toDouble(), middle, 0.2) << window().timeShown().toStdString();

    // The next file is previewed too, at the same rest.
    const int before = shown;
    open(clip("clip.mpg"));
    ASSERT_TRUE(waitFor([&] { return shown > before; }));
    EXPECT_TRUE(window().isVisible());

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(seek, &leave);
    open(clip("clip.mov"));
    ASSERT_TRUE(waitFor([&] { return seek->maximum() > 0; }));
    EXPECT_FALSE(window().isVisible());
}

TEST_F(SeekPreviewTest, ADiscTrackIsPreviewedThroughAStreamOfItsOwn)
{
    paths.streams["D:\\MPEGAV\\AVSEQ01.DAT"] = clip("clip.mpg");
    open("D:\\MPEGAV\\AVSEQ01.DAT");
    const int reads = FileStream::reads;
    hover(0.9);
    ASSERT_TRUE(waitFor([&] { return !window().picture().isNull(); }));
    EXPECT_GT(brightPixels(window().picture()), 100);
    EXPECT_GT(FileStream::reads, reads);
}

TEST_F(SeekPreviewTest, SoundOnlyShowsTheTimeAloneAndMakesNoEngine)
{
    open(clip("clip.mp3"));
    hover(0.25);
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(window().pictureSize().isEmpty());
    EXPECT_EQ(control.seekPreview().engine(), nullptr);
}

TEST_F(SeekPreviewTest, TurnedOffInTheMenuShowsNothing)
{
    open(clip("clip.mov"));
    std::unique_ptr<QMenu> menu = control.contextMenu();
    auto* toggle = menu->findChild<QAction*>("seekPreview");
    ASSERT_NE(toggle, nullptr);
    EXPECT_TRUE(toggle->isChecked());
    toggle->trigger();
    hover(0.5);
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(control.seekPreview().enabled());
}

TEST_F(SeekPreviewTest, TheSecondInstanceAndItsThreadsGoWhenTheMediaChanges)
{
    open(clip("clip.mov"));
    // The playing instance settled, before any preview.
    ASSERT_TRUE(waitFor([&] { return control.showsPicture(); }));
    const std::size_t threads = entries("/proc/self/task");
    const std::size_t files = entries("/proc/self/fd");
    hover(0.3);
    ASSERT_TRUE(waitFor([&] { return !window().picture().isNull(); }));
    EXPECT_EQ(media::PreviewEngine::alive(), 1);
    EXPECT_GT(entries("/proc/self/task"), threads);

    // Off the bar, as when another file is chosen from the menu.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(control.findChild<QSlider*>("seek"), &leave);
    open(clip("clip.mov"));
    EXPECT_EQ(control.seekPreview().engine(), nullptr);
    EXPECT_TRUE(window().picture().isNull());
    EXPECT_TRUE(waitFor([&] { return media::PreviewEngine::alive() == 0; }));
    EXPECT_TRUE(waitFor([&] { return entries("/proc/self/task") == threads && entries("/proc/self/fd") == files; }))
        << entries("/proc/self/task") << " threads, " << threads << " before; " << entries("/proc/self/fd")
        << " files, " << files << " before";
}

TEST(PreviewEngine, OnlyTheNewestOfManyRequestsIsDrawn)
{
    media::PreviewEngine engine(clip("clip.mpg"), {});
    std::vector<std::uint64_t> drawn;
    QObject::connect(&engine, &media::PreviewEngine::pictureReady,
                     [&](std::uint64_t request, double, const QImage&) { drawn.push_back(request); });
    // All asked before the file has even loaded: each overtakes the one before.
    std::uint64_t last = 0;
    for (int i = 0; i < 200; ++i)
        last = engine.request(i * 0.01, QSize(160, 131));
    ASSERT_TRUE(waitFor([&] { return !drawn.empty() && drawn.back() == last; }));
    EXPECT_EQ(drawn, std::vector<std::uint64_t>{last});
}

TEST(PreviewEngine, AFileThatCannotBeOpenedMakesItUnavailableAndEnds)
{
    media::PreviewEngine engine(clip("garbage.mpg"), {});
    bool unavailable = false;
    QObject::connect(&engine, &media::PreviewEngine::becameUnavailable, [&] { unavailable = true; });
    engine.request(1, QSize(160, 90));
    ASSERT_TRUE(waitFor([&] { return engine.ended(); }));
    EXPECT_TRUE(unavailable);
    EXPECT_TRUE(engine.unavailable());
}

} // namespace
