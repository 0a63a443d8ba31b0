#include "SheetImportDlg.h"
#include "ui_SheetImportDlg.h"

#include "DbConnection.h"
#include "ImportPreviewModel.h"
#include "OrvMessage.h"
#include "OrvTableDataMgr.h"
#include "OrvWaitPrgDlg.h"
#include "TableSheet.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>

SheetImportDlg::SheetImportDlg(const QString &table, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::SheetImportDlg)
    , m_preview(new ImportPreviewModel(this))
{
    ui->setupUi(this);
    fillTables(table);
    ui->comboBoxEncoding->addItem(tr("自动识别编码"), QString());
    for (const QString &encoding : CsvFile::encodings())
        ui->comboBoxEncoding->addItem(encoding, encoding);
    ui->comboBoxKind->addItem(tr("全部"), -1);
    for (int kind = 0; kind < ImportPlan::KindCount; ++kind)
        ui->comboBoxKind->addItem(ImportPlan::kindName(ImportPlan::Kind(kind)), kind);
    ui->tableViewPreview->setModel(m_preview);
    ui->tableViewPreview->setWordWrap(false);
    ui->tableViewPreview->verticalHeader()->hide();
    ui->tableViewPreview->verticalHeader()->setDefaultSectionSize(22);
    ui->tableViewPreview->horizontalHeader()->setStretchLastSection(true);
    ui->tableViewPreview->setColumnWidth(ImportPreviewModel::LineColumn, 70);
    ui->tableViewPreview->setColumnWidth(ImportPreviewModel::KindColumn, kindColumnWidth());
    ui->tableViewPreview->setColumnWidth(ImportPreviewModel::KeyColumn, 300);

    connect(ui->pushButtonBrowse, &QPushButton::clicked, this, &SheetImportDlg::onBrowse);
    connect(ui->pushButtonRead, &QPushButton::clicked, this, &SheetImportDlg::onRead);
    connect(ui->pushButtonApply, &QPushButton::clicked, this, &SheetImportDlg::onApply);
    connect(ui->pushButtonUndo, &QPushButton::clicked, this, &SheetImportDlg::onUndo);
    connect(ui->pushButtonClose, &QPushButton::clicked, this, &QDialog::close);
    connect(ui->comboBoxTable, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &SheetImportDlg::onSourceChanged);
    connect(ui->lineEditFile, &QLineEdit::textEdited, this, &SheetImportDlg::onSourceChanged);
    connect(ui->comboBoxEncoding, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        if (!ui->lineEditFile->text().trimmed().isEmpty())
            onRead();
    });
    connect(ui->checkBoxDeleteMissing, &QCheckBox::toggled, this, &SheetImportDlg::onDeleteMissingToggled);
    connect(ui->checkBoxIgnoreUnknown, &QCheckBox::toggled, this, [this] { updateState(); });
    connect(ui->comboBoxKind, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &SheetImportDlg::onKindChanged);
    updateState();
}

SheetImportDlg::~SheetImportDlg()
{
    delete ui;
}

void SheetImportDlg::fillTables(const QString &table)
{
    for (const TableDefinition &def : TableSheet::definitions())
        ui->comboBoxTable->addItem(QStringLiteral("%1  %2").arg(def.tableName, def.description), def.tableName);
    const int wanted = ui->comboBoxTable->findData(table, Qt::UserRole, Qt::MatchFixedString);
    ui->comboBoxTable->setCurrentIndex(qMax(0, wanted));
}

int SheetImportDlg::kindColumnWidth() const
{
    const QFontMetrics metrics(ui->tableViewPreview->font());
    int widest = metrics.horizontalAdvance(m_preview->headerData(ImportPreviewModel::KindColumn, Qt::Horizontal).toString());
    for (int kind = 0; kind < ImportPlan::KindCount; ++kind)
        widest = qMax(widest, metrics.horizontalAdvance(ImportPlan::kindName(ImportPlan::Kind(kind))));
    return widest + 2 * ui->tableViewPreview->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 16;
}

TableDefinition SheetImportDlg::chosenDefinition() const
{
    return OrvTableDataMgr::getInstance()->definitionOfTable(ui->comboBoxTable->currentData().toString());
}

