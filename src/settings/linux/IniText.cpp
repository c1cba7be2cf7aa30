#include "IniText.h"

#include <QStringDecoder>
#include <QStringView>

#include <algorithm>

namespace platform {

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

bool isHexDigit(char16_t ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

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

// UTF-8 to text, keeping a U+FEFF at the start: these are pieces of names
// and values, where it is a character and not a byte order mark.
QString utf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QString fromUtf8(std::string_view text)
{
    return utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

// Section and key names: letters, digits and _-. as they are, '/' as '\',
// anything else as %XX or %UXXXX. A '/' at the end is %2F, since a '\'
// there would escape the '=' after a key.
QByteArray escapedName(const QString& name)
{
    QByteArray out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t ch = name[i].unicode();
        if (ch == '/' && i + 1 < name.size()) {
            out += '\\';
        } else if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_' ||
                   ch == '-' || ch == '.') {
            out += static_cast<char>(ch);
        } else if (ch <= 0xff) {
            out += '%';
            out += HexDigits[ch >> 4];
            out += HexDigits[ch & 0xf];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += HexDigits[(ch >> shift) & 0xf];
        }
    }
    return out;
}

QString unescapedName(QByteArrayView raw)
{
    QString out;
    QByteArray run;
    const auto flush = [&] {
        out += utf8(run);
        run.clear();
    };
    for (qsizetype i = 0; i < raw.size();) {
        const char ch = raw[i];
        if (ch == '\\') {
            flush();
            out += '/';
            ++i;
            continue;
        }
        if (ch == '%') {
            const bool wide = i + 1 < raw.size() && raw[i + 1] == 'U';
            const qsizetype first = i + (wide ? 2 : 1);
            const qsizetype digits = wide ? 4 : 2;
            int code = 0;
            bool ok = first + digits <= raw.size();
            for (qsizetype d = 0; ok && d < digits; ++d) {
                const int value = hexValue(raw[first + d]);
                ok = value >= 0;
                code = code * 16 + value;
            }
            if (ok) {
                flush();
                out += QChar(static_cast<char16_t>(code));
                i = first + digits;
                continue;
            }
        }
        run += ch;
        ++i;
    }
    flush();
    return out;
}

// One value in the file's form: quoted when it holds ; , or = or starts or
// ends with a blank; control characters (and, inside @ByteArray, every byte
// outside ASCII) as escapes; other text as UTF-8.
QByteArray escapedValue(const QString& text, bool bytes)
{
    QByteArray out;
    bool needsQuotes = false;
    bool escapeNextIfHex = false; // "\x1" then "c" would read back as "\x1c"
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (ch == ';' || ch == ',' || ch == '=')
            needsQuotes = true;
        if (escapeNextIfHex && isHexDigit(ch)) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeNextIfHex = false;
        switch (ch) {
        case 0:
            out += "\\0";
            escapeNextIfHex = true;
            break;
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\v':
            out += "\\v";
            break;
        case '"':
        case '\\':
            out += '\\';
            out += static_cast<char>(ch);
            break;
        default:
            if (ch <= 0x1f || (bytes && ch >= 0x7f)) {
                out += "\\x" + QByteArray::number(ch, 16);
                escapeNextIfHex = true;
            } else if (ch < 0x80) {
                out += static_cast<char>(ch);
            } else {
                const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
                out += QStringView(text).mid(i, length).toUtf8();
                i += length - 1;
            }
        }
    }
    if (needsQuotes || (!out.isEmpty() && (out.front() == ' ' || out.back() == ' ')))
        out = '"' + out + '"';
    return out;
}

QByteArray writtenValue(std::string_view value)
{
    const QByteArray bytes(value.data(), static_cast<qsizetype>(value.size()));
    const QString text = utf8(bytes);
    if (text.toUtf8() != bytes) // not UTF-8: a file name in another encoding
        return escapedValue("@ByteArray(" + QString::fromLatin1(bytes) + ')', true);
    return escapedValue(text.startsWith('@') ? QStringLiteral("@") + text : text, false);
}

