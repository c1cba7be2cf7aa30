// The About dialog on screen (offscreen): a real QDialog built from its table.
#include "test_about_fakes.h"

#include "QtDialogView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

class AboutViewTest : public ::testing::Test {
  protected:
    AboutViewTest() : view(h.f().dialog, nullptr)
    {
        h.f().form.attach(view);
        h.f().form.load();
    }
    template <typename W = QWidget> W* widget(forms::Control& control)
    {
        auto* found = qobject_cast<W*>(view.widgetFor(control));
        EXPECT_NE(found, nullptr) << control.Name();
        return found;
    }
    void press(int key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    }

    AboutHarness h;
    forms::QtDialogView view;
};

TEST_F(AboutViewTest, WindowIsFixedAtTheStoredClientSize)
{
    EXPECT_EQ(view.windowTitle(), "About MyApp");
    EXPECT_EQ(view.size(), QSize(382, 242));
    EXPECT_EQ(view.minimumSize(), QSize(382, 242));
    EXPECT_EQ(view.maximumSize(), QSize(382, 242));
    const Qt::WindowFlags flags = view.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(view.windowIcon().cacheKey() == h.ownerIcon.icon().cacheKey());
}

TEST_F(AboutViewTest, ControlsSitAtTheirPixelsInsideTheirContainers)
{
    auto& f = h.f();
    EXPECT_EQ(widget(f.picIcon)->geometry(), QRect(16, 8, 36, 36));
    EXPECT_EQ(widget(f.lblTitle)->geometry(), QRect(70, 8, 259, 32));
    EXPECT_EQ(widget(f.lblVersion)->geometry(), QRect(72, 40, 259, 15));
    EXPECT_EQ(widget(f.Frame1)->geometry(), QRect(64, 64, 289, 81));
    EXPECT_EQ(widget(f.lblDescription)->parentWidget(), widget(f.Frame1));
    EXPECT_EQ(widget(f.lblDescription)->geometry(), QRect(16, 24, 235, 54));
    EXPECT_EQ(widget(f.Label1)->geometry(), QRect(16, 176, 251, 54));
    EXPECT_EQ(widget(f.cmdOK)->geometry(), QRect(280, 175, 84, 23));
    EXPECT_EQ(widget(f.cmdSysInfo)->geometry(), QRect(284, 205, 83, 23));
    EXPECT_EQ(widget(*f.Line1[0])->geometry(), QRect(8, 160, 371, 2));
    EXPECT_EQ(widget(*f.Line1[1])->geometry(), QRect(6, 160, 372, 1));
}

