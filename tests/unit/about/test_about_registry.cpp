// The registry file, the read-only Linux registry over it and its built-in
// answer for the System Information tool.
#include "LinuxRegistry.h"
#include "RegistryFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace platform;
namespace fs = std::filesystem;

struct Read {
    std::int32_t code = 0;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::string bytes;
};

Read query(Registry& registry, HKEY key, std::string_view name, std::uint32_t capacity = 1024)
{
    std::string buffer(capacity, '\x7f');
    Read read;
    read.size = capacity;
    read.code =
        registry.RegQueryValueExA(key, name, read.type, reinterpret_cast<std::uint8_t*>(buffer.data()), read.size);
    if (read.code == ERROR_SUCCESS)
        read.bytes = buffer.substr(0, read.size);
    return read;
}

class LinuxRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::string path(const std::string& name) const { return (fs::path(dir.path().toStdString()) / name).string(); }
    void write(const std::string& text) { std::ofstream(path("registry.ini")) << text; }
    // An executable (or not) program file in a folder of the test's search path.
    void program(const std::string& folder, const std::string& name, bool executable = true)
    {
        fs::create_directories(path(folder));
        std::ofstream(path(folder + "/" + name)) << "#!/bin/sh\n";
        fs::permissions(path(folder + "/" + name),
                        executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
    }
    LinuxRegistry registry(const std::string& searchPath = "")
    {
        return LinuxRegistry(path("registry.ini"), searchPath);
    }
    std::int32_t open(LinuxRegistry& registry, std::string_view key, HKEY& handle, HKEY root = HKEY_LOCAL_MACHINE)
    {
        return registry.RegOpenKeyExA(root, key, 0, 0x2003F, handle);
    }

    QTemporaryDir dir;
};

