// Track titles come from the media file, at any length and with any characters.
#include "PictureMenu.h"

#include <QAction>
#include <QMenu>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

TEST(TrackMenu, ALongTitleIsCutToAMenuWidthAndShownWholeInTheTooltip)
{
    QMenu menu;
    const QString title = QStringLiteral("<b>Director's & crew's</b> ") + QString(6000, QLatin1Char('x'));
    QAction* longOne = media::addTrackAction(menu, {media::Track::Kind::Audio, 1, "eng", title});
    QAction* shortOne = media::addTrackAction(menu, {media::Track::Kind::Audio, 2, "fra", "Rock & roll"});

    const int averageChar = menu.fontMetrics().averageCharWidth();
    EXPECT_LT(menu.sizeHint().width(), 60 * averageChar);
    EXPECT_TRUE(longOne->text().startsWith("eng - <b>Director's && crew's</b>")) << longOne->text().toStdString();
    EXPECT_TRUE(menu.toolTipsVisible());
    EXPECT_EQ(QTextDocumentFragment::fromHtml(longOne->toolTip()).toPlainText(), "eng - " + title);
    EXPECT_EQ(shortOne->text(), "fra - Rock && roll");
    EXPECT_EQ(shortOne->toolTip(), "fra - Rock & roll");
}
