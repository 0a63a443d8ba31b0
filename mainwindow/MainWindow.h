#pragma once

#include <QMainWindow>

class OrvFesPointDlg;
class QAction;
class QDialog;
class QLabel;
class QStackedWidget;

namespace Ui {
class MainWindow;
}

// The tool's single top-level window: tool-bar pages read from mainWindow.xml, the menu of
// the tool's own dialogs, the link's status text and the confirmation before closing.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Milliseconds a message about the link stays in the status bar.
    static constexpr int LinkStatusMs = 15000;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    void setPrimaryKeyEditable(bool on);
    void readToolBarSetting(const QString &path);

    QStackedWidget *pages() const { return m_pages; }
    QString statusText() const;

public slots:
    void onActionGrpTrigger(QAction *action);
    void onDbError(const QString &error);
    void onPrimaryKeyEditable(bool checked);
    void onPermentStatus(const QString &info);
    void onVersion();
    void onPointSearch();
    void onFesPointSearch();
    void onShowBackStageDialog();
    void onShowFesDialog();
    void onConfigCheck();
    void onExport();
    void onImport();
    void onChangeRecords();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showEditor(QDialog *editor);
    // The pages' tables with unsaved edits, and saving them all before quitting.
    QStringList unsavedTables() const;
    bool saveAllPages();
    void showReadOnlyBadge();
    void showLastPage();
    // Export and import in the context menus of the pages' tables.
    void offerSheetsOnPages();

    Ui::MainWindow *ui;
    QStackedWidget *m_pages = nullptr;
    QLabel *m_status = nullptr;
    OrvFesPointDlg *m_fesPointDlg = nullptr;
};