// The reverse of escapedValue, as QSettings reads it, except that a bare comma
// stays part of the text instead of making a list.
QString unescapedValue(QByteArrayView raw)
{
    QString out;
    QByteArray run;
    const auto flush = [&] {
        out += utf8(run);
        run.clear();
    };
    const auto skipBlanks = [&](qsizetype& i) {
        while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t'))
            ++i;
    };
    qsizetype i = 0;
    skipBlanks(i);
    qsizetype keepUpTo = 0; // trailing blanks are dropped, but not escaped ones
    bool quoted = false;
    bool inQuotes = false;
    while (i < raw.size()) {
        const char ch = raw[i];
        if (ch == '"') {
            flush();
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipBlanks(i);
                keepUpTo = out.size();
            }
            continue;
        }
        if (ch != '\\') {
            run += ch;
            ++i;
            continue;
        }
        flush();
        if (++i >= raw.size())
            break;
        const char code = raw[i++];
        switch (code) {
        case 'a':
            out += '\a';
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'v':
            out += '\v';
            break;
        case '"':
        case '?':
        case '\'':
        case '\\':
            out += QChar(code);
            break;
        case 'x':
            if (i < raw.size() && hexValue(raw[i]) >= 0) {
                int value = 0;
                while (i < raw.size() && hexValue(raw[i]) >= 0)
                    value = (value << 4) + hexValue(raw[i++]);
                out += QChar(static_cast<char16_t>(value));
            }
            break;
        case '\n':
        case '\r':
            // A line continued on the next one.
            if (i < raw.size() && (raw[i] == '\n' || raw[i] == '\r') && raw[i] != code)
                ++i;
            break;
        default:
            if (code >= '0' && code <= '7') {
                int value = code - '0';
                while (i < raw.size() && raw[i] >= '0' && raw[i] <= '7')
                    value = (value << 3) + (raw[i++] - '0');
                out += QChar(static_cast<char16_t>(value));
            }
            break;
        }
        keepUpTo = out.size();
    }
    flush();
    if (!quoted) {
        while (out.size() > keepUpTo && (out.back() == ' ' || out.back() == '\t'))
            out.chop(1);
    }
    return out;
}

std::optional<std::string> storedValue(const QString& text)
{
    if (text == "@Invalid()")
        return std::nullopt;
    if (text.startsWith("@ByteArray(") && text.endsWith(')'))
        return text.mid(11, text.size() - 12).toLatin1().toStdString();
    if (text.startsWith("@String(") && text.endsWith(')')) // how QSettings writes text holding a NUL
        return text.mid(8, text.size() - 9).toUtf8().toStdString();
    if (text.startsWith("@@"))
        return text.mid(1).toUtf8().toStdString();
    return text.toUtf8().toStdString();
}

// One logical line: from its first non-blank byte to its end, with the first
// '=' outside quotes. Quoted text and a backslash may carry it over line ends;
// a ';' outside quotes starts a comment. nullopt when a line is left open
// (the last one in quotes or on a backslash escaping nothing, any one on a
// backslash escaping a lone CR): written back with more lines after it, it
// would swallow them.
struct Line {
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype equals = -1;
};

std::optional<std::vector<Line>> splitLines(const QByteArray& data, qsizetype pos)
{
    std::vector<Line> lines;
    const qsizetype size = data.size();
    const auto skipToLineEnd = [&](qsizetype& i) {
        while (i < size && data[i] != '\n' && data[i] != '\r')
            ++i;
    };
    while (pos < size) {
        while (pos < size && (data[pos] == ' ' || data[pos] == '\t' || data[pos] == '\n' || data[pos] == '\r'))
            ++pos;
        if (pos == size)
            break;
        if (data[pos] == ';' || data[pos] == '#') {
            skipToLineEnd(pos);
            continue;
        }
        Line line{pos, size, -1};
        bool inQuotes = false;
        bool openEscape = false;     // a backslash at the very end
        qsizetype escapedCrEnd = -1; // just after a backslash and a lone CR
        qsizetype i = pos;
        for (; i < size; ++i) {
            const char ch = data[i];
            if (ch == '\\') {
                // The escaped byte belongs to the line, also a line end (with its pair).
                ++i;
                openEscape = i >= size;
                if (openEscape)
                    continue;
                const bool pair = i + 1 < size && (data[i] == '\n' || data[i] == '\r') &&
                                  (data[i + 1] == '\n' || data[i + 1] == '\r') && data[i + 1] != data[i];
                escapedCrEnd = !pair && data[i] == '\r' ? i + 1 : -1;
                if (pair)
                    ++i;
                continue;
            }
            if (ch == '"')
                inQuotes = !inQuotes;
            else if (ch == '=' && !inQuotes && line.equals < 0)
                line.equals = i;
            else if ((ch == '\n' || ch == '\r' || ch == ';') && !inQuotes)
                break;
        }
        // Written back, such a line would take in the line after it: "\\\r"
        // followed by the "\n" that ends every line is one escaped line end.
        if ((i >= size && (inQuotes || openEscape)) || escapedCrEnd == std::min(i, size))
            return std::nullopt;
        line.end = std::min(i, size);
        lines.push_back(line);
        pos = line.end;
        if (pos < size && data[pos] == ';')
            skipToLineEnd(pos);
    }
    return lines;
}

} // namespace