TEST_F(AboutViewTest, TextsFontsAndColoursAreTheStoredOnes)
{
    auto& f = h.f();
    EXPECT_EQ(widget<QLabel>(f.lblTitle)->text(), "Zelvo Movie Player");
    EXPECT_EQ(widget<QLabel>(f.lblVersion)->text(), "Version 1.3");
    EXPECT_EQ(widget<QGroupBox>(f.Frame1)->title(), "About");
    EXPECT_TRUE(widget<QLabel>(f.lblDescription)->text().startsWith("Zelvo Movie Player is a really zelvo"));
    EXPECT_TRUE(widget<QLabel>(f.lblDescription)->wordWrap());
    EXPECT_EQ(widget<QPushButton>(f.cmdOK)->text(), "OK");
    EXPECT_EQ(widget<QPushButton>(f.cmdSysInfo)->text(), "&System Info...");

    const QFont title = widget(f.lblTitle)->font();
    EXPECT_TRUE(title.bold());
    EXPECT_DOUBLE_EQ(title.pointSizeF(), 14.25);
    EXPECT_DOUBLE_EQ(widget(f.lblVersion)->font().pointSizeF(), 9.75);
    EXPECT_DOUBLE_EQ(widget(f.lblDescription)->font().pointSizeF(), 9.0);
    EXPECT_TRUE(widget(f.cmdSysInfo)->font().bold());

    EXPECT_EQ(widget(f.lblTitle)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(widget(f.lblVersion)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(widget(f.lblDescription)->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    QWidget* credit = widget(f.Label1);
    EXPECT_TRUE(credit->autoFillBackground());
    EXPECT_EQ(credit->palette().color(QPalette::Window), QColor(255, 255, 192));
    EXPECT_EQ(credit->palette().color(QPalette::WindowText), view.palette().color(QPalette::Text));
}

TEST_F(AboutViewTest, MissingFacesGiveWayToAnInstalledSansSerif)
{
    QStringList installed;
    for (const QString& family : QFontDatabase::families())
        installed.append(family.section(" [", 0, 0));
    const QStringList lookalikes{"Liberation Sans", "Arimo", "Nimbus Sans", "Nimbus Sans L", "Helvetica", "FreeSans"};
    bool haveLookalike = false;
    for (const QString& face : lookalikes)
        haveLookalike = haveLookalike || installed.contains(face, Qt::CaseInsensitive);

    for (const char* face : {"Arial", "MS Sans Serif"}) {
        const QFont font = forms::fontFor({face, 9.0f, true});
        const QFontInfo used(font);
        const QString family = used.family().section(" [", 0, 0);
        EXPECT_TRUE(installed.contains(family, Qt::CaseInsensitive)) << face << " -> " << family.toStdString();
        if (!installed.contains(face, Qt::CaseInsensitive) && haveLookalike) {
            EXPECT_TRUE(lookalikes.contains(family, Qt::CaseInsensitive)) << face << " -> " << family.toStdString();
        }
        EXPECT_FALSE(used.fixedPitch()) << face;
        EXPECT_TRUE(used.bold()) << face;
        EXPECT_NEAR(used.pointSizeF(), 9.0, 0.5) << face;
    }
    // A face that is there is used as it is.
    EXPECT_EQ(forms::fontFor({"DejaVu Serif", 10.0f, false}).family(), "DejaVu Serif");
}

TEST_F(AboutViewTest, PaintedDialogShowsIconRuleAndCredit)
{
    view.show();
    const QImage shot = view.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(382, 242));
    // The player icon at the top-left of picIcon.
    EXPECT_EQ(shot.pixelColor(16 + 10, 8 + 10), QColor(200, 30, 40));
    // The etched rule: grey over white.
    EXPECT_EQ(shot.pixelColor(100, 160), QColor(128, 128, 128));
    EXPECT_EQ(shot.pixelColor(100, 161), QColor(255, 255, 255));
    EXPECT_EQ(shot.pixelColor(7, 160), QColor(128, 128, 128));
    EXPECT_EQ(shot.pixelColor(378, 160), QColor(255, 255, 255));
    // The credit's light yellow, in a corner the text does not reach.
    EXPECT_EQ(shot.pixelColor(16 + 248, 176 + 52), QColor(255, 255, 192));
    view.hide();
}

TEST_F(AboutViewTest, OkHasTheFocusAndEnterOrEscClosesThroughIt)
{
    auto* ok = widget<QPushButton>(h.f().cmdOK);
    auto* sysInfo = widget<QPushButton>(h.f().cmdSysInfo);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(sysInfo->isDefault());
    EXPECT_EQ(ok->nextInFocusChain(), sysInfo);
    EXPECT_EQ(widget(h.f().lblTitle)->focusPolicy(), Qt::NoFocus);

    view.show();
    EXPECT_EQ(view.focusWidget(), ok);
    int clicks = 0;
    h.f().cmdOK.Click = [&] {
        ++clicks;
        h.f().cmdOK_Click();
    };
    press(Qt::Key_Escape);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(h.f().dialog.Loaded());
    EXPECT_FALSE(view.isVisible());
}

TEST_F(AboutViewTest, EnterClicksTheDefaultButton)
{
    view.show();
    press(Qt::Key_Return);
    EXPECT_FALSE(h.f().dialog.Loaded());
    EXPECT_FALSE(view.isVisible());
}

TEST_F(AboutViewTest, ClosingFromTheFrameUnloadsTheDialog)
{
    view.show();
    view.close();
    EXPECT_FALSE(h.f().dialog.Loaded());
}

TEST_F(AboutViewTest, SystemInfoFailureLeavesTheDialogOpen)
{
    view.show();
    widget<QPushButton>(h.f().cmdSysInfo)->click();
    EXPECT_EQ(h.boxes.shown, std::vector<std::string>{"System Information Is Unavailable At This Time"});
    EXPECT_TRUE(h.f().dialog.Loaded());
    EXPECT_TRUE(view.isVisible());
    view.hide();
}

TEST_F(AboutViewTest, ViewFollowsCaptionAndPictureChanges)
{
    h.f().lblVersion.Caption("Version 9");
    EXPECT_EQ(widget<QLabel>(h.f().lblVersion)->text(), "Version 9");
    h.f().cmdSysInfo.Caption("&Info");
    EXPECT_EQ(widget<QPushButton>(h.f().cmdSysInfo)->text(), "&Info");
    const forms::Picture green = fakes::solidIcon(QColor(0, 160, 0));
    h.f().dialog.Icon(green);
    EXPECT_EQ(view.windowIcon().cacheKey(), green.icon().cacheKey());
}

} // namespace