TEST_F(LinuxRegistryTest, FileValuesComeBackWithTheirTypesAndSizes)
{
    write("; machine-wide values\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zelvo]\n"
          "Path = /usr/bin/tool \n"
          "Padded=\"  two spaces  \"\n"
          "Count=dword:0000012c\n"
          "Blob=hex:01,02,ff\n"
          "Bare=hex(1):41,42\n"
          "@=unnamed\n"
          "Equals=a=b\n");
    LinuxRegistry reg = registry();
    HKEY key = 0;
    ASSERT_EQ(open(reg, "SOFTWARE\\Zelvo", key), ERROR_SUCCESS);
    ASSERT_NE(key, 0);

    const Read path = query(reg, key, "PATH"); // names match without regard to case
    EXPECT_EQ(path.code, ERROR_SUCCESS);
    EXPECT_EQ(path.type, REG_SZ);
    EXPECT_EQ(path.size, 14u); // outer blanks trimmed, the terminating zero counted
    EXPECT_EQ(path.bytes, std::string("/usr/bin/tool\0", 14));
    EXPECT_EQ(query(reg, key, "Padded").bytes, std::string("  two spaces  \0", 15));
    const Read count = query(reg, key, "Count");
    EXPECT_EQ(count.type, REG_DWORD);
    EXPECT_EQ(count.bytes, std::string("\x2c\x01\x00\x00", 4));
    const Read blob = query(reg, key, "Blob");
    EXPECT_EQ(blob.type, REG_BINARY);
    EXPECT_EQ(blob.bytes, "\x01\x02\xff");
    const Read bare = query(reg, key, "Bare");
    EXPECT_EQ(bare.type, REG_SZ);
    EXPECT_EQ(bare.bytes, "AB");
    EXPECT_EQ(query(reg, key, "").bytes, std::string("unnamed\0", 8));
    EXPECT_EQ(query(reg, key, "Equals").bytes, std::string("a=b\0", 4));
    EXPECT_EQ(reg.RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(reg.openKeys(), 0u);
}

TEST_F(LinuxRegistryTest, ReturnCodesFollowTheRegistryCalls)
{
    write("[SOFTWARE\\Zelvo\\Deep]\nBig=" + std::string(2000, 'x') + "\n");
    LinuxRegistry reg = registry();
    HKEY key = 0;
    EXPECT_EQ(open(reg, "SOFTWARE\\Nothing", key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, 0);
    EXPECT_EQ(open(reg, "SOFTWARE\\Zelvo\\Deep", key, HKEY_CURRENT_USER), ERROR_FILE_NOT_FOUND);

    // A key that only has sub-keys in the file exists too, and opens relative to it work.
    HKEY parent = 0;
    ASSERT_EQ(open(reg, "software\\zelvo", parent), ERROR_SUCCESS);
    ASSERT_EQ(reg.RegOpenKeyExA(parent, "DEEP", 0, 0x20019, key), ERROR_SUCCESS);
    EXPECT_EQ(query(reg, key, "Missing").code, ERROR_FILE_NOT_FOUND);

    const Read big = query(reg, key, "Big");
    EXPECT_EQ(big.code, ERROR_MORE_DATA);
    EXPECT_EQ(big.size, 2001u);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(reg.RegQueryValueExA(key, "Big", type, nullptr, size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2001u);

    EXPECT_EQ(reg.RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(query(reg, key, "Big").code, ERROR_INVALID_HANDLE);
    EXPECT_EQ(reg.RegCloseKey(0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(reg.RegCloseKey(parent), ERROR_SUCCESS);
    EXPECT_EQ(reg.openKeys(), 0u);
}

TEST_F(LinuxRegistryTest, LinesNotUnderstoodAreSkipped)
{
    const RegistryFile file = RegistryFile::parse("Orphan=1\n"
                                                  "[SOFTWARE\\A]\n"
                                                  "no equals sign\n"
                                                  "Bad=dword:xyz\n"
                                                  "Worse=hex:01,2g\n"
                                                  "# comment\n"
                                                  "Good=yes\n");
    EXPECT_EQ(file.badLines(), (std::vector<int>{1, 3, 4, 5}));
    ASSERT_NE(file.find("software\\a", "good"), nullptr);
    EXPECT_EQ(file.find("SOFTWARE\\A", "Bad"), nullptr);
    EXPECT_FALSE(file.hasKey("SOFTWARE\\A B"));
    EXPECT_TRUE(file.hasKey("\\SOFTWARE\\"));
}

TEST_F(LinuxRegistryTest, MissingFileHoldsNothing)
{
    LinuxRegistry reg(path("absent.ini"), "");
    HKEY key = 0;
    EXPECT_EQ(open(reg, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open(reg, "", key), ERROR_SUCCESS); // the root itself is always there
    reg.RegCloseKey(key);
}

TEST_F(LinuxRegistryTest, BuiltInAnswerIsTheFirstProgramOfTheListOnThePath)
{
    program("a", "gnome-system-monitor");
    program("b", "kinfocenter");
    program("b", "hardinfo", false); // not executable: not a program
    LinuxRegistry reg = registry(path("a") + "::" + path("b"));
    HKEY key = 0;
    ASSERT_EQ(open(reg, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", key), ERROR_SUCCESS);

    // The list's order decides, not the order of the search path.
    const Read read = query(reg, key, "PATH");
    EXPECT_EQ(read.type, REG_SZ);
    EXPECT_EQ(read.bytes, path("b") + "/kinfocenter" + std::string(1, '\0'));
    reg.RegCloseKey(key);

    EXPECT_EQ(open(reg, "SOFTWARE\\Microsoft", key), ERROR_SUCCESS);
    reg.RegCloseKey(key);
}

TEST_F(LinuxRegistryTest, NoProgramOnThePathMeansNoValue)
{
    program("a", "not-a-sysinfo-tool");
    LinuxRegistry reg = registry(path("a"));
    HKEY key = 0;
    EXPECT_EQ(open(reg, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", key), ERROR_FILE_NOT_FOUND);
}

TEST_F(LinuxRegistryTest, FileValueWinsOverTheBuiltInAnswer)
{
    program("a", "hardinfo");
    write("[SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\nPATH=/opt/own/tool\nOther=1\n");
    LinuxRegistry reg = registry(path("a"));
    HKEY key = 0;
    ASSERT_EQ(open(reg, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", key), ERROR_SUCCESS);
    EXPECT_EQ(query(reg, key, "PATH").bytes, std::string("/opt/own/tool\0", 14));
    reg.RegCloseKey(key);

    // A key the file names without PATH still gets the built-in one.
    write("[SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\nOther=1\n");
    ASSERT_EQ(open(reg, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", key), ERROR_SUCCESS);
    EXPECT_EQ(query(reg, key, "PATH").bytes, path("a") + "/hardinfo" + std::string(1, '\0'));
    EXPECT_EQ(query(reg, key, "Other").code, ERROR_SUCCESS);
    reg.RegCloseKey(key);
}

TEST_F(LinuxRegistryTest, FileIsReadAfreshOnEveryOpen)
{
    LinuxRegistry reg = registry();
    HKEY key = 0;
    EXPECT_EQ(open(reg, "SOFTWARE\\Later", key), ERROR_FILE_NOT_FOUND);
    write("[SOFTWARE\\Later]\nV=1\n");
    EXPECT_EQ(open(reg, "SOFTWARE\\Later", key), ERROR_SUCCESS);
    reg.RegCloseKey(key);
}

TEST(FindOnSearchPathTest, SkipsFoldersAndEmptyEntries)
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    fs::create_directories(root / "bin" / "tool"); // a folder of that name is no program
    fs::create_directories(root / "bin2");
    std::ofstream(root / "bin2" / "tool") << "#!/bin/sh\n";
    fs::permissions(root / "bin2" / "tool", fs::perms::owner_all);
    const std::string searchPath = ":" + (root / "bin").string() + ":" + (root / "bin2").string() + "/";
    EXPECT_EQ(findOnSearchPath("tool", searchPath), (root / "bin2" / "tool").string());
    EXPECT_EQ(findOnSearchPath("absent", searchPath), "");
}

} // namespace
