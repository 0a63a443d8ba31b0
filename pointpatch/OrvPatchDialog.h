#pragma once

#include "DbRows.h"
#include "OrvPatchContext.h"
#include "OrvReadStatus.h"

#include <QDialog>

class OrvBatchEdit;
class QComboBox;

// What both batch editors are: a dialog whose context menu runs the shared batch operations on
// the context the editor supplies. The menu's entries call these slots.
class OrvPatchDialog : public QDialog, protected OrvPatchContext
{
    Q_OBJECT
public:
    OrvBatchEdit *batchEdit() const { return m_batch; }

public slots:
    void onMenu();
    void onIncrementFrom0ToSelect();
    void onIncrementFrom1ToSelect();
    void onIncrementToSelect();
    void onSameValueToSelect();
    void onFindAndReplaceToSelect();
    void onUndoLastBatch();
    void onExport();

protected:
    // The back-stage editor offers the last find and replace texts again; the front-end one does not.
    OrvPatchDialog(QWidget *parent, bool rememberFindReplace);

    // Fills a selection list, saying a failed read of it in the status line.
    void fillList(QComboBox *combo, const QString &what, const DbRows &choices, bool withAll);

    // The editor's line for failed reads, set up with its form.
    OrvReadStatus m_readStatus;

private:
    OrvBatchEdit *m_batch;
};
