#include "IniSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextCodec>

namespace orv_public {
namespace {

const QLatin1String kGeneral("General");

QString decodeFile(const QByteArray &bytes)
{
    QTextCodec::ConverterState state;
    const QString text = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 ? text : QString::fromLatin1(bytes);
}

int hexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Section and key names: "\" stands for "/", %XX and %UXXXX for other characters.
QString unescapedKey(const QString &raw)
{
    QString key;
    for (int i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == QLatin1Char('\\')) {
            key += QLatin1Char('/');
        } else if (c == QLatin1Char('%') && i + 2 < raw.size() && raw.at(i + 1) == QLatin1Char('U')
                   && i + 5 < raw.size()) {
            key += QChar(ushort(raw.midRef(i + 2, 4).toUShort(nullptr, 16)));
            i += 5;
        } else if (c == QLatin1Char('%') && i + 2 < raw.size() && hexValue(raw.at(i + 1)) >= 0
                   && hexValue(raw.at(i + 2)) >= 0) {
            key += QChar(hexValue(raw.at(i + 1)) * 16 + hexValue(raw.at(i + 2)));
            i += 2;
        } else {
            key += c;
        }
    }
    return key;
}

QString escapedKey(const QString &key)
{
    QString raw;
    for (const QChar c : key) {
        const ushort u = c.unicode();
        if (c == QLatin1Char('/'))
            raw += QLatin1Char('\\');
        else if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u == '-'
                 || u == '.')
            raw += c;
        else if (u < 0x100)
            raw += QStringLiteral("%%1").arg(u, 2, 16, QLatin1Char('0')).toUpper();
        else
            raw += QStringLiteral("%U%1").arg(u, 4, 16, QLatin1Char('0')).toUpper();
    }
    return raw;
}

// Reads the escape sequence at text[i] (just past the backslash) into out; returns the next index.
int readEscape(const QString &text, int i, QString &out)
{
    if (i >= text.size())
        return i;
    const QChar c = text.at(i);
    switch (c.unicode()) {
    case 'a': out += QLatin1Char('\a'); return i + 1;
    case 'b': out += QLatin1Char('\b'); return i + 1;
    case 'f': out += QLatin1Char('\f'); return i + 1;
    case 'n': out += QLatin1Char('\n'); return i + 1;
    case 'r': out += QLatin1Char('\r'); return i + 1;
    case 't': out += QLatin1Char('\t'); return i + 1;
    case 'v': out += QLatin1Char('\v'); return i + 1;
    case 'x': {
        int j = i + 1;
        uint code = 0;
        while (j < text.size() && j < i + 5 && hexValue(text.at(j)) >= 0)
            code = code * 16 + uint(hexValue(text.at(j++)));
        out += QChar(ushort(code));
        return j;
    }
    default:
        if (c >= QLatin1Char('0') && c <= QLatin1Char('7')) {
            int j = i;
            uint code = 0;
            while (j < text.size() && j < i + 3 && text.at(j) >= QLatin1Char('0') && text.at(j) <= QLatin1Char('7'))
                code = code * 8 + (text.at(j++).unicode() - '0');
            out += QChar(ushort(code));
            return j;
        }
        out += c; // \" \' \\ \? and anything else stand for themselves
        return i + 1;
    }
}

// The value of an entry: quoted parts unquoted, escapes resolved, the rest taken whole.
QString unescapedValue(const QString &raw)
{
    QString value;
    bool quoted = false;
    for (int i = 0; i < raw.size();) {
        const QChar c = raw.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            ++i;
        } else if (c == QLatin1Char('\\')) {
            i = readEscape(raw, i + 1, value);
        } else {
            value += c;
            ++i;
        }
    }
    return value;
}

// What a stored text means: "@@x" is "@x", "@String(x)" and "@ByteArray(x)" are x; other
// "@Type(...)" values are serialized variants, which are no text.
bool textOfStored(const QString &stored, QString *text)
{
    if (!stored.startsWith(QLatin1Char('@'))) {
        *text = stored;
        return true;
    }
    if (stored.startsWith(QLatin1String("@@"))) {
        *text = stored.mid(1);
        return true;
    }
    for (const char *wrapper : {"@String(", "@ByteArray("}) {
        const QLatin1String prefix(wrapper);
        if (stored.startsWith(prefix) && stored.endsWith(QLatin1Char(')'))) {
            *text = stored.mid(prefix.size(), stored.size() - prefix.size() - 1);
            return true;
        }
    }
    if (stored.contains(QLatin1Char('(')))
        return false;
    *text = stored; // a hand-written "@name" is just text
    return true;
}

} // namespace

IniSettings::IniSettings(const QString &path)
    : m_path(path)
{
    m_sections = read(path, m_unreadable, &m_readError);
}

IniSettings::IniSettings(const QString &path, const QString &defaultsPath)
    : IniSettings(path)
{
    if (QFileInfo(defaultsPath) != QFileInfo(path))
        m_defaults = read(defaultsPath, m_unreadable);
}

QList<IniSettings::Section> IniSettings::read(const QString &path, QStringList &unreadable, QString *error)
{
    QFile file(path);
    if (!file.exists())
        return {};
    QString why;
    if (QFileInfo(path).isDir())
        why = QCoreApplication::translate("IniSettings", "这是一个文件夹，不是文件");
    else if (!file.open(QIODevice::ReadOnly))
        why = file.errorString();
    if (error)
        *error = why;
    return why.isEmpty() ? parse(decodeFile(file.readAll()), unreadable) : QList<Section>();
}

