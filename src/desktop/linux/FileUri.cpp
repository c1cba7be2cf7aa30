#include "FileUri.h"

#include <QByteArray>
#include <QFile>

#include <string_view>
#include <vector>

namespace platform {

namespace {

int hexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

// The absolute path without empty, "." and ".." segments, as a URI's path is
// resolved; ".." at the root stays there.
std::string normalised(std::string_view path)
{
    std::vector<std::string_view> segments;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view segment = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
    }
    std::string out;
    for (const std::string_view segment : segments) {
        out += '/';
        out += segment;
    }
    return out.empty() ? "/" : out;
}

} // namespace

std::optional<std::string> localPathFromUri(const QString& uri)
{
    const QByteArray text = QFile::encodeName(uri);
    if (text.left(5).toLower() != "file:")
        return std::nullopt;
    QByteArrayView rest = QByteArrayView(text).sliced(5);
    if (rest.startsWith("//")) {
        const qsizetype pathStart = rest.indexOf('/', 2);
        const QByteArrayView host = rest.sliced(2, (pathStart < 0 ? rest.size() : pathStart) - 2);
        if (pathStart < 0 || (!host.isEmpty() && host.toByteArray().toLower() != "localhost"))
            return std::nullopt;
        rest = rest.sliced(pathStart);
    }
    if (!rest.startsWith('/'))
        return std::nullopt;
    std::string path;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        char ch = rest[i];
        if (ch == '%') {
            const int high = i + 2 < rest.size() ? hexValue(rest[i + 1]) : -1;
            const int low = i + 2 < rest.size() ? hexValue(rest[i + 2]) : -1;
            if (high < 0 || low < 0)
                return std::nullopt;
            ch = static_cast<char>(high * 16 + low);
            i += 2;
        } else if (ch == '?' || ch == '#') {
            return std::nullopt;
        }
        if (ch == '\0')
            return std::nullopt;
        path += ch;
    }
    return normalised(path);
}

} // namespace platform