std::optional<IniText> IniText::parse(const QByteArray& data)
{
    IniText ini;
    const qsizetype start = data.startsWith("\xef\xbb\xbf") ? 3 : 0;
    QString current;
    const std::optional<std::vector<Line>> lines = splitLines(data, start);
    if (!lines)
        return std::nullopt;
    for (const Line& line : *lines) {
        const QByteArrayView text(data.constData() + line.start, line.end - line.start);
        if (text.front() == '[') {
            const qsizetype close = text.indexOf(']');
            if (close < 0)
                return std::nullopt;
            const QByteArray name = text.sliced(1, close - 1).toByteArray().trimmed();
            if (name.compare("general", Qt::CaseInsensitive) == 0)
                current.clear();
            else if (name.compare("%general", Qt::CaseInsensitive) == 0)
                current = QString::fromLatin1(name.mid(1));
            else
                current = unescapedName(name);
            ini.section(current);
            continue;
        }
        if (line.equals < 0)
            return std::nullopt;
        qsizetype keyEnd = line.equals;
        while (keyEnd > line.start && (data[keyEnd - 1] == ' ' || data[keyEnd - 1] == '\t'))
            --keyEnd;
        const QString key = unescapedName(QByteArrayView(data.constData() + line.start, keyEnd - line.start));
        const QByteArray written = data.mid(line.equals + 1, line.end - line.equals - 1);
        ini.put(current, key, storedValue(unescapedValue(written)), written);
    }
    return ini;
}

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const
{
    const Entry* entry = find(fromUtf8(section), fromUtf8(key));
    return entry ? entry->value : std::nullopt;
}

void IniText::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    put(fromUtf8(section), fromUtf8(key), std::string(value), writtenValue(value));
}

QByteArray IniText::text() const
{
    QByteArray out;
    const auto write = [&out](const Section& section) {
        if (section.entries.empty())
            return;
        if (!out.isEmpty())
            out += '\n';
        if (section.name.isEmpty())
            out += "[General]\n";
        else if (section.name.compare("general", Qt::CaseInsensitive) == 0)
            out += "[%" + escapedName(section.name) + "]\n"; // as spelt: "[general]" is the keys outside any
        else
            out += '[' + escapedName(section.name) + "]\n";
        for (const Entry& entry : section.entries)
            out += escapedName(entry.key) + '=' + entry.written + '\n';
    };
    // Keys outside any section come first, as QSettings writes them.
    for (const Section& section : sections_) {
        if (section.name.isEmpty())
            write(section);
    }
    for (const Section& section : sections_) {
        if (!section.name.isEmpty())
            write(section);
    }
    return out;
}

std::vector<IniText::Item> IniText::items() const
{
    std::vector<Item> out;
    for (const Section& section : sections_) {
        for (const Entry& entry : section.entries)
            out.push_back(Item{section.name, entry.key, entry.value});
    }
    return out;
}

IniText::Section& IniText::section(const QString& name)
{
    for (Section& section : sections_) {
        if (section.name == name)
            return section;
    }
    return sections_.emplace_back(Section{name, {}, {}});
}

const IniText::Entry* IniText::find(const QString& section, const QString& key) const
{
    for (const Section& candidate : sections_) {
        if (candidate.name != section)
            continue;
        const auto at = candidate.index.constFind(key);
        if (at != candidate.index.cend())
            return &candidate.entries[*at];
    }
    return nullptr;
}

void IniText::put(const QString& sectionName, const QString& key, std::optional<std::string> value, QByteArray written)
{
    Section& target = section(sectionName);
    const auto at = target.index.constFind(key);
    if (at != target.index.cend()) {
        Entry& entry = target.entries[*at];
        entry.value = std::move(value);
        entry.written = std::move(written);
        return;
    }
    target.index.insert(key, target.entries.size());
    target.entries.push_back(Entry{key, std::move(value), std::move(written)});
}

} // namespace platform