QString SheetImportDlg::statusText() const
{
    return ui->labelStatus->text();
}

void SheetImportDlg::onBrowse()
{
    const QString chosen = QFileDialog::getOpenFileName(this, tr("选择要导入的 CSV 文件"), ui->lineEditFile->text(),
                                                        tr("CSV 文件 (*.csv *.txt);;所有文件 (*)"));
    if (chosen.isEmpty())
        return;
    ui->lineEditFile->setText(chosen);
    onRead();
}

void SheetImportDlg::onSourceChanged()
{
    // What is shown no longer belongs to the table and file named above, nor does what was
    // read: nothing is planned again from it until they are read.
    m_file = CsvFile();
    m_planned = false;
    m_preview->setPlan(nullptr);
    say(QString(), false);
}

void SheetImportDlg::onRead()
{
    onSourceChanged();
    const QString error = readAndPlan();
    if (!error.isEmpty()) {
        say(error, true);
        return;
    }
    m_planned = true;
    m_preview->setPlan(&m_plan);
    say(QString(), false);
}

QString SheetImportDlg::readAndPlan()
{
    const TableDefinition def = chosenDefinition();
    const QString path = ui->lineEditFile->text().trimmed();
    if (!def.isValid())
        return tr("请选择要导入的表");
    if (path.isEmpty())
        return tr("请选择要导入的 CSV 文件");
    const QString encoding = ui->comboBoxEncoding->currentData().toString();
    ImportPlan::Options options;
    options.deleteMissing = ui->checkBoxDeleteMissing->isChecked();
    const DbLinkParams params = OrvTableDataMgr::getInstance()->linkParams();
    // A million rows take seconds: read on a thread and a connection of their own, the window
    // painting under the wait dialog.
    Sources read;
    OrvWaitPrgDlg wait([&read, &def, &path, &encoding, &options, &params] { read = Sources::read(def, path, encoding, options, params); }, this);
    wait.setLabelText(tr("正在读取文件和表…"));
    wait.setRange(0, 0);
    wait.exec();
    m_file = read.file;
    m_columns = read.columns;
    m_plan = read.plan;
    return read.error;
}

SheetImportDlg::Sources SheetImportDlg::Sources::read(const TableDefinition &def, const QString &path, const QString &encoding,
                                                      ImportPlan::Options options, const DbLinkParams &params)
{
    Sources read;
    read.file = CsvFile::read(path, encoding);
    if (!read.file.ok()) {
        read.error = tr("无法导入 %1：%2").arg(QFileInfo(path).fileName(), read.file.error());
        return read;
    }
    read.columns = ImportColumns::match(def, read.file.records());
    if (!read.columns.ok()) {
        read.error = tr("无法导入到表 %1：%2").arg(def.tableName, read.columns.error);
        return read;
    }
    const QString tableError = DbConnection::withOwnConnection(params, QStringLiteral("import_reader"), [&](const QString &name) {
        options.connection = name;
        const auto readTable = [&def, &name](const std::function<void(const QStringList &)> &visit) {
            return TableSheet::forEachRow(def, QString(), visit, name);
        };
        read.plan = ImportPlan::build(def, read.file.takeRecords(), read.columns, readTable, options);
        return read.plan.error();
    });
    if (!tableError.isEmpty())
        read.error = tr("读取表 %1 失败: %2").arg(def.tableName, tableError);
    return read;
}

void SheetImportDlg::onDeleteMissingToggled()
{
    if (!m_planned)
        return;
    // Rows to delete need the table read again; rows not to delete only leave the plan.
    if (ui->checkBoxDeleteMissing->isChecked()) {
        onRead();
        return;
    }
    m_preview->setPlan(nullptr);
    m_plan.dropDeletions();
    m_preview->setPlan(&m_plan);
    updateState();
}

void SheetImportDlg::onKindChanged()
{
    m_preview->setKindFilter(ui->comboBoxKind->currentData().toInt());
}

