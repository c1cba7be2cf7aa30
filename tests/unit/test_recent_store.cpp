// The settings store on disk: where the file lives, exact values, and what a
// failure does to the file that is already there.
#include "support/TempConfigHome.h"

#include "platform/IniSettingsStore.h"
#include "platform/forms/RuntimeError.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

constexpr std::string_view App = "Quorvel Movie";
constexpr std::string_view Section = "Recent Files";

std::string get(platform::SettingsStore& store, std::string_view key)
{
    return store.GetSetting(App, Section, key, "<default>");
}

// Files may grow no larger than the limit while this lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// A folder in which nothing can be created or replaced: no write permission,
// and for a user who ignores permissions (root) the immutable flag as well.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path) : path_(QFile::encodeName(path))
    {
        ::chmod(path_.constData(), 0555);
        if (::access(path_.constData(), W_OK) != 0)
            return;
        const int fd = ::open(path_.constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            immutable_ = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
    }
    ~ReadOnlyFolder()
    {
        if (immutable_) {
            const int fd = ::open(path_.constData(), O_RDONLY | O_DIRECTORY);
            int flags = 0;
            if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
            }
            if (fd >= 0)
                ::close(fd);
        }
        ::chmod(path_.constData(), 0755);
    }
    bool works() const
    {
        const QByteArray probe = path_ + "/probe";
        const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0)
            return true;
        ::close(fd);
        ::unlink(probe.constData());
        return false;
    }

private:
    QByteArray path_;
    bool immutable_ = false;
};

}  // namespace

TEST(SettingsFile, LivesInTheUsersConfigFolderUnderTheApplicationName)
{
    TempConfigHome home;
    platform::IniSettingsStore store;
    ASSERT_FALSE(QFileInfo::exists(home.home()));  // the folder is made when first needed

    store.SaveSetting(App, Section, "0", "/films/a.mpg");

    EXPECT_EQ(platform::IniSettingsStore::fileFor(App), home.iniPath());
    const QByteArray bytes = home.iniBytes();
    EXPECT_TRUE(bytes.contains("[Recent%20Files]")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("0=/films/a.mpg")) << bytes.constData();
    EXPECT_EQ(get(store, "0"), "/films/a.mpg");

    // Another user, another folder: the store follows the environment at once.
    TempConfigHome other;
    EXPECT_EQ(get(store, "0"), "<default>");
    store.SaveSetting(App, Section, "0", "/films/b.mpg");
    EXPECT_TRUE(other.iniBytes().contains("0=/films/b.mpg"));
}

TEST(SettingsFile, MissingKeysGiveTheDefaultAndAnEmptyValueIsKept)
{
    TempConfigHome home;
    platform::IniSettingsStore store;
    EXPECT_EQ(store.GetSetting(App, Section, "3", ""), "");
    EXPECT_EQ(get(store, "3"), "<default>");
    EXPECT_FALSE(QFileInfo::exists(home.iniPath())) << "reading must not create the file";

    store.SaveSetting(App, Section, "3", "");
    EXPECT_EQ(get(store, "3"), "");
    EXPECT_EQ(get(store, "4"), "<default>");
}

const std::vector<std::string>& awkwardPaths()
{
    static const std::vector<std::string> paths = {
        "/films/my film.mpg",
        " /leading space.mpg",
        "/trailing space.mpg ",
        "\t/tab first.mpg",
        "/a=b;c#d.mpg",
        "; looks like a comment.mpg",
        "# hash first.mpg",
        "/films/\"quoted\" and 'single'.mpg",
        "\"/whole path quoted.mpg\"",
        "C:\\films\\windows style.mpg",
        "/back\\slash\\\\double.mpg",
        "/comma, and more,.mpg",
        "@ByteArray(not really)",
        "@Variant(nor this)",
        "@Invalid()",
        "@@at signs",
        "/per%20cent%.mpg",
        "[Recent Files]",
        "/films/Café – 日本語 😀.mpg",
        "/line\nbreak\r\n.mpg",
        "/control \x01\x1f" "cafe\x7f.mpg",
        std::string("/nul \0" "7.mpg", 11),
        std::string("/not utf-8 \xff\xfe\xe9.mpg"),
        std::string("/cut \xc3"),
    };
    return paths;
}

