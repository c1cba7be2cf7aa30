#include "FileSteps.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>

namespace media {

namespace {

std::string lowerExtension(const std::string& name)
{
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return {};
    std::string extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

bool digit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool naturalLess(const std::string& a, const std::string& b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            // Compare the runs by value: skip leading zeros, then longer is larger.
            std::size_t endA = i;
            std::size_t endB = j;
            while (endA < a.size() && digit(a[endA]))
                ++endA;
            while (endB < b.size() && digit(b[endB]))
                ++endB;
            std::size_t startA = i;
            std::size_t startB = j;
            while (startA + 1 < endA && a[startA] == '0')
                ++startA;
            while (startB + 1 < endB && b[startB] == '0')
                ++startB;
            const std::string_view runA(a.data() + startA, endA - startA);
            const std::string_view runB(b.data() + startB, endB - startB);
            if (runA.size() != runB.size())
                return runA.size() < runB.size();
            if (runA != runB)
                return runA < runB;
            i = endA;
            j = endB;
            continue;
        }
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[j]));
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    if ((i < a.size()) != (j < b.size()))
        return j < b.size();
    return a < b;
}

bool isMediaName(const std::string& name)
{
    // The Open dialog's types and those the desktop entry offers zelvo for.
    static constexpr std::array<std::string_view, 20> types{
        "mpeg", "mpe", "mpg", "avi", "mov", "dat", "mp3", "mp4", "m4v", "mkv",
        "webm", "ogv", "ogg", "wmv", "flv", "3gp", "dv",  "ts",  "m2ts", "vob"};
    const std::string extension = lowerExtension(name);
    return std::find(types.begin(), types.end(), extension) != types.end();
}

bool isSubtitleName(const std::string& name)
{
    static constexpr std::array<std::string_view, 5> types{"srt", "ass", "ssa", "sub", "vtt"};
    const std::string extension = lowerExtension(name);
    return std::find(types.begin(), types.end(), extension) != types.end();
}

std::vector<std::string> mediaFilesIn(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code kindError;
        const std::string name = it->path().filename().string();
        if (isMediaName(name) && it->is_regular_file(kindError) && !kindError)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

std::optional<std::string> neighbour(const std::vector<std::string>& names, const std::string& current, int step)
{
    const auto at = std::lower_bound(names.begin(), names.end(), current, naturalLess);
    const bool listed = at != names.end() && *at == current;
    auto index = static_cast<long>(at - names.begin());
    // Not listed: "at" is already the next one.
    if (!listed && step > 0)
        --index;
    const long target = index + step;
    if (target < 0 || target >= static_cast<long>(names.size()))
        return std::nullopt;
    return names[static_cast<std::size_t>(target)];
}

void findNeighbour(const std::string& path, int step, QObject* context, std::function<void(FileStep)> done)
{
    QPointer<QObject> receiver(context);
    QThreadPool::globalInstance()->start([path, step, receiver, done = std::move(done)] {
        const std::filesystem::path file(path);
        FileStep result;
        result.step = step;
        if (auto name = neighbour(mediaFilesIn(file.parent_path().string()), file.filename().string(), step))
            result.path = (file.parent_path() / *name).string();
        // Handed to the application's thread, where the receiver is checked: it may have gone meanwhile.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [receiver, done, result] {
                if (receiver)
                    done(result);
            },
            Qt::QueuedConnection);
    });
}

} // namespace media
