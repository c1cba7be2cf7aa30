#pragma once

#include <QString>

#include <optional>
#include <string>

namespace platform {

// The local file that a file: URI names (from the desktop's remote control or
// a drop), as the bytes the file system knows it by, the way the command line
// hands a path over: percent escapes are the name's own bytes, so a name that
// is not UTF-8 comes through; other characters take the file-system encoding.
// The path is absolute, without empty, "." or ".." segments.
//
// nullopt for what names no local file by an absolute path: another scheme, a
// relative path ("file:clip.mpg"), a host other than none or localhost, a
// query or fragment, a broken escape, and a NUL anywhere (the name would end
// there, and another file would open than the one recorded).
std::optional<std::string> localPathFromUri(const QString& uri);

} // namespace platform
