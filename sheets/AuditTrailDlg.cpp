#include "AuditTrailDlg.h"
#include "ui_AuditTrailDlg.h"

#include "AuditTrailModel.h"
#include "BusyRun.h"
#include "InstallRoot.h"
#include "SheetViewExport.h"
#include "TableSheet.h"

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QSet>
#include <QSortFilterProxyModel>

namespace {

// A shift: the last twelve hours, to the end of the day.
constexpr int DefaultHours = 12;

} // namespace

AuditTrailDlg::AuditTrailDlg(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::AuditTrailDlg)
    , m_model(new AuditTrailModel(this))
    , m_sorted(new QSortFilterProxyModel(this))
{
    ui->setupUi(this);
    const QDateTime now = QDateTime::currentDateTime();
    ui->dateTimeEditFrom->setDateTime(now.addSecs(-DefaultHours * 3600));
    ui->dateTimeEditTo->setDateTime(QDateTime(now.date(), QTime(23, 59)));
    ui->comboBoxAccount->lineEdit()->setPlaceholderText(tr("所有账户"));
    ui->comboBoxTable->lineEdit()->setPlaceholderText(tr("所有表"));
    ui->comboBoxAccount->addItem(QString());
    ui->comboBoxTable->addItem(QString());
    for (const TableDefinition &def : TableSheet::definitions())
        ui->comboBoxTable->addItem(def.tableName);

    m_sorted->setSourceModel(m_model);
    ui->tableView->setModel(m_sorted);
    ui->tableView->setSortingEnabled(true);
    ui->tableView->sortByColumn(AuditTrail::Time, Qt::AscendingOrder);
    ui->tableView->setWordWrap(false);
    ui->tableView->verticalHeader()->setDefaultSectionSize(22);
    ui->tableView->horizontalHeader()->setStretchLastSection(true);
    connect(ui->pushButtonQuery, &QPushButton::clicked, this, &AuditTrailDlg::onQuery);
    connect(ui->lineEditKey, &QLineEdit::returnPressed, this, &AuditTrailDlg::onQuery);
    connect(SheetViewExport::addAction(this, ui->tableView), &QAction::triggered, this, &AuditTrailDlg::onExport);
    onQuery();
}

AuditTrailDlg::~AuditTrailDlg()
{
    delete ui;
}

QTableView *AuditTrailDlg::view() const
{
    return ui->tableView;
}

QString AuditTrailDlg::statusText() const
{
    return ui->labelStatus->text();
}

AuditTrail::Query AuditTrailDlg::query() const
{
    AuditTrail::Query q;
    q.from = ui->dateTimeEditFrom->dateTime();
    // The minute shown is included whole.
    q.to = ui->dateTimeEditTo->dateTime().addSecs(59).addMSecs(999);
    q.account = ui->comboBoxAccount->currentText().trimmed();
    q.table = ui->comboBoxTable->currentText().trimmed();
    q.key = ui->lineEditKey->text().trimmed();
    q.committedOnly = ui->checkBoxCommitted->isChecked();
    return q;
}

void AuditTrailDlg::setQuery(const AuditTrail::Query &query)
{
    ui->dateTimeEditFrom->setDateTime(query.from);
    ui->dateTimeEditTo->setDateTime(query.to);
    ui->comboBoxAccount->setCurrentText(query.account);
    ui->comboBoxTable->setCurrentText(query.table);
    ui->lineEditKey->setText(query.key);
    ui->checkBoxCommitted->setChecked(query.committedOnly);
}

void AuditTrailDlg::onQuery()
{
    AuditTrail::Result result;
    {
        BusyRun busy(ui->pushButtonQuery);
        result = AuditTrail::read(InstallRoot::logDir(), query());
    }
    m_model->setRecords(result.records);
    ui->tableView->resizeColumnsToContents();
    offerAccounts(result.records);
    QString status = tr("共 %1 条记录").arg(result.records.size());
    if (AuditTrail::files(InstallRoot::logDir()).isEmpty())
        status = tr("还没有修改记录（%1 中没有 audit.log）").arg(QDir::toNativeSeparators(InstallRoot::logDir()));
    if (result.unreadable > 0)
        status += tr("；%1 行无法识别，已跳过").arg(result.unreadable);
    if (!result.error.isEmpty())
        status += QStringLiteral("；") + result.error;
    ui->labelStatus->setText(status);
}

void AuditTrailDlg::offerAccounts(const QVector<AuditTrail::Record> &records)
{
    QSet<QString> known;
    for (int i = 0; i < ui->comboBoxAccount->count(); ++i)
        known.insert(ui->comboBoxAccount->itemText(i));
    for (const AuditTrail::Record &r : records) {
        const QString account = r.fields[AuditTrail::Account];
        if (!known.contains(account)) {
            known.insert(account);
            ui->comboBoxAccount->addItem(account);
        }
    }
}

void AuditTrailDlg::onExport()
{
    SheetViewExport::exportView(this, ui->tableView, AuditTrail::columns(), tr("修改记录"), QStringLiteral("audit"));
}
