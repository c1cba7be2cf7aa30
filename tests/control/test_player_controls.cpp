// Volume, playback keys, tracks and full screen of the real media control.
#include "test_mpv_media.h"

#include "MpvControl.h"
#include "QtFormView.h"
#include "RuntimeError.h"
#include "support/CountingStore.h"
#include "support/FakeMediaControl.h"
#include "support/Fakes.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;

namespace {

class PlayerControlsTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        control->OpenComplete = [this] { ++opened; };
        control->KeyPress = [this](std::int16_t& code) { keys.push_back(code); };
        control->resize(320, 240 + control->panelsHeight());
        control->show();
    }

    void open(const std::string& path)
    {
        const int before = opened;
        control->MediaFile(path);
        ASSERT_TRUE(waitFor([&] { return opened > before; })) << path;
    }

    // Types a key at the control as the keyboard would.
    void type(int key, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(control.get(), &press);
    }

    void wheel(int notches)
    {
        QWidget* picture = control->findChild<QWidget*>("video");
        ASSERT_NE(picture, nullptr);
        const QPointF at(10, 10);
        QWheelEvent event(at, picture->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(picture, &event);
    }

    int slider() const { return control->findChild<QSlider*>("volume")->value(); }

    std::optional<double> steadyPosition()
    {
        for (int i = 0; i < 50; ++i) {
            const double before = control->position();
            settle(200ms);
            if (control->position() == before)
                return before;
        }
        return std::nullopt;
    }

    fakes::SystemMetrics screen{1024, 768};
    TestPaths paths;
    fakes::CountingStore store;
    // Short waits, so that a test waits on what happens, not on the clock.
    static constexpr media::MpvControl::Timings Quick{50, 20};
    std::unique_ptr<media::MpvControl> control = std::make_unique<media::MpvControl>(screen, paths, Quick);
    int opened = 0;
    std::vector<std::int16_t> keys;
};

TEST_F(PlayerControlsTest, FrameKeysStepOneFrameAndEveryTypedKeyIsRaisedOnce)
{
    open(clip("clip.mpg"));
    control->DisplayUnit(1);
    ASSERT_TRUE(steadyPosition());
    const int first = control->displayText().toInt();
    type(Qt::Key_Period, ".");
    ASSERT_TRUE(waitFor([&] { return control->displayText().toInt() != first; }));
    ASSERT_TRUE(steadyPosition());
    EXPECT_EQ(control->displayText().toInt(), first + 1);
    type(Qt::Key_Period, ".");
    ASSERT_TRUE(waitFor([&] { return control->displayText().toInt() == first + 2; }));
    type(Qt::Key_Comma, ",");
    ASSERT_TRUE(waitFor([&] { return control->displayText().toInt() == first + 1; }));
    ASSERT_TRUE(steadyPosition());
    EXPECT_EQ(control->displayText().toInt(), first + 1);
    EXPECT_TRUE(control->paused());

    type(Qt::Key_Space, " ");
    EXPECT_TRUE(waitFor([&] { return !control->paused(); }));
    type(Qt::Key_Space, " ");
    EXPECT_TRUE(waitFor([&] { return control->paused(); }));
    // Keys that type nothing act without being raised; typed ones are raised exactly once.
    type(Qt::Key_Home);
    type(Qt::Key_Left);
    type(Qt::Key_F11);
    EXPECT_EQ(keys, (std::vector<std::int16_t>{'.', '.', ',', ' ', ' '}));
}

TEST_F(PlayerControlsTest, ArrowKeysSeekFiveSecondsAndHomeGoesBackToTheStart)
{
    open(clip("tracks.mkv"));
    type(Qt::Key_Right);
    ASSERT_TRUE(waitFor([&] { return control->position() > 4.5; }));
    EXPECT_NEAR(*steadyPosition(), 5.0, 0.05);
    type(Qt::Key_Right);
    ASSERT_TRUE(waitFor([&] { return control->position() > 9.5; }));
    type(Qt::Key_Left);
    ASSERT_TRUE(waitFor([&] { return control->position() < 5.5; }));
    EXPECT_NEAR(*steadyPosition(), 5.0, 0.05);
    type(Qt::Key_Home);
    ASSERT_TRUE(waitFor([&] { return control->position() < 0.5; }));
    EXPECT_TRUE(control->paused());
    EXPECT_TRUE(keys.empty());
}

