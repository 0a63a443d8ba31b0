#pragma once

#include <QStringList>
#include <QVector>
#include <QWidget>

class ColumnWidths;
class OrvTableModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class OrvEditMarksProxy;
class QTimer;
class QTabBar;
class QTableView;

// The property panel page: the records of one or more tables (the definition names are the
// page parameters), sortable and filterable, edited in place and saved in one transaction.
class OrvPropertyPage : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *PluginName = "PropertyPanel";

    OrvPropertyPage(const QStringList &definitions, QWidget *parent);

    QTableView *view() const { return m_view; }
    OrvTableModel *currentModel() const;
    QString statusText() const;
    // True when a table of the page holds edits not yet saved.
    bool hasUnsavedChanges() const;
    QStringList unsavedTables() const;
    // Saves the tables with edits one after the other; false at the first that fails, which the
    // page then shows with its message.
    bool saveAllChanges();

public slots:
    void onTableChanged(int index);
    void onFilterChanged();
    void onSave();
    void onRevert();
    void onReload();

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void applyFilter();
    void onCellActivated(const QModelIndex &index);
    void onEditRefused(const QString &reason);
    void onTablesChanged(const QStringList &tables);
    void updateState();

private:
    void showModel(OrvTableModel *model);
    // Reads the model again unless it is current or holds edits.
    void refreshIfStale(OrvTableModel *model);
    // Selects the cell a save failed on and names it in the status line.
    void showFailedCell(OrvTableModel *model);

    QVector<OrvTableModel *> m_models;
    QTabBar *m_tabs = nullptr;
    QComboBox *m_filterColumn = nullptr;
    QLineEdit *m_filter = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_revert = nullptr;
    QLabel *m_status = nullptr;
    QTableView *m_view = nullptr;
    OrvEditMarksProxy *m_proxy = nullptr;
    // Keystrokes that arrive while the page is busy are filtered once, with the latest text.
    QTimer *m_filterTimer = nullptr;
    QString m_message;
    ColumnWidths *m_widths = nullptr;
};
