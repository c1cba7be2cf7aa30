#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>
#include <optional>
#include <string>

// Points XDG_CONFIG_HOME at a fresh temporary folder for the life of the
// object and puts the old value back afterwards.
class TempConfigHome {
  public:
    TempConfigHome()
    {
        if (const char* old = std::getenv("XDG_CONFIG_HOME"))
            previous_ = old;
        point(dir_.path() + "/config");
    }
    ~TempConfigHome()
    {
        if (previous_)
            setenv("XDG_CONFIG_HOME", previous_->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    // Moves the config home elsewhere, for instance below a plain file.
    void point(const QString& path)
    {
        home_ = path;
        setenv("XDG_CONFIG_HOME", path.toLocal8Bit().constData(), 1);
    }

    const QString& home() const { return home_; }
    QString root() const { return dir_.path(); }
    QString iniPath() const { return home_ + "/Quorvel Movie.ini"; }

    // The settings file's bytes; empty when there is none.
    QByteArray iniBytes() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeIni(const QByteArray& bytes) const
    {
        QDir().mkpath(home_);
        QFile file(iniPath());
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }

  private:
    QTemporaryDir dir_;
    QString home_;
    std::optional<std::string> previous_;
};
