// The settings file when it is hostile: not a file at all, damaged text, odd
// names and values, read-only, two players editing it at once, and the guard
// the program keeps over it for a whole run.
#include "support/Errors.h"
#include "support/TempConfigHome.h"

#include "GuardedSettingsStore.h"
#include "IniSettingsStore.h"
#include "RuntimeError.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>
#include <string>
#include <vector>

namespace {

constexpr std::string_view App = "Quorvel Movie";
constexpr std::string_view Section = "Recent Files";

std::string damaged(const TempConfigHome& home)
{
    return "The settings file " + home.iniPath().toStdString() +
           " is damaged and cannot be read. Correct or remove it.";
}

} // namespace

TEST(HostileSettings, AFifoInPlaceOfTheFileIsDamagedNotWaitedForAndNeverReplaced)
{
    TempConfigHome home;
    QDir().mkpath(home.home());
    const QByteArray file = QFile::encodeName(home.iniPath());
    platform::IniSettingsStore store;
    // The error of a call, which must not wait for the FIFO (a writer that comes
    // and goes lets a stalled one go on, so that a failure ends).
    const auto errorAtOnce = [](const QByteArray& fifo, const std::function<void()>& call) {
        auto result = std::async(std::launch::async, [&] { return errorOf(call); });
        if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "the store waited for " << fifo.constData();
            while (result.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
                ::close(::open(fifo.constData(), O_WRONLY | O_NONBLOCK));
        }
        return result.get();
    };
    const auto get = [&] { store.GetSetting(App, Section, "0", ""); };
    const auto save = [&] { store.SaveSetting(App, Section, "0", "/films/a.mpg"); };

    ASSERT_EQ(::mkfifo(file.constData(), 0600), 0);
    EXPECT_EQ(errorAtOnce(file, get), damaged(home));
    EXPECT_EQ(errorAtOnce(file, save), damaged(home));
    struct stat info {};
    ASSERT_EQ(::lstat(file.constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    // Nor is a FIFO in place of the lock file waited for.
    ASSERT_EQ(::unlink(file.constData()), 0);
    ASSERT_EQ(::mkfifo(file + ".lock", 0600), 0);
    EXPECT_NE(errorAtOnce(file + ".lock", save).find("lock file"), std::string::npos);
}

TEST(HostileSettings, AFileWhoseLastEntryIsLeftOpenIsDamagedAndKeptAsItIs)
{
    // Written back with entries after it, each of these endings would swallow them.
    for (const QByteArray& ending : {QByteArray("\"/seed/five.mpg\n"), QByteArray("/seed/five.mpg\\"),
                                     QByteArray("/seed/five.mpg\\\r"), QByteArray("/seed/five.mpg\\\r\r")}) {
        TempConfigHome home;
        const QByteArray text = "[Recent%20Files]\n0=/seed/one.mpg\n4=" + ending;
        home.writeIni(text);
        platform::IniSettingsStore store;
        EXPECT_EQ(errorOf([&] { store.GetSetting(App, Section, "0", ""); }), damaged(home)) << ending.toStdString();
        EXPECT_EQ(errorOf([&] { store.SaveSetting(App, Section, "1", "/films/new.mpg"); }), damaged(home));
        EXPECT_EQ(home.iniBytes(), text);
    }
}

TEST(HostileSettings, KeysEndingInASlashAndValuesWithAByteOrderMarkComeBackExactly)
{
    TempConfigHome home;
    platform::IniSettingsStore store;
    const std::string bom = "\t\xEF\xBB\xBF.mpg";
    store.SaveSetting(App, Section, "folder/", "/films/");
    store.SaveSetting(App, Section, "bom", bom);
    store.SaveSetting(App, Section, "\xEF\xBB\xBF", "key");
    EXPECT_EQ(store.GetSetting(App, Section, "folder/", ""), "/films/");
    EXPECT_EQ(store.GetSetting(App, Section, "bom", ""), bom);
    EXPECT_EQ(store.GetSetting(App, Section, "\xEF\xBB\xBF", ""), "key");
}

TEST(HostileSettings, EditsOfTwoProcessesAtOnceLoseNothing)
{
    TempConfigHome home;
    constexpr int Rounds = 40;
    // The lock is waited for briefly: an edit that finds the file busy longer
    // fails whole, and is made again as the user would; none is lost or made twice.
    const auto count = [] {
        platform::IniSettingsStore store;
        int done = 0;
        for (int tries = 0; done < Rounds && tries < 100 * Rounds; ++tries) {
            const std::string error = errorOf([&] {
                store.EditSettings(App, "Counts", [](platform::SettingsEdit& edit) {
                    edit.Set("n", std::to_string(std::stoi(edit.Get("n", "0")) + 1));
                });
            });
            if (error == "<no error>")
                ++done;
            else if (error.find("is being written by another program") == std::string::npos)
                break;
        }
        return done;
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(count() == Rounds ? 0 : 1);
    EXPECT_EQ(count(), Rounds);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(platform::IniSettingsStore().GetSetting(App, "Counts", "n", ""), std::to_string(2 * Rounds));
}

TEST(HostileSettings, AFileMadeReadOnlyIsNotReplacedEvenInAWritableFolder)
{
    TempConfigHome home;
    home.writeIni("[Volume]\nLevel=80\n");
    const QByteArray file = QFile::encodeName(home.iniPath());
    ASSERT_EQ(::chmod(file.constData(), 0444), 0);
    struct stat before {};
    ASSERT_EQ(::stat(file.constData(), &before), 0);

    platform::IniSettingsStore store;
    EXPECT_EQ(errorOf([&] { store.SaveSetting(App, "Volume", "Level", "50"); }),
              "The settings file " + home.iniPath().toStdString() + " cannot be written. It is read-only.");
    struct stat after {};
    ASSERT_EQ(::stat(file.constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(home.iniBytes(), "[Volume]\nLevel=80\n");
    EXPECT_EQ(store.GetSetting(App, "Volume", "Level", ""), "80");
}

TEST(HostileSettings, TheGuardGivesDefaultsStoresNothingAndTellsEachTroubleOnce)
{
    TempConfigHome home;
    const QByteArray text = "[Recent%20Files\n0=/films/a.mpg\n";
    home.writeIni(text);
    platform::IniSettingsStore ini;
    std::vector<std::string> told;
    platform::GuardedSettingsStore store(ini, [&](const std::string& trouble) { told.push_back(trouble); });
    for (int open = 0; open < 10; ++open) {
        EXPECT_EQ(store.GetSetting(App, Section, "0", "<default>"), "<default>");
        store.SaveSetting(App, Section, "0", "/films/b.mpg");
        store.EditSettings(App, Section, [](platform::SettingsEdit& edit) { edit.Set("1", "/films/c.mpg"); });
    }
    EXPECT_EQ(told, std::vector<std::string>{damaged(home)});
    EXPECT_EQ(home.iniBytes(), text);

    // Put right, then made read-only: another trouble, told once more.
    home.writeIni("[Recent%20Files]\n");
    ASSERT_TRUE(QFile(home.iniPath()).setPermissions(QFile::ReadOwner));
    store.SaveSetting(App, Section, "0", "/films/b.mpg");
    store.SaveSetting(App, Section, "1", "/films/c.mpg");
    EXPECT_EQ(told.size(), 2u);
}

TEST(HostileSettings, ALockHeldElsewhereFailsTheWriteWithinABoundAndKeepsTheFile)
{
    TempConfigHome home;
    const QByteArray text = "[Recent%20Files]\n0=/seed/one.mpg\n";
    home.writeIni(text);
    // Another player's store (another descriptor, as another process has) holds the lock.
    QLockFile other(home.iniPath() + ".lock");
    ASSERT_TRUE(other.tryLock(0));
    platform::IniSettingsStore store;
    QElapsedTimer clock;
    clock.start();
    const std::string error = errorOf([&] { store.SaveSetting(App, Section, "1", "/films/new.mpg"); });
    const qint64 waited = clock.elapsed();
    EXPECT_EQ(error,
              "The settings file " + home.iniPath().toStdString() + " is being written by another program. Try again.");
    // The window waits 20 ms; the rest is room for a busy machine.
    EXPECT_LT(waited, 500);
    EXPECT_EQ(home.iniBytes(), text);

    other.unlock();
    store.SaveSetting(App, Section, "1", "/films/new.mpg");
    EXPECT_EQ(store.GetSetting(App, Section, "1", ""), "/films/new.mpg");
    EXPECT_EQ(store.GetSetting(App, Section, "0", ""), "/seed/one.mpg");
}