TEST_F(PlayerControlsTest, WheelAndKeysMoveTheSliderAndTheEngineAndTheNextRunStartsThere)
{
    control->rememberVolumeIn(store, "Quorvel Movie", {});
    open(clip("clip.mpg"));
    EXPECT_EQ(slider(), 100);
    for (int i = 0; i < 50; ++i)
        wheel(-1);
    EXPECT_EQ(control->volume(), 0);
    EXPECT_EQ(slider(), 0);
    ASSERT_TRUE(waitFor([&] { return control->engineVolume() == 0.0; }));
    type(Qt::Key_0, "0");
    type(Qt::Key_0, "0");
    type(Qt::Key_9, "9");
    EXPECT_EQ(slider(), 5);
    ASSERT_TRUE(waitFor([&] { return control->engineVolume() == 5.0; }));
    type(Qt::Key_M, "m");
    ASSERT_TRUE(waitFor([&] { return control->engineMuted() == true; }));
    EXPECT_TRUE(control->muted());

    // The next run starts where this one left off, and the engine is told.
    control.reset();
    EXPECT_EQ(store.values["Quorvel Movie/Volume/Level"], "5");
    control = std::make_unique<media::MpvControl>(screen, paths, Quick);
    control->rememberVolumeIn(store, "Quorvel Movie", {});
    EXPECT_EQ(control->volume(), 5);
    EXPECT_TRUE(control->muted());
    EXPECT_EQ(slider(), 5);
    EXPECT_TRUE(waitFor([&] { return control->engineVolume() == 5.0 && control->engineMuted() == true; }));
}

TEST_F(PlayerControlsTest, TheMenuListsTracksAndSwitchesThemWithoutReopening)
{
    open(clip("tracks.mkv"));
    ASSERT_TRUE(waitFor([&] { return control->tracks().size() == 3 && control->engineSubtitle() == "1"; }));
    std::unique_ptr<QMenu> menu = control->contextMenu();
    QStringList shown;
    for (QAction* action : menu->actions())
        if (!action->text().isEmpty()) // sections have a text, plain separators none
            shown << action->text() + (action->isChecked() ? "*" : "");
    EXPECT_EQ(shown.join('|').toStdString(), "Audio|eng - Low*|fra - High|Subtitles|Off|tracks.srt*|Full Screen|"
                                             "Resume Automatically|Play Next File at End|Speed (1.00x)|Sync|"
                                             "Load Subtitle\u2026|Screenshot\ts|Seek Preview*");

    menu->findChild<QAction*>("aid_2")->trigger();
    EXPECT_TRUE(waitFor([&] { return control->engineAudio() == "2"; }));
    menu->findChild<QAction*>("subtitleOff")->trigger();
    EXPECT_TRUE(waitFor([&] { return control->engineSubtitle() == "no"; }));
    // The keys cycle them as mpv's do, through "off" too.
    type(Qt::Key_NumberSign, "#");
    EXPECT_TRUE(waitFor([&] { return control->engineAudio() == "no"; }));
    type(Qt::Key_NumberSign, "#");
    EXPECT_TRUE(waitFor([&] { return control->engineAudio() == "1"; }));
    type(Qt::Key_J, "j");
    EXPECT_TRUE(waitFor([&] { return control->engineSubtitle() == "1"; }));
    settle(300ms);
    EXPECT_EQ(opened, 1);
}

