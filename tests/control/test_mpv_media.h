#pragma once

// Shared by the tests of the real media control: the test clips, a wait that
// keeps the event loop running, and stand-ins for the path resolver.
#include "MediaPaths.h"
#include "RuntimeError.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

// The clips of tests/media/make_media.sh, made once in $ZELVO_TEST_MEDIA (or a
// folder of the system's temporary folder); a lock keeps test programs that run
// side by side from making them twice at once.
inline const std::filesystem::path& testMedia()
{
    static const std::filesystem::path folder = [] {
        const char* media = std::getenv("ZELVO_TEST_MEDIA");
        const std::filesystem::path out =
            media && *media ? std::filesystem::path(media)
                            : std::filesystem::temp_directory_path() / ("zelvo-test-media-" + std::to_string(getuid()));
        std::filesystem::create_directories(out.parent_path());
        const auto script = std::filesystem::path(ZELVO_TEST_SCRIPTS) / "make_media.sh";
        const std::string command =
            "flock '" + out.string() + ".lock' bash '" + script.string() + "' '" + out.string() + "'";
        if (std::system(command.c_str()) != 0)
            ADD_FAILURE() << "could not make the test clips: " << command;
        return out;
    }();
    return folder;
}

inline std::string clip(const char* name)
{
    return (testMedia() / name).string();
}

// Runs the event loop until done() holds or the time is up; returns done().
inline bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || clock.hasExpired(timeout.count()))
            loop.quit();
    });
    tick.start(5);
    if (!done())
        loop.exec();
    return done();
}

// Keeps the event loop running for a while, so that anything due can happen.
inline void settle(std::chrono::milliseconds time)
{
    waitFor([] { return false; }, time);
}

// A file read through the stream interface, as a disc track would be.
class FileStream : public platform::ByteStream {
  public:
    explicit FileStream(const std::string& path) : file_(std::fopen(path.c_str(), "rb"))
    {
        if (!file_)
            throw forms::RuntimeError("cannot read " + path);
        std::fseek(file_, 0, SEEK_END);
        size_ = std::ftell(file_);
        std::fseek(file_, 0, SEEK_SET);
    }
    ~FileStream() override { std::fclose(file_); }
    std::int64_t size() const override { return size_; }
    std::int64_t read(char* buffer, std::int64_t n) override
    {
        reads += 1;
        const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(n), file_);
        return std::ferror(file_) ? -1 : static_cast<std::int64_t>(got);
    }
    bool seek(std::int64_t position) override { return std::fseek(file_, position, SEEK_SET) == 0; }

    static inline std::atomic_int reads = 0;

  private:
    std::FILE* file_;
    std::int64_t size_ = 0;
};

// Plain paths name themselves; the paths in `streams` are read through FileStream
// from the file they map to, and those in `refused` fail to resolve.
class TestPaths : public platform::MediaPaths {
  public:
    platform::ResolvedMedia resolve(std::string_view path) override
    {
        const std::string key(path);
        if (refused.count(key))
            throw forms::RuntimeError("Cannot open \"" + key + "\": no disc in the drive");
        if (auto stream = streams.find(key); stream != streams.end()) {
            const std::string file = stream->second;
            return {{},
                    [file]() -> std::unique_ptr<platform::ByteStream> { return std::make_unique<FileStream>(file); }};
        }
        return {key, {}};
    }
    std::map<std::string, std::string> streams;
    std::set<std::string> refused;
};