TEST(SettingsFile, QSettingsReadsWhatTheStoreWroteAndTheOtherWayRound)
{
    TempConfigHome home;
    const std::vector<std::string>& paths = awkwardPaths();
    platform::IniSettingsStore store;
    for (std::size_t i = 0; i < paths.size(); ++i)
        store.SaveSetting(App, Section, std::to_string(i), paths[i]);

    // A copy under a name QSettings has not seen, so that it reads the disk.
    QTemporaryDir other;
    const QString copy = other.path() + "/copy.ini";
    ASSERT_TRUE(QFile::copy(home.iniPath(), copy));
    {
        const QSettings qt(copy, QSettings::IniFormat);
        ASSERT_EQ(qt.status(), QSettings::NoError);
        for (std::size_t i = 0; i < paths.size(); ++i) {
            const QVariant value = qt.value("Recent Files/" + QString::number(i));
            const QByteArray bytes =
                value.typeId() == QMetaType::QByteArray ? value.toByteArray() : value.toString().toUtf8();
            EXPECT_EQ(bytes.toStdString(), paths[i]) << "key " << i;
        }
    }

    const QString written = other.path() + "/by qt.ini";
    {
        QSettings qt(written, QSettings::IniFormat);
        for (std::size_t i = 0; i < paths.size(); ++i) {
            const QByteArray bytes = QByteArray::fromStdString(paths[i]);
            const QString text = QString::fromUtf8(bytes);
            qt.setValue("Recent Files/" + QString::number(i),
                        text.toUtf8() == bytes ? QVariant(text) : QVariant(bytes));
        }
    }
    ASSERT_TRUE(QFile::remove(home.iniPath()));
    ASSERT_TRUE(QFile::copy(written, home.iniPath()));
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(store.GetSetting(App, Section, std::to_string(i), "<default>"), paths[i]) << "key " << i;
}

TEST(SettingsFile, AFreshListIsWrittenByteForByteAsQSettingsWouldWriteIt)
{
    TempConfigHome home;
    platform::IniSettingsStore store;
    QTemporaryDir other;
    const QString byQt = other.path() + "/by qt.ini";
    {
        QSettings qt(byQt, QSettings::IniFormat);
        for (int i = 0; i < 5; ++i) {
            const std::string path = i == 2 ? "/films/a, b = \"c\".mpg" : "/films/" + std::to_string(i) + ".mpg";
            qt.setValue("Recent Files/" + QString::number(i), QString::fromStdString(path));
            store.SaveSetting(App, Section, std::to_string(i), path);
        }
    }
    QFile file(byQt);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(home.iniBytes(), file.readAll());
}

TEST(SettingsFile, ADamagedFileIsReportedAndLeftForTheUser)
{
    TempConfigHome home;
    const QByteArray damaged = "[Recent%20Files\n0=/films/a.mpg\n";
    home.writeIni(damaged);
    platform::IniSettingsStore store;
    try {
        get(store, "0");
        FAIL() << "a damaged file read as good";
    } catch (const forms::RuntimeError& e) {
        EXPECT_NE(std::string(e.what()).find("Quorvel Movie.ini is damaged"), std::string::npos) << e.what();
    }
    EXPECT_THROW(store.SaveSetting(App, Section, "1", "/films/b.mpg"), forms::RuntimeError);
    EXPECT_EQ(home.iniBytes(), damaged);
}

TEST(SettingsFile, PathsComeBackExactlyWhateverCharactersTheyHold)
{
    TempConfigHome home;
    const std::vector<std::string>& paths = awkwardPaths();
    {
        platform::IniSettingsStore store;
        for (std::size_t i = 0; i < paths.size(); ++i)
            store.SaveSetting(App, Section, std::to_string(i), paths[i]);
    }
    platform::IniSettingsStore reader;  // a later run
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(get(reader, std::to_string(i)), paths[i]) << "key " << i;
}

