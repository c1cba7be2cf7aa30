// The command-line text is one path, exactly as the system handed it over.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

TEST(CommandLineTest, ArgumentsAreJoinedBySingleSpacesAndNeverParsed)
{
    const char* none[] = {"zelvo"};
    EXPECT_EQ(platform::commandLineText(1, none), "");

    // What the shell leaves of `zelvo "my film.mpg"` and of `zelvo my film.mpg` alike.
    const char* quoted[] = {"zelvo", "my film.mpg"};
    const char* split[] = {"zelvo", "my", "film.mpg"};
    EXPECT_EQ(platform::commandLineText(2, quoted), "my film.mpg");
    EXPECT_EQ(platform::commandLineText(3, split), "my film.mpg");

    // Quotes that reach the program stay; blanks inside an argument are kept as they are.
    const char* odd[] = {"zelvo", "\"a.mpg\"", " lead", "trail  ", "", "-style"};
    EXPECT_EQ(platform::commandLineText(6, odd), "\"a.mpg\"  lead trail    -style");
}

TEST(CommandLineTest, ARelativePathThatNamesAFileIsMadeAbsoluteOthersStayAsTyped)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    QDir(dir.path()).mkpath("sub dir");
    QFile(dir.path() + "/clip.mpg").open(QIODevice::WriteOnly);
    QFile(dir.path() + "/sub dir/my film.mpg").open(QIODevice::WriteOnly);

    EXPECT_EQ(platform::absoluteCommandLine("clip.mpg", folder), folder + "/clip.mpg");
    EXPECT_EQ(platform::absoluteCommandLine("./sub dir/my film.mpg", folder), folder + "/sub dir/my film.mpg");
    for (const std::string typed : {"missing.mpg", "D:\\mpegav\\avseq01.dat", "d:clip.mpg", "/abs/clip.mpg", ""})
        EXPECT_EQ(platform::absoluteCommandLine(typed, folder), typed);
}

// Puts an environment variable back as it was, unset if it was unset.
class SavedVariable {
  public:
    explicit SavedVariable(const char* name) : name_(name)
    {
        if (const char* value = std::getenv(name))
            value_ = value;
    }
    ~SavedVariable()
    {
        if (value_)
            setenv(name_, value_->c_str(), 1);
        else
            unsetenv(name_);
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> value_;
};

TEST(CommandLineTest, WaylandSessionsAskForX11OnlyWhenNothingWasChosen)
{
    const SavedVariable platformName("QT_QPA_PLATFORM"), wayland("WAYLAND_DISPLAY"), display("DISPLAY");

    unsetenv("QT_QPA_PLATFORM");
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    setenv("DISPLAY", ":0", 1);
    platform::preferX11OnWayland();
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "xcb");

    setenv("QT_QPA_PLATFORM", "wayland", 1);
    platform::preferX11OnWayland();
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "wayland");

    unsetenv("QT_QPA_PLATFORM");
    unsetenv("DISPLAY"); // no XWayland: stay on Wayland
    platform::preferX11OnWayland();
    EXPECT_EQ(std::getenv("QT_QPA_PLATFORM"), nullptr);
}

} // namespace
