#pragma once

#include "DbRows.h"
#include "PointCatalogue.h"

#include <QStringList>
#include <QVariantList>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

// Browses the back-stage points: locations -> device groups -> devices on the left, the
// device's points of the four types on the right, and a search over tag names and descriptions.
class orvDevPointWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int SearchLimit = 500;

    explicit orvDevPointWidget(QWidget *parent = nullptr);

    // Shows the front-end point each back-stage point takes its value from.
    void setPointValueEnable(bool enable);
    void setMultiSelectPointEnable(bool enable);

    // "table;tag;description" of every selected point, top to bottom.
    QStringList selectedPoints() const;

    QTreeWidget *deviceTree() const { return m_tree; }
    QTableWidget *pointTable() const { return m_points; }

public slots:
    void onSearch();

signals:
    void sigOk();

private slots:
    void onItemExpanded(QTreeWidgetItem *item);
    void onDeviceChanged();
    // The type chosen narrows what is shown: the search's points, or the device's.
    void onTypeChanged();
    void onSelectionChanged();

private:
    void loadLocations();
    // The points each type's read gives (at most the limit it is passed), all types or the chosen one.
    void showPoints(const std::function<DbRows(const PointCatalogue::PointType &, int)> &read);
    void fillValueSources();
    // Says a failed read in the summary line; true when it failed.
    bool sayFailure(const DbRows &rows);

    QLineEdit *m_search = nullptr;
    QComboBox *m_type = nullptr;
    QTreeWidget *m_tree = nullptr;
    QTableWidget *m_points = nullptr;
    QLabel *m_summary = nullptr;
    QPushButton *m_ok = nullptr;
    bool m_showValues = true;
    bool m_searched = false; // the points shown are a search's, not the device's
};
