#include "OrvPatchDialog.h"

#include "OrvBatchEdit.h"
#include "OrvPatchTable.h"

OrvPatchDialog::OrvPatchDialog(QWidget *parent, bool rememberFindReplace)
    : QDialog(parent)
    , m_batch(new OrvBatchEdit(this, this, rememberFindReplace))
{
}

void OrvPatchDialog::fillList(QComboBox *combo, const QString &what, const DbRows &choices, bool withAll)
{
    m_readStatus.report(what, choices);
    OrvPatchTable::fillCombo(combo, choices, withAll);
}

void OrvPatchDialog::onMenu()
{
    m_batch->showMenu();
}

void OrvPatchDialog::onIncrementFrom0ToSelect()
{
    m_batch->incrementToSelect(0);
}

void OrvPatchDialog::onIncrementFrom1ToSelect()
{
    m_batch->incrementToSelect(1);
}

void OrvPatchDialog::onIncrementToSelect()
{
    m_batch->customIncrementToSelect();
}

void OrvPatchDialog::onSameValueToSelect()
{
    m_batch->sameValueToSelect();
}

void OrvPatchDialog::onFindAndReplaceToSelect()
{
    m_batch->findAndReplaceToSelect();
}

void OrvPatchDialog::onUndoLastBatch()
{
    m_batch->undoLastBatch();
}

void OrvPatchDialog::onExport()
{
    m_batch->exportRows();
}
