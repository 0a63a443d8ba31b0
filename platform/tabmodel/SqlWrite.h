#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVector>

// One write the library executes, kept as what it changes (table, key, columns, old and new
// values, the values the row must still hold) until the runner checks it and renders the
// statement. A null value stands for SQL NULL.
struct SqlWrite
{
    enum Kind { Update, Delete, Insert };
    // How the statement reads: the tool's quoted-literal templates, values bound to ?, or the
    // text a caller handed in, which runs as given.
    enum Form { Template, Bound, Given };

    struct Cell
    {
        QString column;
        QVariant value;        // the new value
        QVariant old;          // the stored one, where the writer knows it
        bool oldKnown = false;
    };
    // column = value; IS NULL for a null value; emptyTextToo also takes '' (a text cell read as empty).
    struct Condition
    {
        QString column;
        QVariant value;
        bool emptyTextToo = false;
    };

    Kind kind = Update;
    Form form = Bound;
    QString table;
    QVector<Condition> key;    // the row's key columns as stored (an insert's: for the audit trail)
    QVector<Cell> cells;       // what an update sets or an insert gives
    QVector<Condition> guards; // further values the row must still hold
    QString givenText;         // the statement of a Given write
    // Changing more rows than this fails the batch (0: no limit). The tool's own writes name one
    // record by its key; a key that several rows hold (no unique key on the site's table, a
    // collation that ignores case or trailing blanks) would change rows nobody was shown.
    int mostRows = 1;

    // "UPDATE <table> SET <column> = '<value>' WHERE <keyColumn> = '<key>';"
    static SqlWrite templateUpdate(const QString &table, const QString &keyColumn, const QString &key,
                                   const QString &column, const QString &value, const QVariant &old = QVariant(),
                                   bool oldKnown = false);
    // "delete from <table> where <keyColumn> = '<key>';"
    static SqlWrite templateDelete(const QString &table, const QString &keyColumn, const QString &key);

    // Takes a statement text apart. It must be one UPDATE ... SET ... WHERE, DELETE FROM ... WHERE
    // or INSERT INTO ... (...) VALUES (...) whose values are quoted texts, numbers or NULL and
    // whose conditions are "column = value" or "column IS NULL" joined by AND; anything else
    // cannot be checked, and error says so.
    static SqlWrite fromText(const QString &sql, QString *error);

    // The statement (with ? for bound values) and the values bound to it, in order.
    QString sql() const;
    QVariantList boundValues() const;
    QString kindName() const;
    // The key columns and their values joined by ",", for messages and the audit trail.
    QString keyColumns() const;
    QString keyValues() const;
};
