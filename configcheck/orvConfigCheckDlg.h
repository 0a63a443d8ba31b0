#pragma once

#include "CfgCheckTypes.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>

#include <functional>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
class checkListItem;
class orvConfigCheck;
class orvErrorListDlg;
class treeCheckWidget;

// Picks check groups, runs them with progress, shows the findings per item and repairs them.
class orvConfigCheckDlg : public QDialog
{
    Q_OBJECT
public:
    enum State { StateReady = 0, StateRepairable = 1, StateFinished = 2 };
    enum Page { CheckListPage = 0, RunListPage = 1, ResultsPage = 2, DonePage = 3 };
    static constexpr int RepairHoldOffMs = 800;

    explicit orvConfigCheckDlg(QWidget *parent = nullptr);
    ~orvConfigCheckDlg() override;

    orvConfigCheck *engine() const { return m_engine; }
    int state() const { return m_state; }
    QPushButton *mainButton() const { return m_mainButton; }
    QStackedWidget *pages() const { return m_pages; }
    QListWidget *checkList() const { return m_checkList; }
    QListWidget *runList() const { return m_runList; }
    QTreeWidget *resultsTree() const { return m_tree; }
    QProgressBar *progressBar() const { return m_progress; }
    QLabel *configProblems() const { return m_configProblems; }
    QLabel *doneText() const { return m_doneText; }
    QList<orvErrorListDlg *> openErrorLists() const;

signals:
    void sigCheckProgress(int nValue);

public slots:
    void onCheckStatusChange();
    void onMsg(QString msg);
    void onItemButtonClick();
    void OnRepairItem(ST_CfgCheckItem *pCheckData);
    // Exports the findings of the last run.
    void onExport();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void runChecks();
    void showRunProgress(int nPercent);
    void showResults();
    // The column-2 cell of a results node: one small button.
    QPushButton *addButtonCell(QTreeWidgetItem *node, const QString &text);
    // An item whose check failed: its reason instead of findings, nothing to repair.
    void addFailedItem(QTreeWidgetItem *groupNode, const ST_CfgCheckItem &item);
    void repairTicked();
    // Asks before the selected findings of the items are deleted, naming the count per table.
    bool confirmRepair(const QList<ST_CfgCheckItem *> &items);
    QString deletedText() const;
    QString repairFailure() const;
    void placeErrorList(QWidget *dlg) const;
    void enterState(State state, const QString &buttonText, Page page);
    // Error lists whose item is about to change under them are closed.
    void closeErrorLists(const std::function<bool(ST_CfgCheckItem *)> &affected, orvErrorListDlg *keep = nullptr);
    // Those of the items the last repair took findings from without repairing them.
    void closeTouchedLists();
    checkListItem *rowWidget(QListWidget *list, int row) const;
    void addRow(QListWidget *list, ST_CfgCheckType *type, int mode);

    orvConfigCheck *m_engine;
    QPushButton *m_mainButton = nullptr;
    QLabel *m_configProblems = nullptr;
    QProgressBar *m_progress = nullptr;
    QStackedWidget *m_pages = nullptr;
    QListWidget *m_checkList = nullptr;
    QListWidget *m_runList = nullptr;
    QTreeWidget *m_tree = nullptr;
    QLabel *m_doneText = nullptr;
    QList<treeCheckWidget *> m_treeChecks;
    QList<QPointer<orvErrorListDlg>> m_errorLists;
    int m_state = StateReady;
    // Since when the main button reads "修复勾选项": a hurried second click of "开始检查" must not delete.
    QElapsedTimer m_repairableSince;
    // The progress bar gives each group of a run this many steps.
    static constexpr int GroupSteps = 1000;
    int m_runGroup = 0;
    int m_runItem = 0;
    int m_runItems = 0;
};
