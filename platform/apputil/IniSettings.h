#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace orv_public {

// A settings file in the INI format that Qt's settings class writes, read and written without
// it: a value that is no text (a serialized variant) reads as its default instead of aborting the
// program, a hand-written value is read whole (commas and semicolons included), and the file is
// written readable by its owner only. Keys are "section/name", as for QSettings.
class IniSettings
{
public:
    // Reads the file; a missing or unreadable file holds no values.
    explicit IniSettings(const QString &path);
    // The same, with a second file that supplies the values the first lacks (an administrator's
    // defaults below a user's own file). Only the first file's values are written back.
    IniSettings(const QString &path, const QString &defaultsPath);

    QString path() const { return m_path; }
    // Why a file that is there could not be read (a folder, no permission); empty when it was
    // read or does not exist.
    QString readError() const { return m_readError; }
    bool contains(const QString &key) const;
    // True when the key is there but its value is no text (it reads as its default).
    bool isUnreadable(const QString &key) const;
    QString value(const QString &key, const QString &fallback = QString()) const;
    // "true"/"1"/"yes"/"on" and their opposites, letter case ignored; anything else gives fallback.
    bool boolValue(const QString &key, bool fallback) const;
    void setValue(const QString &key, const QString &value);

    // Writes every value back, atomically, mode 0600. Empty text on success, else why not.
    QString save() const;

    // Entries that could not be read as text ("section/name: value"), for the log.
    QStringList unreadable() const { return m_unreadable; }

    // The text as Qt's settings class writes a value (quoted and escaped where it must be).
    static QString escapedValue(const QString &value);

private:
    struct Entry
    {
        QString key;   // inside its section, with "/" between components
        QString value;
        bool readable = true;
    };
    struct Section
    {
        QString name;
        QList<Entry> entries;
    };

    // error (when given) says why a file that is there could not be read.
    static QList<Section> read(const QString &path, QStringList &unreadable, QString *error = nullptr);
    static QList<Section> parse(const QString &text, QStringList &unreadable);
    static const Entry *find(const QList<Section> &sections, const QString &key);
    const Entry *find(const QString &key) const;
    static QPair<QString, QString> split(const QString &key);

    QString m_path;
    QString m_readError;
    QList<Section> m_sections;
    QList<Section> m_defaults;
    QStringList m_unreadable;
};

} // namespace orv_public
