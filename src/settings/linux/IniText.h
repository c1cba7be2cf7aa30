#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The contents of an INI file in the dialect of QSettings' IniFormat, so that
// either reads what the other wrote: section and key names escaped as %XX and
// %UXXXX, values quoted and backslash-escaped where needed, text in UTF-8, and
// bytes that are not UTF-8 text as @ByteArray(...). To the caller a value is a
// string of bytes and comes back exactly as it was set.
//
// Sections and keys keep the order in which they were read or added; entries
// that are never set keep the text they had in the file.
class IniText {
  public:
    // nullopt when a line is neither a section, a key=value line nor a comment.
    static std::optional<IniText> parse(const QByteArray& data);

    // nullopt for a key that is not there (or holds @Invalid()).
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    QByteArray text() const;

    // Every entry, as read or set, section by section.
    struct Item {
        QString section;
        QString key;
        std::optional<std::string> value;
    };
    std::vector<Item> items() const;

  private:
    struct Entry {
        QString key;
        std::optional<std::string> value;
        QByteArray written; // the value as it stands in the file
    };
    struct Section {
        QString name; // "" for keys outside any section: QSettings' [General]
        std::vector<Entry> entries;
        // Where each key stands in entries: a hand-edited section of thousands
        // of keys is read in one pass, not one pass a key.
        QHash<QString, std::size_t> index;
    };

    Section& section(const QString& name);
    const Entry* find(const QString& section, const QString& key) const;
    void put(const QString& section, const QString& key, std::optional<std::string> value, QByteArray written);

    std::vector<Section> sections_;
};

} // namespace platform
