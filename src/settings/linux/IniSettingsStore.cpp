#include "IniSettingsStore.h"

#include "IniText.h"
#include "RuntimeError.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

// Another player writing at the same moment holds the lock for a few
// milliseconds. Writes are made on the window's thread, so the lock is waited
// for 20 ms at most: a player that holds it longer is stuck or on a stalled
// disk, and the write fails as one to a full disk does, leaving the file as
// it was. Tried every millisecond, so that another player's quick writes in a
// row still leave a gap to take.
constexpr auto LockWait = std::chrono::milliseconds(20);
constexpr auto LockRetry = std::chrono::milliseconds(1);
// A settings file is a few kilobytes; one this large is not ours.
constexpr off_t MaxFileBytes = 16 << 20;

std::string shown(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

[[noreturn]] void fail(const QString& path, const std::string& what, const QString& reason = {})
{
    std::string message = "The settings file " + shown(path) + " " + what + ".";
    if (!reason.isEmpty())
        message += " " + reason.toStdString() + ".";
    throw forms::RuntimeError(message);
}

// What the file holds now; empty when there is no file yet. Opened without
// waiting: a FIFO or device in its place would hold the window at start-up.
IniText load(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        fail(path, "cannot be read", QString::fromLocal8Bit(std::strerror(errno)));
    }
    struct stat info {};
    QByteArray data;
    int error = ::fstat(fd, &info) == 0 ? 0 : errno;
    const bool regular = error == 0 && S_ISREG(info.st_mode) && info.st_size <= MaxFileBytes;
    if (regular) {
        data.resize(static_cast<qsizetype>(info.st_size));
        qsizetype got = 0;
        while (got < data.size()) {
            const ssize_t n = ::read(fd, data.data() + got, static_cast<std::size_t>(data.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error = n < 0 ? errno : 0;
                break;
            }
            got += n;
        }
        data.truncate(got);
    }
    ::close(fd);
    if (error != 0)
        fail(path, "cannot be read", QString::fromLocal8Bit(std::strerror(error)));
    std::optional<IniText> ini = regular ? IniText::parse(data) : std::nullopt;
    if (!ini)
        fail(path, "is damaged and cannot be read", "Correct or remove it");
    return std::move(*ini);
}

// Why nothing can be written in the folder: QLockFile says only "unknown
// error", also for a full disk, so a file is made there to ask the system.
QString writeProblem(const QString& folder)
{
    const QByteArray probe = QFile::encodeName(folder + "/.settings-probe-XXXXXX");
    QByteArray name = probe;
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const char bytes[256] = {};
    const int error = ::write(fd, bytes, sizeof bytes) == static_cast<ssize_t>(sizeof bytes) ? 0 : errno;
    ::close(fd);
    ::unlink(name.constData());
    if (error != 0)
        return QString::fromLocal8Bit(std::strerror(error));
    return "Its folder " + QDir::toNativeSeparators(folder) + " is not writable";
}

// Whether the file's permission bits let this user write it. A new file is
// renamed over the old one, which the folder's permission allows whatever the
// file's, so a file made read-only would be replaced without a word. The bits
// decide, not access(2): root may write any file, yet a file nobody may write
// was made so on purpose.
bool writableByMode(const struct stat& info)
{
    const uid_t user = ::geteuid();
    if (info.st_uid == user)
        return info.st_mode & S_IWUSR;
    if (user == 0)
        return info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH);
    bool member = info.st_gid == ::getegid();
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
    for (int i = 0; i < count && !member; ++i)
        member = groups[static_cast<std::size_t>(i)] == info.st_gid;
    return info.st_mode & (member ? S_IWGRP : S_IWOTH);
}

