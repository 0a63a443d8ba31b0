#pragma once

#include "OrvPatchDialog.h"
#include "OrvPatchFilters.h"

#include <QList>

#include <memory>

class QStandardItemModel;
class QTableView;

namespace Ui {
class OrvFesPointPatch;
}

// Lists the front-end points of one point type for a subsystem, location, RTU and device in
// one table with three column filters, and changes one column of many points at once through
// the batch operations.
class OrvFesPointPatch : public OrvPatchDialog
{
    Q_OBJECT
public:
    explicit OrvFesPointPatch(QWidget *parent = nullptr);
    ~OrvFesPointPatch() override;

    // "SUB_SYSTEM = '<subsystem>' AND DEV_TAG IN (<devices>)" for the present choices.
    QString deviceCondition() const;
    QTableView *tableView() const;
    QStandardItemModel *resultModel() const { return m_model; }

public slots:
    void onLocationAndSubsystemChange();
    void onRtuChanged();
    void onPushButtonSearchClicked();
    void onSearchTextChanged(const QString &text);

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
};
