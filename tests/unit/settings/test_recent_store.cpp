// The settings store on disk: where the file lives, exact values, and what a
// failure does to the file that is already there.
#include "support/StoreFaults.h"
#include "support/TempConfigHome.h"

#include "IniSettingsStore.h"
#include "RuntimeError.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace {

constexpr std::string_view App = "Quorvel Movie";
constexpr std::string_view Section = "Recent Files";

std::string get(platform::SettingsStore& store, std::string_view key)
{
    return store.GetSetting(App, Section, key, "<default>");
}

} // namespace

TEST(SettingsFile, LivesInTheUsersConfigFolderUnderTheApplicationName)
{
    TempConfigHome home;
    platform::IniSettingsStore store;
    ASSERT_FALSE(QFileInfo::exists(home.home())); // the folder is made when first needed

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
        "/control \x01\x1f"
        "cafe\x7f.mpg",
        std::string("/nul \0"
                    "7.mpg",
                    11),
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
    platform::IniSettingsStore reader; // a later run
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
    EXPECT_EQ(get(store, "0"), "<default>"); // nothing stored is not an error
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
