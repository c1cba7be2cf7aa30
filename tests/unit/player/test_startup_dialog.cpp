// The Open dialog of the common-dialog component, on Qt's offscreen platform:
// its filters, which files it lists, what a choice and a cancel give.
#include "Form1.h"
#include "QtCommonDialog.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <set>
#include <string>

namespace {

QFileDialog* openDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->objectName() == "zelvoOpenDialog")
            return dialog;
    }
    return nullptr;
}

// Runs `act` on the dialog once it is up, then lets ShowOpen return.
void whileOpen(platform::QtCommonDialog& cdlg, const std::function<void(QFileDialog&)>& act)
{
    bool acted = false;
    QTimer::singleShot(0, [&] {
        QFileDialog* dialog = openDialog();
        if (!dialog)
            return;
        acted = true;
        act(*dialog);
    });
    // A safety net so that a dialog nobody closes cannot hang the test run; long
    // enough for slow folder listings under the sanitizers.
    QTimer::singleShot(60000, [] {
        if (QFileDialog* dialog = openDialog())
            dialog->reject();
    });
    cdlg.ShowOpen();
    EXPECT_TRUE(acted) << "the Open dialog never appeared";
}

// The names the dialog lists and lets the user choose, once the folder is read.
using Names = std::set<std::string>;

Names listed(QFileDialog& dialog, std::size_t expectAtLeast)
{
    auto* view = dialog.findChild<QListView*>("listView");
    if (!view)
        return {};
    Names names;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        names.clear();
        const QAbstractItemModel* model = view->model();
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < model->rowCount(root); ++row) {
            const QModelIndex index = model->index(row, 0, root);
            if (model->flags(index) & Qt::ItemIsEnabled)
                names.insert(index.data().toString().toStdString());
        }
        if (names.size() >= expectAtLeast)
            break;
    }
    return names;
}

class OpenDialog : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        for (const char* name : {"clip.mpg", "CLIP.MPG", "Movie.Avi", "song.MP3", "track.DAT", "notes.txt"}) {
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        cdlg.Filter(std::string(player::OpenFilter));
    }

    QTemporaryDir folder;
    platform::QtCommonDialog cdlg;
};

} // namespace

TEST(OpenDialogFilter, TheComponentsFilterInQtsForm)
{
    EXPECT_EQ(platform::qtNameFilters(std::string(player::OpenFilter)),
              (QStringList{"All Movie Files (*.mpeg *.mpe *.mpg *.avi *.mov *.dat *.mp3)", "All Files (*)"}));
}

TEST_F(OpenDialog, ListsMovieFilesWhateverTheCaseOfTheirNames)
{
    Names movies;
    Names everything;
    whileOpen(cdlg, [&](QFileDialog& dialog) {
        dialog.setDirectory(folder.path());
        EXPECT_EQ(dialog.selectedNameFilter(), "All Movie Files (*.mpeg *.mpe *.mpg *.avi *.mov *.dat *.mp3)");
        movies = listed(dialog, 5);
        dialog.selectNameFilter("All Files (*)");
        everything = listed(dialog, 6);
        dialog.reject();
    });
    EXPECT_EQ(movies, (Names{"clip.mpg", "CLIP.MPG", "Movie.Avi", "song.MP3", "track.DAT"}));
    EXPECT_EQ(everything, (Names{"clip.mpg", "CLIP.MPG", "Movie.Avi", "song.MP3", "track.DAT", "notes.txt"}));
}

TEST_F(OpenDialog, AChoiceGivesItsFullPathAndACancelGivesNothing)
{
    const QString chosen = folder.filePath("CLIP.MPG");
    whileOpen(cdlg, [&](QFileDialog& dialog) {
        dialog.setDirectory(folder.path());
        dialog.selectFile(chosen);
        static_cast<QDialog&>(dialog).accept(); // as the Open button does
    });
    EXPECT_EQ(cdlg.FileName(), chosen.toStdString());

    whileOpen(cdlg, [](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(cdlg.FileName(), "");
}