TEST(SettingsFile, EachCallSeesWhatAnotherProgramWroteAndKeepsWhatItDoesNotOwn)
{
    TempConfigHome home;
    platform::IniSettingsStore store;
    store.SaveSetting(App, Section, "0", "/films/a.mpg");
    EXPECT_EQ(get(store, "0"), "/films/a.mpg");

    // Another copy of the player writes in between.
    home.writeIni("[Recent%20Files]\n0=/films/a.mpg\n1=/films/from the other copy.mpg\n"
                  "[Elsewhere]\nmine=kept\n");
    EXPECT_EQ(get(store, "1"), "/films/from the other copy.mpg");

    store.SaveSetting(App, Section, "2", "/films/c.mpg");
    platform::IniSettingsStore later;
    EXPECT_EQ(get(later, "0"), "/films/a.mpg");
    EXPECT_EQ(get(later, "1"), "/films/from the other copy.mpg");
    EXPECT_EQ(get(later, "2"), "/films/c.mpg");
    EXPECT_EQ(later.GetSetting(App, "Elsewhere", "mine", ""), "kept");
}

TEST(SettingsFile, AFolderThatCannotBeMadeIsAnErrorNamingTheFile)
{
    TempConfigHome home;
    QFile blocker(home.root() + "/plain file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    home.point(home.root() + "/plain file/config");

    platform::IniSettingsStore store;
    EXPECT_EQ(get(store, "0"), "<default>");  // nothing stored is not an error
    try {
        store.SaveSetting(App, Section, "0", "/films/a.mpg");
        FAIL() << "the write was reported as done";
    } catch (const forms::RuntimeError& e) {
        EXPECT_NE(std::string(e.what()).find("plain file/config/Quorvel Movie.ini"), std::string::npos) << e.what();
    }
    EXPECT_EQ(get(store, "0"), "<default>") << "a failed write must not show in later reads";
}

TEST(SettingsFile, AFullDiskLeavesTheOldFileWholeAndLosesNothing)
{
    TempConfigHome home;
    platform::IniSettingsStore store;
    for (int i = 0; i < 5; ++i)
        store.SaveSetting(App, Section, std::to_string(i), "/films/" + std::string(40, char('a' + i)) + ".mpg");
    const QByteArray before = home.iniBytes();
    ASSERT_GT(before.size(), 200);

    {
        const FileSizeLimit full(static_cast<rlim_t>(before.size()));
        EXPECT_THROW(store.SaveSetting(App, Section, "0", "/films/" + std::string(100, 'z') + ".mpg"),
                     forms::RuntimeError);
    }
    EXPECT_EQ(home.iniBytes(), before);
    EXPECT_EQ(get(store, "0"), "/films/" + std::string(40, 'a') + ".mpg");
    const QStringList leftovers = QDir(home.home()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(leftovers, QStringList{"Quorvel Movie.ini"});

    // Once there is room again, a write keeps every entry and not the failed value.
    store.SaveSetting(App, Section, "4", "/films/after.mpg");
    platform::IniSettingsStore later;
    EXPECT_EQ(get(later, "0"), "/films/" + std::string(40, 'a') + ".mpg");
    EXPECT_EQ(get(later, "3"), "/films/" + std::string(40, 'd') + ".mpg");
    EXPECT_EQ(get(later, "4"), "/films/after.mpg");
}

TEST(SettingsFile, AReadOnlyFolderLeavesTheOldFileWhole)
{
    TempConfigHome home;
    platform::IniSettingsStore store;
    store.SaveSetting(App, Section, "0", "/films/a.mpg");
    store.SaveSetting(App, Section, "1", "");
    const QByteArray before = home.iniBytes();

    const ReadOnlyFolder locked(home.home());
    if (!locked.works())
        GTEST_SKIP() << "cannot make a read-only folder here";
    EXPECT_THROW(store.SaveSetting(App, Section, "1", "/films/b.mpg"), forms::RuntimeError);
    EXPECT_EQ(home.iniBytes(), before);
    EXPECT_EQ(get(store, "0"), "/films/a.mpg");
    EXPECT_EQ(get(store, "1"), "");
}

TEST(SettingsFile, AFileThatCannotBeReadIsNeitherReadNorOverwritten)
{
    TempConfigHome home;
    // A folder where the file should be: there, but unreadable as a file.
    ASSERT_TRUE(QDir().mkpath(home.iniPath()));
    platform::IniSettingsStore store;
    EXPECT_THROW(get(store, "0"), forms::RuntimeError);
    EXPECT_THROW(store.SaveSetting(App, Section, "0", "/films/a.mpg"), forms::RuntimeError);
    EXPECT_TRUE(QFileInfo(home.iniPath()).isDir());
}
