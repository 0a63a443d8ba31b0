#pragma once

#include "DbConnection.h"
#include "DbRows.h"

#include <QObject>
#include <QThread>

#include <memory>

// Reads off the GUI thread, over a connection of its own, one statement at a time: only the last
// read asked for counts. What an earlier read would deliver is dropped, and its statement is
// stopped when it is still running, so that a slow scan never holds up the one typed after it.
class BackgroundRead : public QObject
{
    Q_OBJECT
public:
    explicit BackgroundRead(QObject *parent = nullptr);
    ~BackgroundRead() override;

    void read(quint64 ticket, const DbLinkParams &params, const QString &sql, const QVariantList &values);
    // Nothing asked for so far is delivered.
    void drop();

    // What this object and its reader thread share.
    struct Shared;

signals:
    void arrived(quint64 ticket, const DbRows &rows);

private:
    void cancelRunning();

    std::shared_ptr<Shared> m_shared;
    QThread *m_thread;
};