QList<IniSettings::Section> IniSettings::parse(const QString &text, QStringList &unreadable)
{
    QList<Section> sections;
    Section *section = nullptr;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    const QStringList lines = text.split(lineBreak);
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            sections.append(Section{unescapedKey(line.mid(1, line.size() - 2).trimmed()), {}});
            section = &sections.last();
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        if (!section) {
            sections.append(Section{kGeneral, {}});
            section = &sections.last();
        }
        Entry entry;
        entry.key = unescapedKey(line.left(eq).trimmed());
        QString value;
        entry.readable = textOfStored(unescapedValue(line.mid(eq + 1).trimmed()), &value);
        entry.value = value;
        if (!entry.readable)
            unreadable.append(section->name + QLatin1Char('/') + entry.key + QStringLiteral(": ") + line.mid(eq + 1).trimmed());
        section->entries.append(entry);
    }
    return sections;
}

QPair<QString, QString> IniSettings::split(const QString &key)
{
    const int slash = key.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return {kGeneral, key};
    return {key.left(slash), key.mid(slash + 1)};
}

const IniSettings::Entry *IniSettings::find(const QList<Section> &sections, const QString &key)
{
    const QPair<QString, QString> parts = split(key);
    // A later entry of the same name wins, as when the file is read top to bottom.
    const Entry *found = nullptr;
    for (const Section &s : sections)
        if (s.name == parts.first)
            for (const Entry &e : s.entries)
                if (e.key == parts.second)
                    found = &e;
    return found;
}

// An entry of the file itself, else the defaults' one; an unreadable own value yields to a default.
const IniSettings::Entry *IniSettings::find(const QString &key) const
{
    const Entry *own = find(m_sections, key);
    if (own && own->readable)
        return own;
    const Entry *fallback = find(m_defaults, key);
    return fallback ? fallback : own;
}

bool IniSettings::contains(const QString &key) const
{
    const Entry *e = find(key);
    return e && e->readable;
}

bool IniSettings::isUnreadable(const QString &key) const
{
    const Entry *e = find(key);
    return e && !e->readable;
}

QString IniSettings::value(const QString &key, const QString &fallback) const
{
    const Entry *e = find(key);
    return e && e->readable ? e->value : fallback;
}

bool IniSettings::boolValue(const QString &key, bool fallback) const
{
    const QString v = value(key).trimmed().toLower();
    if (v == QLatin1String("true") || v == QLatin1String("1") || v == QLatin1String("yes") || v == QLatin1String("on"))
        return true;
    if (v == QLatin1String("false") || v == QLatin1String("0") || v == QLatin1String("no") || v == QLatin1String("off"))
        return false;
    return fallback;
}

void IniSettings::setValue(const QString &key, const QString &value)
{
    const QPair<QString, QString> parts = split(key);
    Section *section = nullptr;
    for (Section &s : m_sections)
        if (s.name == parts.first)
            section = &s;
    if (!section) {
        m_sections.append(Section{parts.first, {}});
        section = &m_sections.last();
    }
    for (Entry &e : section->entries) {
        if (e.key == parts.second) {
            e.value = value;
            e.readable = true;
            return;
        }
    }
    section->entries.append(Entry{parts.second, value, true});
}

QString IniSettings::escapedValue(const QString &value)
{
    const QString stored = value.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + value : value;
    QString out;
    bool needsQuotes = false;
    bool escapeNextIfHexDigit = false;
    for (const QChar c : stored) {
        const ushort u = c.unicode();
        if (u == ';' || u == ',' || u == '=')
            needsQuotes = true;
        if (escapeNextIfHexDigit && hexValue(c) >= 0) {
            out += QStringLiteral("\\x%1").arg(u, 0, 16);
            continue;
        }
        escapeNextIfHexDigit = false;
        switch (u) {
        case '\0': out += QLatin1String("\\0"); escapeNextIfHexDigit = true; break;
        case '\a': out += QLatin1String("\\a"); break;
        case '\b': out += QLatin1String("\\b"); break;
        case '\f': out += QLatin1String("\\f"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '\v': out += QLatin1String("\\v"); break;
        case '"':
        case '\\': out += QLatin1Char('\\'); out += c; break;
        default:
            if (u <= 0x1F || u >= 0x7F) {
                out += QStringLiteral("\\x%1").arg(u, 0, 16);
                escapeNextIfHexDigit = true;
            } else {
                out += c;
            }
        }
    }
    if (needsQuotes || out.startsWith(QLatin1Char(' ')) || out.endsWith(QLatin1Char(' ')))
        out = QLatin1Char('"') + out + QLatin1Char('"');
    return out;
}

QString IniSettings::save() const
{
    QString text;
    for (const Section &s : m_sections) {
        if (s.entries.isEmpty())
            continue;
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QLatin1Char('[') + escapedKey(s.name) + QLatin1String("]\n");
        for (const Entry &e : s.entries)
            if (e.readable)
                text += escapedKey(e.key) + QLatin1Char('=') + escapedValue(e.value) + QLatin1Char('\n');
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // The file may hold a password: nobody but its owner reads it, not even while it is written.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(text.toUtf8());
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace orv_public
