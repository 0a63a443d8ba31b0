#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "AuditTrailDlg.h"
#include "Common.h"
#include "DefinitionText.h"
#include "OrvBackPointPatch.h"
#include "OrvFesPointDlg.h"
#include "OrvFesPointPatch.h"
#include "OrvLog.h"
#include "OrvMessage.h"
#include "OrvMsgContrl.h"
#include "OrvPropertyPage.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "QuitQuestion.h"
#include "SheetImportDlg.h"
#include "SheetViewExport.h"
#include "WindowMemory.h"
#include "orvConfigCheckDlg.h"
#include "orvDevPointWidget.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTableView>
#include <QToolBar>
#include <QVariant>
#include <QXmlStreamReader>

#include <memory>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    setWindowTitle(tr("设备建模"));
    m_pages = new QStackedWidget(this);
    setCentralWidget(m_pages);
    readToolBarSetting(Common::getTreePath(QStringLiteral("mainWindow.xml")));

    m_status = new QLabel(this);
    statusBar()->addPermanentWidget(m_status, 0);
    onPermentStatus(OrvTableDataMgr::getInstance()->getDbInfo());
    showReadOnlyBadge();

    // Hidden unless the engineer switches them on in ModelConfig.ini ([ui] showBatchEditors=true).
    const bool editors = Common::modelConfig().boolValue(QStringLiteral("ui/showBatchEditors"), false);
    ui->action_bak->setVisible(editors);
    ui->action_fes->setVisible(editors);

    connect(ui->action_6, &QAction::triggered, this, &MainWindow::onPrimaryKeyEditable);
    connect(ui->action_17, &QAction::triggered, this, &MainWindow::onVersion);
    connect(ui->action_9, &QAction::triggered, this, &MainWindow::onFesPointSearch);
    connect(ui->action_14, &QAction::triggered, this, &MainWindow::onPointSearch);
    connect(ui->action_bak, &QAction::triggered, this, &MainWindow::onShowBackStageDialog);
    connect(ui->action_fes, &QAction::triggered, this, &MainWindow::onShowFesDialog);
    connect(ui->action_cfgCheck, &QAction::triggered, this, &MainWindow::onConfigCheck);
    connect(ui->action_export, &QAction::triggered, this, &MainWindow::onExport);
    connect(ui->action_import, &QAction::triggered, this, &MainWindow::onImport);
    connect(ui->action_changes, &QAction::triggered, this, &MainWindow::onChangeRecords);
    offerSheetsOnPages();
    connect(OrvTableDataMgr::getInstance(), &OrvTableDataMgr::dbError, this, &MainWindow::onDbError);
    // A lost link, opened again or not, is said where the engineer is looking anyway.
    connect(OrvTableDataMgr::getInstance(), &OrvTableDataMgr::linkStatus, this,
            [this](const QString &text) { statusBar()->showMessage(text, LinkStatusMs); });

    OrvMsgContrl::getInstance()->installMainWindow(this);
    WindowMemory::restoreGeometry(this);
    showLastPage();
}

void MainWindow::showReadOnlyBadge()
{
    if (OrvTableDataMgr::getInstance()->right() != OrvTableDataMgr::RIGHT_READONLY)
        return;
    auto *badge = new QLabel(tr("只读"), this);
    badge->setObjectName(QStringLiteral("readOnlyBadge"));
    badge->setToolTip(tr("当前用户没有修改权限：可以查看，不能修改"));
    badge->setStyleSheet(QStringLiteral("QLabel { color: white; background: #b05a00; padding: 1px 6px; border-radius: 3px; }"));
    statusBar()->addPermanentWidget(badge, 0);
}

void MainWindow::showLastPage()
{
    const int page = WindowMemory::lastPage(m_pages);
    if (page < 0)
        return;
    for (QAction *action : ui->mainToolBar->actions())
        if (action->isCheckable() && action->data().toInt() == page) {
            action->setChecked(true);
            onActionGrpTrigger(action);
        }
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::setPrimaryKeyEditable(bool on)
{
    ui->action_6->setChecked(on);
    onPrimaryKeyEditable(on);
}

void MainWindow::readToolBarSetting(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    auto *group = new QActionGroup(this);
    int page = 0;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd() && !xml.hasError()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Item"))
            continue;
        const QXmlStreamAttributes attrs = xml.attributes();
        const QString used = attrs.value(QLatin1String("used")).toString();
        const QString text = orv_public::definitionText("mainWindow.xml", attrs.value(QLatin1String("text")).toString());
        const QString id = attrs.value(QLatin1String("id")).toString();
        const QString icon = attrs.value(QLatin1String("icon")).toString();
        const QString param = attrs.value(QLatin1String("param")).toString();

        // The values live as long as the process: pages may keep their addresses.
        QVector<void *> params;
        if (!param.isEmpty())
            for (const QString &p : param.split(QLatin1Char(';')))
                params.append(new QVariant(p));
        QWidget *widget = Common::createPluginWidget(this, id, params);
        if (used != QLatin1String("true") || !widget) {
            // Not a page: it must neither cover the window nor read its tables.
            if (widget)
                widget->hide();
            continue;
        }

        auto *action = new QAction(QIcon(icon), text, this);
        m_pages->addWidget(widget);
        action->setData(page++);
        ui->mainToolBar->addAction(action);
        action->setCheckable(true);
        group->addAction(action);
    }
    connect(group, &QActionGroup::triggered, this, &MainWindow::onActionGrpTrigger);

    auto *exit = new QAction(QIcon(QStringLiteral(":/icons/icons/exit.png")), tr("退出"), this);
    ui->mainToolBar->addSeparator();
    ui->mainToolBar->addAction(exit);
    connect(exit, &QAction::triggered, this, &MainWindow::close);

    if (xml.hasError())
        ORV_LOG_ERROR(tr("读取mainWindow.xml文件错误，请检查xml文件格式是否正确！"));
}

