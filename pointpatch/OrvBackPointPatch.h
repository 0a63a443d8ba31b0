#pragma once

#include "OrvPatchDialog.h"
#include "OrvPatchFilters.h"

#include <memory>

class OrvPatchResult;
class QAbstractItemModel;
class QTabWidget;
class QTableView;

namespace Ui {
class OrvBackPointPatch;
}

// Lists the back-stage points of a location, subsystem, device group, device, point type and
// front-end RTU on four attribute tabs, narrows them with three text filters and changes one
// column of many rows at once through the batch operations.
class OrvBackPointPatch : public OrvPatchDialog
{
    Q_OBJECT
public:
    enum Tab { TabBase = 0, TabFes = 1, TabLimit = 2, TabControl = 3, TabCount = 4 };

    explicit OrvBackPointPatch(QWidget *parent = nullptr);
    ~OrvBackPointPatch() override;

    // The WHERE clause of the tab's record query for the present choices.
    QString tabCondition(int nTab) const;
    QTabWidget *tabWidget() const { return m_tabs; }
    QTableView *tableView(int nTab) const { return m_views[nTab]; }
    QAbstractItemModel *itemModel(int nTab) const;

public slots:
    void onLocationAndSubsystemChange();
    void onDevGroupChanged();
    void onPushButtonSearchClicked();
    void onSearchTextChanged(const QString &text);
    void onTabChanged(int index);

private:
    // The definition file of a point type's tab; empty where the point type has none.
    static QString modelFile(int nPointType, int nTab);
    void buildTabs();
    void resetFilters();
    void showReadStatus();

    QTableView *patchView() const override;
    OrvTableModel *patchTableModel() const override;
    QString patchKeyColumn() const override;

    std::unique_ptr<Ui::OrvBackPointPatch> ui;
    OrvPatchFilters m_filters;
    QTabWidget *m_tabs = nullptr;
    QTableView *m_views[TabCount] = {};
    // The rows of the last search: the filters and the batch operations follow them, not a
    // point type chosen since.
    OrvPatchResult *m_results[TabCount] = {};
};