TEST_F(PlayerControlsTest, InFullScreenThePointerHidesAndThePanelsComeUpAtTheBottom)
{
    QWidget* picture = control->findChild<QWidget*>("video");
    QWidget* panels = control->findChild<QWidget*>("panels");
    control->resize(640, 480);
    control->setFullScreen(true);
    EXPECT_FALSE(panels->isVisible());
    ASSERT_TRUE(waitFor([&] { return picture->geometry() == control->rect(); }));
    // The pointer hides once it has rested (a short while here, two seconds for users).
    ASSERT_TRUE(waitFor([&] { return picture->cursor().shape() == Qt::BlankCursor; }));

    const auto moveTo = [&](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, picture->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(picture, &move);
    };
    moveTo({320, 100});
    EXPECT_EQ(picture->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(panels->isVisible());
    moveTo({320, 479});
    EXPECT_TRUE(panels->isVisible());
    EXPECT_EQ(panels->geometry(), QRect(0, 480 - control->panelsHeight(), 640, control->panelsHeight()));
    moveTo({320, 100});
    EXPECT_FALSE(panels->isVisible());

    // Back in the window the panels are below the picture again.
    control->setFullScreen(false);
    EXPECT_TRUE(panels->isVisible());
    EXPECT_TRUE(waitFor([&] { return picture->height() + control->panelsHeight() == control->height(); }));
}

// The window in full screen: the control alone fills it, the model counts it as
// maximised and its resize rules record nothing; leaving gives the size back.
struct FullScreenTest : ::testing::Test, fakes::Services {
    fakes::MediaControl mov1;
    QWidget movieWidget;
    player::Form1 form1{mov1, forForm1()};
    forms::QtFormView view{form1.form, form1.menus};
};

TEST_F(FullScreenTest, TheControlFillsTheScreenAndTheWindowComesBackAsItWas)
{
    movieWidget.setFocusPolicy(Qt::StrongFocus);
    view.host(mov1, movieWidget);
    form1.form.attach(view);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    settle(300ms);
    const QRect before = view.geometry();
    const QRect movieBefore = movieWidget.geometry();
    std::vector<bool> told;
    QObject::connect(&view, &forms::QtFormView::fullScreenChanged, [&](bool on) { told.push_back(on); });

    view.setFullScreen(true);
    ASSERT_TRUE(waitFor([&] { return view.isFullScreen() && form1.form.WindowState() == 2; }));
    settle(200ms);
    EXPECT_FALSE(view.menuBar()->isVisible());
    EXPECT_EQ(movieWidget.geometry(), view.centralWidget()->rect());
    EXPECT_EQ(view.centralWidget()->size(), view.screen()->geometry().size());
    // The menus' shortcuts still work with the menu bar hidden.
    int opens = 0;
    form1.opn.Click = [&] { ++opens; };
    QTest::keyClick(&view, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(opens, 1);

    view.setFullScreen(false);
    ASSERT_TRUE(waitFor([&] { return !view.isFullScreen() && form1.form.WindowState() == 0; }));
    settle(300ms);
    EXPECT_TRUE(view.menuBar()->isVisible());
    EXPECT_EQ(view.geometry(), before);
    EXPECT_EQ(movieWidget.geometry(), movieBefore);
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
    // Nothing opened, nothing written.
    for (const std::string& call : mov1.log)
        EXPECT_NE(call.rfind("MediaFile", 0), 0u) << call;
    EXPECT_TRUE(settings.values.empty());
}

} // namespace

namespace {

TEST_F(FullScreenTest, KeysThatReachTheWindowAreOfferedToTheControlAndStillRaisedOnce)
{
    view.host(mov1, movieWidget);
    form1.form.attach(view);
    std::vector<int> offered;
    view.keyAction = [&](const QKeyEvent& event) {
        offered.push_back(event.key());
        return event.key() == Qt::Key_Right || event.key() == Qt::Key_Space;
    };
    std::vector<std::int16_t> raised;
    form1.form.KeyPress = [&](std::int16_t& code) { raised.push_back(code); };
    for (auto [key, text] : {std::pair{Qt::Key_Right, ""}, std::pair{Qt::Key_Space, " "}, std::pair{Qt::Key_V, "v"}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&view, &press);
    }
    EXPECT_EQ(offered, (std::vector<int>{Qt::Key_Right, Qt::Key_Space, Qt::Key_V}));
    EXPECT_EQ(raised, (std::vector<std::int16_t>{' ', 'v'}));
}

} // namespace
