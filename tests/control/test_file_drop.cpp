// Files dropped on the player window, delivered through the window as the
// window system delivers them: a local file opens as File, Open opens it;
// anything else is refused with no change and no message.
#include "support/FakeMediaControl.h"
#include "support/Fakes.h"

#include "Form1.h"
#include "QtFormView.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct FileDrop : ::testing::Test, fakes::Services {
    fakes::MediaControl mov1;
    QWidget movieWidget;
    player::Form1 form1{mov1, forForm1()};
    forms::QtFormView view{form1.form, form1.menus};
    QTemporaryDir dir;

    void SetUp() override
    {
        view.host(mov1, movieWidget);
        form1.form.attach(view);
        form1.form.load();
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        ASSERT_TRUE(dir.isValid());
    }

    QString file(const QString& name)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return path;
    }

    // Drags the data over the picture and lets go; true when the window took the drag.
    bool drop(const QMimeData& data)
    {
        const QPoint over = movieWidget.mapTo(&view, movieWidget.rect().center());
        QDragEnterEvent enter(over, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(view.windowHandle(), &enter);
        const bool taken = enter.isAccepted();
        QDropEvent dropped(QPointF(over), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton,
                           Qt::NoModifier);
        QCoreApplication::sendEvent(view.windowHandle(), &dropped);
        return taken;
    }

    static QMimeData* urls(const QList<QUrl>& list)
    {
        auto* data = new QMimeData;
        data->setUrls(list);
        return data;
    }

    std::string slot0() { return settings.values[fakes::SettingsStore::address("Quorvel Movie", "Recent Files", "0")]; }
};

TEST_F(FileDrop, ALocalFileOpensAsFileOpenWouldAndIsRecordedOnceOpen)
{
    const QString first = file("first film.mpg");
    const QString second = file("second.mpg");
    form1.vcdtrack = 3; // a disc was playing
    std::unique_ptr<QMimeData> data(urls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}));

    EXPECT_TRUE(drop(*data));

    // Of several files the first; the Video CD state is reset and the control shown.
    EXPECT_EQ(mov1.log, std::vector<std::string>{"MediaFile=" + first.toStdString()});
    EXPECT_EQ(form1.vcdtrack, 0);
    EXPECT_TRUE(mov1.Visible());
    mov1.completeOpen();
    EXPECT_EQ(slot0(), first.toStdString());
    EXPECT_TRUE(form1.rec[0]->Visible());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(FileDrop, WhatIsNoLocalFileIsRefusedWithNoChangeAndNoMessage)
{
    form1.vcdtrack = 2;
    std::vector<std::unique_ptr<QMimeData>> refused;
    refused.emplace_back(urls({QUrl("https://example.org/film.mpg"), QUrl::fromLocalFile(file("later.mpg"))}));
    refused.emplace_back(urls({QUrl::fromLocalFile(dir.path())}));
    refused.emplace_back(urls({QUrl::fromLocalFile(dir.filePath("missing.mpg"))}));
    refused.emplace_back(new QMimeData);
    refused.back()->setText(dir.filePath("later.mpg"));

    for (const auto& data : refused)
        EXPECT_FALSE(drop(*data)) << data->urls().value(0).toString().toStdString();

    EXPECT_TRUE(mov1.log.empty());
    EXPECT_EQ(form1.vcdtrack, 2);
    EXPECT_FALSE(mov1.Visible());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(slot0(), "");
}

TEST_F(FileDrop, AFileTheControlRefusesEndsTheDropSilentlyAsFileOpenDoes)
{
    const QString broken = file("broken.mpg");
    mov1.refused.insert(broken.toStdString());
    std::unique_ptr<QMimeData> data(urls({QUrl::fromLocalFile(broken)}));

    EXPECT_TRUE(drop(*data));

    EXPECT_EQ(mov1.log, std::vector<std::string>{"MediaFile=" + broken.toStdString()});
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(slot0(), "");
}

TEST_F(FileDrop, ANameThatIsNotUtf8OpensByItsBytesAndARelativeUriIsRefused)
{
    const QByteArray latin1 = QFile::encodeName(dir.path()) + "/caf\xe9.mpg";
    ASSERT_EQ(::close(::open(latin1.constData(), O_WRONLY | O_CREAT, 0644)), 0);
    std::unique_ptr<QMimeData> named(urls({QUrl::fromEncoded("file://" + latin1.toPercentEncoding("/"))}));
    EXPECT_TRUE(drop(*named));
    EXPECT_EQ(mov1.log, std::vector<std::string>{"MediaFile=" + latin1.toStdString()});

    // Named from the folder the player runs in, it would be recorded as "clip.mpg".
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    file("clip.mpg");
    std::unique_ptr<QMimeData> relative(urls({QUrl("file:clip.mpg")}));
    EXPECT_FALSE(drop(*relative));
    QDir::setCurrent(before);
    EXPECT_EQ(mov1.log.size(), 1u);
    ::unlink(latin1.constData()); // QTemporaryDir cannot name it
}

} // namespace