// Writes a new file beside the old one and renames it over it only after
// every byte has reached the disk, so that a failure leaves the old file as
// it was; the reason given is the system's (QSaveFile says "Unknown error"
// for a full disk).
void replace(const QString& path, const QByteArray& data)
{
    const QString target = QFileInfo(path).isSymLink() ? QFileInfo(path).canonicalFilePath() : path;
    const QByteArray name = QFile::encodeName(target);
    struct stat old {};
    const bool existed = ::stat(name.constData(), &old) == 0;
    if (existed && !writableByMode(old))
        fail(path, "cannot be written", "It is read-only");
    const QByteArray temporary = name + ".new-" + QByteArray::number(::getpid());
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        fail(path, "cannot be written", QString::fromLocal8Bit(std::strerror(errno)));
    if (existed)
        ::fchmod(fd, old.st_mode & 07777);
    int error = 0;
    for (qsizetype done = 0; done < data.size() && error == 0;) {
        const ssize_t n = ::write(fd, data.constData() + done, static_cast<std::size_t>(data.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR)
            error = errno;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), name.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        fail(path, "cannot be written", QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QString IniSettingsStore::fileFor(std::string_view appName)
{
    // Asked afresh each time: the environment decides, as it does for QSettings.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' + fromUtf8(appName) + ".ini";
}

std::string IniSettingsStore::GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                                         std::string_view defaultValue)
{
    const std::optional<std::string> value = load(fileFor(appName)).value(section, key);
    return value ? *value : std::string(defaultValue);
}

// Changes the file as one step: under the lock, read, changed by change and,
// if it says so, replaced whole.
void IniSettingsStore::update(std::string_view appName, const std::function<bool(IniText&)>& change)
{
    const QString path = fileFor(appName);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        fail(path, "cannot be written", "Its folder " + QDir::toNativeSeparators(folder) + " cannot be made");

    // The lock QSettings uses too, so that writers of the file take turns.
    // QLockFile reads a lock file it finds, and would wait on a FIFO there.
    struct stat info {};
    const QString lockPath = path + ".lock";
    if (::lstat(QFile::encodeName(lockPath).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        fail(path, "cannot be written", "Its lock file " + QDir::toNativeSeparators(lockPath) + " is not a file");
    QLockFile lock(lockPath);
    const QDeadlineTimer until(LockWait);
    while (!lock.tryLock(0) && lock.error() == QLockFile::LockFailedError && !until.hasExpired())
        std::this_thread::sleep_for(LockRetry);
    if (!lock.isLocked()) {
        if (lock.error() == QLockFile::LockFailedError)
            fail(path, "is being written by another program", "Try again");
        fail(path, "cannot be written", writeProblem(folder));
    }

    // Read under the lock and never written if unreadable: nothing already stored is lost.
    IniText ini = load(path);
    if (change(ini))
        replace(path, ini.text());
}

void IniSettingsStore::EditSettings(std::string_view appName, std::string_view section,
                                    const std::function<void(SettingsEdit&)>& edit)
{
    class Edit : public SettingsEdit {
      public:
        Edit(IniText& ini, std::string_view section) : ini_(ini), section_(section) {}
        std::string Get(std::string_view key, std::string_view defaultValue) override
        {
            const std::optional<std::string> value = ini_.value(section_, key);
            return value ? *value : std::string(defaultValue);
        }
        void Set(std::string_view key, std::string_view value) override
        {
            if (ini_.value(section_, key) == std::optional<std::string>(value))
                return;
            ini_.setValue(section_, key, value);
            changed = true;
        }
        bool changed = false;

      private:
        IniText& ini_;
        std::string_view section_;
    };
    // An edit that changes nothing takes no lock and writes nothing: writing
    // what is there already would only wear the disk, and a read-only folder
    // still lets the player read its list.
    const QString path = fileFor(appName);
    IniText now = load(path);
    Edit trial(now, section);
    edit(trial);
    if (!trial.changed)
        return;
    update(appName, [&](IniText& ini) {
        Edit changes(ini, section);
        edit(changes);
        return changes.changed;
    });
}

void IniSettingsStore::SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                                   std::string_view value)
{
    EditSettings(appName, section, [&](SettingsEdit& edit) { edit.Set(key, value); });
}

} // namespace platform
