// File URIs from the desktop (MPRIS OpenUri, drops) to the path that is
// opened and recorded: absolute local paths only, byte for byte.
#include "FileUri.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

TEST(FileUri, GivesTheAbsoluteNormalisedPathInTheFileSystemsBytesAndRefusesTheRest)
{
    const struct {
        const char* uri;
        std::optional<std::string> path;
    } cases[] = {
        {"file:///films/my%20film.mpg", "/films/my film.mpg"},
        {"file://localhost/films/a.mpg", "/films/a.mpg"},
        {"file:/films/a.mpg", "/films/a.mpg"},
        {"file:///films/caf%E9.mpg", "/films/caf\xe9.mpg"},        // Latin-1: the byte as it is
        {"file:///films/caf\xc3\xa9.mpg", "/films/caf\xc3\xa9.mpg"}, // the character, in UTF-8
        {"file:///films/sub/%2e%2e/./b.mpg", "/films/b.mpg"},
        {"file:///../../etc//films/a.mpg", "/etc/films/a.mpg"},
        {"file:///films/a%2fb.mpg", "/films/a/b.mpg"},
        {"file:clip.mpg", std::nullopt},
        {"file://", std::nullopt},
        {"file://server/films/a.mpg", std::nullopt},
        {"http://example.org/a.mpg", std::nullopt},
        {"/films/a.mpg", std::nullopt},
        {"file:///films/a.mpg%00junk", std::nullopt},
        {"file:///films/a.mpg?x=1", std::nullopt},
        {"file:///films/a.mpg#t=10", std::nullopt},
        {"file:///films/a%2.mpg", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::localPathFromUri(QString::fromUtf8(c.uri)), c.path) << c.uri;
    EXPECT_EQ(platform::localPathFromUri(QStringLiteral("file:///films/a.mpg") + QChar(0) + "junk"), std::nullopt);
}
