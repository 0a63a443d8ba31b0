#pragma once

#include "OrvPatchContext.h"

#include <QDialog>

class OrvBatchEdit;

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

protected:
    // The back-stage editor offers the last find and replace texts again; the front-end one does not.
    OrvPatchDialog(QWidget *parent, bool rememberFindReplace);

private:
    OrvBatchEdit *m_batch;
};