QString SheetImportDlg::fileInfo() const
{
    if (!m_planned)
        return QString();
    QString text = tr("按 %1 读取%2；表头 %3 行").arg(m_file.encoding(), m_file.detected() ? tr("（自动识别）") : QString()).arg(m_columns.headerRows);
    if (!m_columns.unknown.isEmpty())
        text += tr("。文件中有表中没有的列：%1，勾选“忽略这些列”后才能应用").arg(m_columns.unknown.join(QStringLiteral("、")));
    return text;
}

QString SheetImportDlg::applyRefusal() const
{
    if (OrvTableDataMgr::getInstance()->right() == OrvTableDataMgr::RIGHT_READONLY)
        return tr("当前用户没有修改权限");
    if (!m_planned)
        return tr("请先读取文件");
    if (!m_columns.unknown.isEmpty() && !ui->checkBoxIgnoreUnknown->isChecked())
        return tr("文件中有表中没有的列");
    if (!m_plan.hasWrites())
        return tr("没有需要写入的修改");
    return QString();
}

bool SheetImportDlg::canApply() const
{
    return applyRefusal().isEmpty();
}

bool SheetImportDlg::canUndo() const
{
    return !m_undo.isEmpty() && OrvTableDataMgr::getInstance()->right() != OrvTableDataMgr::RIGHT_READONLY;
}

bool SheetImportDlg::confirmed(const QString &question)
{
    return orv_ui::information(this, tr("消息"), question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void SheetImportDlg::onApply()
{
    if (!canApply())
        return;
    QString question = tr("将写入表 %1：%2").arg(m_plan.definition().tableName, m_plan.summary());
    if (m_plan.count(ImportPlan::Refused) > 0)
        question += QLatin1Char('\n') + tr("被拒绝的 %1 行不会写入。").arg(m_plan.count(ImportPlan::Refused));
    if (m_plan.count(ImportPlan::Deleted) > 0)
        question += QLatin1Char('\n') + tr("将删除表中有、文件中没有的 %1 条记录。").arg(m_plan.count(ImportPlan::Deleted));
    if (!confirmed(question + QLatin1Char('\n') + tr("确定写入吗？")))
        return;
    const QString error = OrvWaitPrgDlg::runWrites(m_plan.writes(), this).error;
    if (!error.isEmpty()) {
        orv_ui::information(this, tr("导入失败"), tr("导入失败，未写入任何记录。") + QLatin1Char('\n') + error);
        return;
    }
    m_undo = m_plan.undoWrites();
    const QString done = tr("已导入：新增 %1，修改 %2，删除 %3")
                             .arg(m_plan.count(ImportPlan::New)).arg(m_plan.count(ImportPlan::Changed)).arg(m_plan.count(ImportPlan::Deleted));
    onRead();
    say(done, false);
    orv_ui::information(this, tr("消息"), done);
}

void SheetImportDlg::onUndo()
{
    if (!canUndo() || !confirmed(tr("撤销上次导入（%1 条记录）吗？").arg(m_undo.size())))
        return;
    const QString error = OrvWaitPrgDlg::runWrites(m_undo, this).error;
    if (!error.isEmpty()) {
        orv_ui::information(this, tr("撤销失败"), tr("撤销失败，未做任何修改。") + QLatin1Char('\n') + error);
        return;
    }
    m_undo.clear();
    onRead();
    const QString done = tr("已撤销上次导入");
    say(done, false);
    orv_ui::information(this, tr("消息"), done);
}

void SheetImportDlg::say(const QString &status, bool problem)
{
    ui->labelStatus->setText(status);
    ui->labelStatus->setStyleSheet(problem ? QStringLiteral("color: #b00020;") : QString());
    updateState();
}

void SheetImportDlg::updateState()
{
    ui->labelCounts->setText(m_planned ? m_plan.summary() : QString());
    ui->labelFileInfo->setText(fileInfo());
    ui->checkBoxIgnoreUnknown->setVisible(m_planned && !m_columns.unknown.isEmpty());
    const QString refusal = applyRefusal();
    ui->pushButtonApply->setEnabled(refusal.isEmpty());
    ui->pushButtonApply->setToolTip(refusal);
    ui->pushButtonUndo->setEnabled(canUndo());
}
