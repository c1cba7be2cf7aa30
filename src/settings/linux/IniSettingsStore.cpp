#include "IniSettingsStore.h"

#include "IniText.h"
#include "RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform {

namespace {

// Another player writing at the same moment holds the lock for milliseconds.
constexpr int LockWaitMs = 3000;

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

// What the file holds now; empty when there is no file yet.
IniText load(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        fail(path, "cannot be read", file.errorString());
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(path, "cannot be read", file.errorString());
    std::optional<IniText> ini = IniText::parse(data);
    if (!ini)
        fail(path, "is damaged and cannot be read", "Correct or remove it");
    return std::move(*ini);
}

void replace(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        fail(path, "cannot be written", file.errorString());
    // Flushed here and checked: commit() would rename a file whose last
    // buffered bytes never reached the disk.
    if (file.write(data) != data.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(path, "cannot be written", reason);
    }
    if (!file.commit())
        fail(path, "cannot be written", file.errorString());
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

void IniSettingsStore::SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                                   std::string_view value)
{
    const QString path = fileFor(appName);
    // Writing what is there already would change nothing but wear the disk.
    if (QFile::exists(path) && load(path).value(section, key) == std::optional<std::string>(value))
        return;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        fail(path, "cannot be written", "Its folder " + QDir::toNativeSeparators(folder) + " cannot be made");

    // The lock QSettings uses too, so that writers of the file take turns.
    QLockFile lock(path + ".lock");
    if (!lock.tryLock(LockWaitMs)) {
        if (lock.error() == QLockFile::LockFailedError)
            fail(path, "is being written by another program", "Try again");
        fail(path, "cannot be written", "Its folder " + QDir::toNativeSeparators(folder) + " is not writable");
    }

    // Read under the lock and never written if unreadable: nothing already stored is lost.
    IniText ini = load(path);
    ini.setValue(section, key, value);
    replace(path, ini.text());
}

} // namespace platform