void MainWindow::onActionGrpTrigger(QAction *action)
{
    if (action)
        m_pages->setCurrentIndex(action->data().toInt());
}

void MainWindow::onDbError(const QString &error)
{
    orv_ui::information(this, tr("数据库错误"), tr("数据库错误：") + error);
}

void MainWindow::onPrimaryKeyEditable(bool checked)
{
    OrvTableDataMgr::getInstance()->setPrimaryEditable(checked);
}

void MainWindow::onPermentStatus(const QString &info)
{
    m_status->setText(info);
}

QString MainWindow::statusText() const
{
    return m_status->text();
}

void MainWindow::onVersion()
{
    QMessageBox::about(this, tr("设备建模"), tr("版本号:%1").arg(Common::getSoftwareVersion()));
}

void MainWindow::onPointSearch()
{
    auto *widget = new orvDevPointWidget(nullptr);
    widget->setPointValueEnable(false);
    widget->setMultiSelectPointEnable(false);
    auto *dialog = new QDialog(nullptr);
    auto *layout = new QHBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget);
    dialog->resize(750, 475);
    connect(widget, &orvDevPointWidget::sigOk, dialog, &QDialog::accept);
    dialog->exec();
    delete dialog;
}

void MainWindow::onFesPointSearch()
{
    // One dialog for the whole session: it keeps the user's place between uses.
    if (!m_fesPointDlg) {
        m_fesPointDlg = new OrvFesPointDlg(this);
        m_fesPointDlg->setModal(false);
    }
    m_fesPointDlg->show();
    m_fesPointDlg->raise();
    m_fesPointDlg->activateWindow();
}

void MainWindow::onShowBackStageDialog()
{
    showEditor(new OrvBackPointPatch(this));
}

void MainWindow::onShowFesDialog()
{
    showEditor(new OrvFesPointPatch(this));
}

void MainWindow::showEditor(QDialog *editor)
{
    // A new editor every time: closing one frees its rows.
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->setModal(false);
    editor->show();
}

void MainWindow::onConfigCheck()
{
    auto *dlg = new orvConfigCheckDlg(this);
    dlg->setModal(false);
    dlg->show();
}

void MainWindow::offerSheetsOnPages()
{
    for (OrvPropertyPage *page : m_pages->findChildren<OrvPropertyPage *>()) {
        page->view()->setContextMenuPolicy(Qt::ActionsContextMenu);
        page->view()->addActions({ui->action_export, ui->action_import});
    }
}

void MainWindow::onExport()
{
    auto *page = qobject_cast<OrvPropertyPage *>(m_pages->currentWidget());
    OrvTableModel *model = page ? page->currentModel() : nullptr;
    if (!model) {
        orv_ui::information(this, tr("消息"), tr("当前页面没有可以导出的表格"));
        return;
    }
    SheetViewExport::exportTable(this, page->view(), model, tr("%1（%2）").arg(model->tableDescription(), model->getTableName()));
}

void MainWindow::onImport()
{
    auto *page = qobject_cast<OrvPropertyPage *>(m_pages->currentWidget());
    OrvTableModel *model = page ? page->currentModel() : nullptr;
    showEditor(new SheetImportDlg(model ? model->getTableName() : QString(), this));
}

void MainWindow::onChangeRecords()
{
    showEditor(new AuditTrailDlg(this));
}

QStringList MainWindow::unsavedTables() const
{
    QStringList tables;
    for (const OrvPropertyPage *page : m_pages->findChildren<OrvPropertyPage *>())
        tables.append(page->unsavedTables());
    return tables;
}

bool MainWindow::saveAllPages()
{
    for (OrvPropertyPage *page : m_pages->findChildren<OrvPropertyPage *>()) {
        if (!page->hasUnsavedChanges())
            continue;
        // A save that fails is shown on its page.
        m_pages->setCurrentWidget(page);
        if (!page->saveAllChanges())
            return false;
    }
    return true;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    const QuitQuestion::Answer answer = QuitQuestion::ask(this, unsavedTables());
    if (answer == QuitQuestion::Stay || (answer == QuitQuestion::SaveAndQuit && !saveAllPages())) {
        event->ignore();
        return;
    }
    const QString error = WindowMemory::save(this, m_pages);
    if (!error.isEmpty())
        ORV_LOG_ERROR(tr("无法保存窗口设置: %1").arg(error));
    event->accept();
}
