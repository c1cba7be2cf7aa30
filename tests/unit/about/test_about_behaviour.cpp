// The About dialog's handlers, its registry reader and its launcher, over fakes.
#include "test_about_fakes.h"

#include "HeadlessFormView.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::HKEY_LOCAL_MACHINE;

const std::string Tool = "/opt/tools/sysinfo";
const std::string Folder = "C:\\Tools\\MSInfo";
const std::string FolderProgram = Folder + "\\MSINFO32.EXE";

class StartSysInfoTest : public ::testing::Test {
  protected:
    void setFirst(const std::string& path) { h.registry.setString(std::string(about::SysInfoKey), "PATH", path); }
    void setSecond(const std::string& folder)
    {
        h.registry.setString(std::string(about::SysInfoLocationKey), "MSINFO", folder);
    }
    bool secondTried() const
    {
        for (const auto& open : h.registry.opens) {
            if (open.subKey == about::SysInfoLocationKey)
                return true;
        }
        return false;
    }
    void expectUnavailable()
    {
        ASSERT_EQ(h.boxes.shown.size(), 1u);
        EXPECT_EQ(h.boxes.shown[0], "System Information Is Unavailable At This Time");
        EXPECT_TRUE(h.launcher.started.empty());
    }
    void TearDown() override
    {
        EXPECT_TRUE(h.registry.handles.empty()) << "a key was left open";
        EXPECT_TRUE(h.f().dialog.Loaded()) << "the dialog must stay open";
    }

    AboutHarness h;
};

