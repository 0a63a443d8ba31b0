#pragma once

#include "OrvPatchDialog.h"
#include "OrvPatchFilters.h"

#include <memory>

class OrvPatchResult;
class QAbstractItemModel;
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
    QAbstractItemModel *resultModel() const;

public slots:
    void onLocationAndSubsystemChange();
    void onRtuChanged();
    void onPushButtonSearchClicked();
    void onSearchTextChanged(const QString &text);

private:
    // The table definition file of a point type; empty for an unknown type.
    static QString definitionFile(int nPointType);
    QStringList deviceList() const;
    void showReadStatus();

    QTableView *patchView() const override;
    OrvTableModel *patchTableModel() const override;
    QString patchKeyColumn() const override;

    std::unique_ptr<Ui::OrvFesPointPatch> ui;
    OrvPatchFilters m_filters;
    // The rows of the last search: the filters and the batch operations follow them, not a
    // point type chosen since.
    OrvPatchResult *m_result = nullptr;
};
