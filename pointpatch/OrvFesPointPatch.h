#pragma once

#include "OrvPatchContext.h"
#include "OrvPatchFilters.h"

#include <QDialog>
#include <QList>

#include <memory>

class OrvBatchEdit;
class QStandardItemModel;
class QTableView;

namespace Ui {
class OrvFesPointPatch;
}

// Lists the front-end points of one point type for a subsystem, location, RTU and device in
// one table with three column filters, and changes one column of many points at once through
// the batch operations.
class OrvFesPointPatch : public QDialog, private OrvPatchContext
{
    Q_OBJECT
public:
    explicit OrvFesPointPatch(QWidget *parent = nullptr);
    ~OrvFesPointPatch() override;

    // "SUB_SYSTEM = '<subsystem>' AND DEV_TAG IN (<devices>)" for the present choices.
    QString deviceCondition() const;
    QTableView *tableView() const;
    QStandardItemModel *resultModel() const { return m_model; }
    OrvBatchEdit *batchEdit() const { return m_batch; }

public slots:
    void onLocationAndSubsystemChange();
    void onRtuChanged();
    void onPushButtonSearchClicked();
    void onSearchTextChanged(const QString &text);
    void onMenu();
    void onIncrementFrom0ToSelect();
    void onIncrementFrom1ToSelect();
    void onIncrementToSelect();
    void onSameValueToSelect();
    void onFindAndReplaceToSelect();
    void onUndoLastBatch();

private:
    // The table definition file of a point type; empty for an unknown type.
    static QString definitionFile(int nPointType);
    QStringList deviceList() const;
    void loadResult(OrvTableModel *table);

    QTableView *patchView() const override;
    QStandardItemModel *patchModel() const override;
    OrvTableModel *patchTableModel() const override;
    QString patchKeyColumn() const override;

    std::unique_ptr<Ui::OrvFesPointPatch> ui;
    OrvPatchFilters m_filters;
    QStandardItemModel *m_model = nullptr;
    // Model column of each column-box entry.
    QList<int> m_visibleColumns;
    // The point type of the rows shown (-1 before the first search): the filters and the
    // batch operations follow it, not a point type chosen since.
    int m_searchedType = -1;
    OrvBatchEdit *m_batch = nullptr;
};