TEST_F(StartSysInfoTest, FirstValueIsStartedUnchangedWithoutAFileTest)
{
    setFirst(Tool);
    setSecond(Folder);
    h.files.existing.insert(FolderProgram);
    h.launcher.programs.insert(Tool);

    h.f().StartSysInfo();

    EXPECT_EQ(h.launcher.started, std::vector<std::string>{Tool});
    EXPECT_EQ(h.launcher.styles.front(), platform::WindowStyle::NormalFocus);
    EXPECT_TRUE(h.files.searched.empty());
    EXPECT_FALSE(secondTried());
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST_F(StartSysInfoTest, MissingProgramInFirstValueGivesTheMessageWithoutTryingTheSecond)
{
    setFirst("/nowhere/sysinfo");
    setSecond(Folder);
    h.files.existing.insert(FolderProgram);
    h.launcher.programs.insert(FolderProgram);

    h.f().StartSysInfo();

    EXPECT_EQ(h.launcher.attempts, std::vector<std::string>{"/nowhere/sysinfo"});
    EXPECT_FALSE(secondTried());
    expectUnavailable();
}

TEST_F(StartSysInfoTest, SecondValueNamesTheFolderOfTheProgram)
{
    setSecond(Folder);
    h.files.existing.insert(FolderProgram);
    h.launcher.programs.insert(FolderProgram);

    h.f().StartSysInfo();

    EXPECT_EQ(h.files.searched, std::vector<std::string>{FolderProgram});
    EXPECT_EQ(h.launcher.started, std::vector<std::string>{FolderProgram});
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST_F(StartSysInfoTest, FolderWithoutTheProgramStartsNothing)
{
    setSecond(Folder);
    h.launcher.programs.insert(FolderProgram);

    h.f().StartSysInfo();

    EXPECT_EQ(h.files.searched, std::vector<std::string>{FolderProgram});
    EXPECT_TRUE(h.launcher.attempts.empty());
    expectUnavailable();
}

TEST_F(StartSysInfoTest, NeitherValueGivesTheMessage)
{
    h.f().StartSysInfo();

    EXPECT_TRUE(secondTried());
    EXPECT_TRUE(h.launcher.attempts.empty());
    expectUnavailable();
}

TEST_F(StartSysInfoTest, FirstValueOfAnotherTypeCountsAsFoundWithAnEmptyPath)
{
    h.registry.set(std::string(about::SysInfoKey), "PATH", platform::REG_BINARY, {0x2f, 0x62, 0x69, 0x6e});
    setSecond(Folder);
    h.files.existing.insert(FolderProgram);
    h.launcher.programs.insert(FolderProgram);

    h.f().StartSysInfo();

    EXPECT_EQ(h.launcher.attempts, std::vector<std::string>{""});
    EXPECT_FALSE(secondTried());
    expectUnavailable();
}

TEST_F(StartSysInfoTest, FirstValueOverTheBufferCountsAsMissing)
{
    setFirst("/" + std::string(1100, 'x'));
    setSecond(Folder);
    h.files.existing.insert(FolderProgram);
    h.launcher.programs.insert(FolderProgram);

    h.f().StartSysInfo();

    EXPECT_EQ(h.launcher.started, std::vector<std::string>{FolderProgram});
}

TEST_F(StartSysInfoTest, EmptyFirstValueGivesTheMessageAtOnce)
{
    h.registry.set(std::string(about::SysInfoKey), "PATH", platform::REG_SZ, {});
    setSecond(Folder);
    h.files.existing.insert(FolderProgram);
    h.launcher.programs.insert(FolderProgram);

    h.f().StartSysInfo();

    EXPECT_FALSE(secondTried());
    EXPECT_TRUE(h.launcher.attempts.empty());
    expectUnavailable();
}

TEST_F(StartSysInfoTest, SystemInfoButtonRunsItThroughTheDispatcher)
{
    h.f().dispatcher.run(h.f().cmdSysInfo.Click);

    // The failure is the dialog's own message, not an error box of the dispatcher.
    expectUnavailable();
}

class GetKeyValueTest : public ::testing::Test {
  protected:
    bool read(std::string& value, const std::string& name = "V")
    {
        return h.f().GetKeyValue(HKEY_LOCAL_MACHINE, Key, name, value);
    }

    const std::string Key = "SOFTWARE\\Zelvo\\Test";
    AboutHarness h;
};

TEST_F(GetKeyValueTest, OpensWithNoOptionsAndTheFullAccessMask)
{
    h.registry.setString(Key, "V", "x");
    std::string value;
    ASSERT_TRUE(read(value));

    ASSERT_EQ(h.registry.opens.size(), 1u);
    EXPECT_EQ(h.registry.opens[0].root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(h.registry.opens[0].subKey, Key);
    EXPECT_EQ(h.registry.opens[0].options, 0u);
    EXPECT_EQ(h.registry.opens[0].access, 0x2003Fu);
    EXPECT_TRUE(h.registry.handles.empty());
}

TEST_F(GetKeyValueTest, StringLosesItsTerminatingZeroOnly)
{
    std::string value;
    h.registry.setString(Key, "V", "C:\\Tools\\a.exe", true);
    ASSERT_TRUE(read(value));
    EXPECT_EQ(value, "C:\\Tools\\a.exe");

    h.registry.setString(Key, "V", "C:\\Tools\\a.exe", false);
    ASSERT_TRUE(read(value));
    EXPECT_EQ(value, "C:\\Tools\\a.exe");

    // Only the last character counts: a zero inside the value stays.
    h.registry.set(Key, "V", platform::REG_SZ, {'a', 0, 'b'});
    ASSERT_TRUE(read(value));
    EXPECT_EQ(value, std::string("a\0b", 3));
    EXPECT_TRUE(h.registry.handles.empty());
}

TEST_F(GetKeyValueTest, NumberComesBackAsDecimalText)
{
    std::string value;
    h.registry.set(Key, "V", platform::REG_DWORD, {0x02, 0x01, 0x00, 0x00});
    ASSERT_TRUE(read(value));
    EXPECT_EQ(value, "258");

    h.registry.set(Key, "V", platform::REG_DWORD, {0xff, 0xff, 0xff, 0xff});
    ASSERT_TRUE(read(value));
    EXPECT_EQ(value, "4294967295");
}

TEST_F(GetKeyValueTest, OtherTypesLeaveTheTextAsItWas)
{
    h.registry.set(Key, "V", platform::REG_BINARY, {1, 2, 3});
    std::string value = "before";
    EXPECT_TRUE(read(value));
    EXPECT_EQ(value, "before");
    EXPECT_TRUE(h.registry.handles.empty());
}

TEST_F(GetKeyValueTest, FailuresGiveEmptyTextAndCloseEvenTheNullHandle)
{
    std::string value = "before";
    EXPECT_FALSE(read(value)); // no such key
    EXPECT_EQ(value, "");
    ASSERT_EQ(h.registry.closes.size(), 1u);
    EXPECT_EQ(h.registry.closes[0], 0);

    h.registry.setString(Key, "Other", "x");
    value = "before";
    EXPECT_FALSE(read(value)); // no such value
    EXPECT_EQ(value, "");
    EXPECT_EQ(h.registry.closes.size(), 2u);
    EXPECT_TRUE(h.registry.handles.empty());
}

TEST_F(GetKeyValueTest, BufferHoldsExactly1024Bytes)
{
    std::string value;
    h.registry.setString(Key, "V", std::string(1023, 'a')); // 1024 with its zero
    ASSERT_TRUE(read(value));
    EXPECT_EQ(value.size(), 1023u);

    h.registry.setString(Key, "V", std::string(1024, 'a'));
    EXPECT_FALSE(read(value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(h.registry.handles.empty());
}

TEST_F(GetKeyValueTest, EmptyValueIsAnErrorForTheCallerAfterTheKeyIsClosed)
{
    h.registry.set(Key, "V", platform::REG_SZ, {});
    std::string value = "before";
    EXPECT_THROW(read(value), forms::RuntimeError);
    EXPECT_EQ(value, "before");
    EXPECT_TRUE(h.registry.handles.empty());
}

TEST(frmAboutTest, StoredWindowIsAFixedDialogOfTheGivenClientSize)
{
    AboutHarness h;
    forms::HeadlessFormView view;
    view.connect(h.f().form);
    h.f().form.attach(view);

    EXPECT_EQ(h.f().form.Caption(), "About MyApp");
    EXPECT_EQ(h.f().form.Border(), forms::BorderStyle::FixedDialog);
    EXPECT_FLOAT_EQ(h.f().form.ScaleWidth(), 5730);
    EXPECT_FLOAT_EQ(h.f().form.ScaleHeight(), 3630);
    ASSERT_EQ(h.f().Line1.size(), 2u);
    EXPECT_EQ(h.f().Line1[0]->row().borderWidth, 2);
    EXPECT_EQ(h.f().lblDescription.row().container, "Frame1");
}

TEST(frmAboutTest, LoadTakesThePlayerIconForWindowAndPicture)
{
    AboutHarness h;
    h.f().form.load();

    EXPECT_FALSE(h.f().dialog.Icon().empty());
    EXPECT_TRUE(h.f().dialog.Icon() == h.ownerIcon);
    EXPECT_TRUE(h.f().picIcon.Picture() == h.ownerIcon);
    EXPECT_EQ(h.iconReads, 2);
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST(frmAboutTest, EveryOpeningStartsFromTheStoredLayout)
{
    AboutHarness first;
    first.f().form.load();
    // What one opening changes must not reach the next.
    first.f().lblTitle.Caption("changed");
    first.f().dispatcher.run(first.f().cmdOK.Click);
    EXPECT_FALSE(first.f().dialog.Loaded());

    AboutHarness second;
    second.ownerIcon = first.ownerIcon;
    second.f().form.load();
    EXPECT_TRUE(second.f().dialog.Loaded());
    EXPECT_EQ(second.f().form.Caption(), "About MyApp");
    EXPECT_EQ(second.f().lblTitle.Caption(), "Zelvo Movie Player");
    EXPECT_EQ(second.f().lblVersion.Caption(), "Version 1.3");
    EXPECT_TRUE(second.f().picIcon.Picture() == first.f().picIcon.Picture());
}

TEST(frmAboutTest, OkUnloadsTheDialogOnce)
{
    AboutHarness h;
    int closed = 0;
    h.f().dialog.unloaded = [&closed] { ++closed; };
    h.f().cmdOK_Click();
    h.f().cmdOK_Click();
    EXPECT_FALSE(h.f().dialog.Loaded());
    EXPECT_EQ(closed, 1);
}

} // namespace
