#include "SheetExportDlg.h"
#include "ui_SheetExportDlg.h"

#include "BusyRun.h"
#include "OrvMessage.h"
#include "SheetData.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>

namespace {

// Where the last export went: offered again for the next one.
QString &lastDirectory()
{
    static QString dir = QDir::homePath();
    return dir;
}

QString withSuffix(const QString &path, SheetExport::Format format)
{
    const QFileInfo info(path);
    return QDir(info.path()).filePath(info.completeBaseName() + QLatin1Char('.') + SheetExport::suffix(format));
}

} // namespace

SheetExportDlg::SheetExportDlg(const QString &what, const QString &baseName, const SheetData *shown,
                               const SheetData *whole, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::SheetExportDlg)
    , m_shown(shown)
    , m_whole(whole)
    , m_what(what)
{
    ui->setupUi(this);
    ui->labelWhat->setText(what);
    ui->radioShown->setText(whole ? tr("显示的行和列（%1 行，按当前的筛选和排序）").arg(shown->rowCount())
                                  : tr("全部（%1 行）").arg(shown->rowCount()));
    ui->radioWhole->setVisible(whole != nullptr);
    if (whole)
        ui->radioWhole->setText(tr("整个表（%1 行，所有列）").arg(whole->rowCount()));
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmm"));
    ui->lineEditFile->setText(QDir(lastDirectory()).filePath(QStringLiteral("%1_%2.csv").arg(baseName, stamp)));
    ui->buttonBox->button(QDialogButtonBox::Ok)->setText(tr("导出"));
    ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    connect(ui->pushButtonBrowse, &QPushButton::clicked, this, &SheetExportDlg::onBrowse);
    connect(ui->radioXlsx, &QRadioButton::toggled, this, &SheetExportDlg::onFormatChanged);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &SheetExportDlg::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &SheetExportDlg::reject);
}

SheetExportDlg::~SheetExportDlg()
{
    delete ui;
}

void SheetExportDlg::run(QWidget *parent, const QString &what, const QString &baseName, const SheetData *shown,
                         const SheetData *whole, const Prepare &prepare)
{
    SheetExportDlg dlg(what, baseName, shown, whole, parent);
    dlg.m_prepare = prepare;
    dlg.exec();
}

QString SheetExportDlg::path() const
{
    return ui->lineEditFile->text().trimmed();
}

SheetExport::Options SheetExportDlg::options() const
{
    SheetExport::Options options;
    options.format = ui->radioXlsx->isChecked() ? SheetExport::Format::Xlsx : SheetExport::Format::Csv;
    options.namesOnly = ui->checkBoxNamesOnly->isChecked();
    options.sheetName = m_what;
    return options;
}

const SheetData *SheetExportDlg::chosenRows() const
{
    return m_whole && ui->radioWhole->isChecked() ? m_whole : m_shown;
}

void SheetExportDlg::onBrowse()
{
    const QString csv = tr("CSV 文件 (*.csv)");
    const QString xlsx = tr("XLSX 文件 (*.xlsx)");
    QString filter = ui->radioXlsx->isChecked() ? xlsx : csv;
    const QString chosen = QFileDialog::getSaveFileName(this, tr("导出到"), path(), csv + QStringLiteral(";;") + xlsx, &filter);
    if (chosen.isEmpty())
        return;
    const SheetExport::Format asked = filter == xlsx ? SheetExport::Format::Xlsx : SheetExport::Format::Csv;
    ui->lineEditFile->setText(chosen);
    m_overwriteAsked = chosen; // the file dialog asked already
    (SheetExport::formatOfPath(chosen, asked) == SheetExport::Format::Xlsx ? ui->radioXlsx : ui->radioCsv)->setChecked(true);
}

void SheetExportDlg::onFormatChanged()
{
    if (!path().isEmpty())
        ui->lineEditFile->setText(withSuffix(path(), options().format));
}

void SheetExportDlg::accept()
{
    const QString file = path();
    if (file.isEmpty()) {
        orv_ui::information(this, tr("消息"), tr("请指定要导出到的文件"));
        return;
    }
    if (QFileInfo(file).isFile() && file != m_overwriteAsked
        && orv_ui::information(this, tr("消息"), tr("文件 %1 已存在，要覆盖它吗？").arg(file), QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
        return;
    QString error;
    {
        BusyRun busy(ui->buttonBox);
        if (m_prepare)
            error = m_prepare(chosenRows(), this);
        if (error.isEmpty())
            error = SheetExport::writeFile(*chosenRows(), file, options());
    }
    if (!error.isEmpty()) {
        orv_ui::information(this, tr("导出失败"), error);
        return;
    }
    lastDirectory() = QFileInfo(file).absolutePath();
    orv_ui::information(this, tr("消息"), tr("已导出 %1 行到 %2").arg(chosenRows()->rowCount()).arg(file));
    QDialog::accept();
}
