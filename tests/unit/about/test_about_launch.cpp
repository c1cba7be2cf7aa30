// Searching for a normal file and starting a program on Linux.
#include "LinuxFileSearch.h"
#include "LinuxProgramLauncher.h"
#include "RuntimeError.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::string backslashed(std::string path)
{
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

class FileSearchTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString();
        fs::create_directories(root / "tools" / "Folder.EXE");
        std::ofstream(root / "tools" / "MSINFO32.EXE") << "x";
        std::ofstream(root / "tools" / ".hidden") << "x";
        std::ofstream(root / "tools" / "b.txt") << "x";
        std::ofstream(root / "tools" / "a.txt") << "x";
        fs::create_symlink(root / "tools" / "a.txt", root / "tools" / "link.txt");
    }
    QTemporaryDir dir;
    fs::path root;
    platform::LinuxFileSearch search;
};

TEST_F(FileSearchTest, FindsNormalFilesByExactName)
{
    EXPECT_EQ(search.Dir((root / "tools" / "MSINFO32.EXE").string()), "MSINFO32.EXE");
    EXPECT_EQ(search.Dir(backslashed((root / "tools").string()) + "\\MSINFO32.EXE"), "MSINFO32.EXE");
    EXPECT_EQ(search.Dir((root / "tools" / "msinfo32.exe").string()), "");
    EXPECT_EQ(search.Dir((root / "tools" / "link.txt").string()), "link.txt");
}

TEST_F(FileSearchTest, SkipsHiddenFilesFoldersAndMissingOnes)
{
    EXPECT_EQ(search.Dir((root / "tools" / ".hidden").string()), "");
    EXPECT_EQ(search.Dir((root / "tools" / "Folder.EXE").string()), "");
    EXPECT_EQ(search.Dir((root / "nowhere" / "MSINFO32.EXE").string()), "");
    EXPECT_EQ(search.Dir((root / "tools").string() + "/"), "");
    EXPECT_EQ(search.Dir(""), "");
}

TEST_F(FileSearchTest, WildcardsGiveTheFirstMatchByName)
{
    EXPECT_EQ(search.Dir(backslashed((root / "tools").string()) + "\\*.txt"), "a.txt");
    EXPECT_EQ(search.Dir((root / "tools" / "*").string()), "MSINFO32.EXE");
    EXPECT_EQ(search.Dir((root / "tools" / "*.EXE").string()), "MSINFO32.EXE"); // not the folder
    EXPECT_EQ(search.Dir((root / "tools" / "?.none").string()), "");
}

class LauncherTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString();
        marker = root / "ran";
        script = root / "my tools" / "sysinfo";
        fs::create_directories(script.parent_path());
        // Writes its own arguments, so the test sees that it ran and how.
        std::ofstream(script) << "#!/bin/sh\necho \"args:$#\" > '" << marker.string() << "'\n";
        fs::permissions(script, fs::perms::owner_all);
    }
    bool waitForMarker()
    {
        for (int i = 0; i < 400; ++i) { // 20 s: process start-up is slow under the sanitizers
            if (fs::exists(marker) && fs::file_size(marker) > 0)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    QTemporaryDir dir;
    fs::path root;
    fs::path marker;
    fs::path script;
    platform::LinuxProgramLauncher launcher;
};

TEST_F(LauncherTest, StartsTheWholePathAsOneProgramWithoutArguments)
{
    const auto pid = launcher.Shell(backslashed(script.string()), platform::WindowStyle::NormalFocus);
    EXPECT_GT(pid, 0);
    ASSERT_TRUE(waitForMarker());
    std::ifstream in(marker);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "args:0");
}

TEST_F(LauncherTest, ProgramsThatCannotStartAreErrors)
{
    EXPECT_THROW(launcher.Shell("", platform::WindowStyle::NormalFocus), forms::RuntimeError);
    EXPECT_THROW(launcher.Shell((root / "absent").string(), platform::WindowStyle::NormalFocus), forms::RuntimeError);
    EXPECT_THROW(launcher.Shell(script.parent_path().string(), platform::WindowStyle::NormalFocus),
                 forms::RuntimeError);
    fs::permissions(script, fs::perms::owner_read);
    EXPECT_THROW(launcher.Shell(script.string(), platform::WindowStyle::NormalFocus), forms::RuntimeError);
    // Time enough for anything wrongly started to have written its marker.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_FALSE(fs::exists(marker));
}

} // namespace
