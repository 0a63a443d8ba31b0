#pragma once

#include "SheetExport.h"

#include <QDialog>

#include <functional>

class SheetData;

namespace Ui {
class SheetExportDlg;
}

// Asks where and how to export a table (file, CSV or XLSX, the rows shown or the whole table,
// the header rows) and writes it.
class SheetExportDlg : public QDialog
{
    Q_OBJECT
public:
    // whole: the whole table, when it is more than what is shown; what goes in the file name.
    SheetExportDlg(const QString &what, const QString &baseName, const SheetData *shown, const SheetData *whole,
                   QWidget *parent);
    ~SheetExportDlg() override;

    // Reads the rows of the sheet chosen before they are written, for sheets that read them only
    // then (a wait dialog stands over dialog); why they could not be read.
    using Prepare = std::function<QString(const SheetData *chosen, QWidget *dialog)>;

    // Asks, writes and says how it went.
    static void run(QWidget *parent, const QString &what, const QString &baseName, const SheetData *shown,
                    const SheetData *whole = nullptr, const Prepare &prepare = {});

    QString path() const;
    SheetExport::Options options() const;
    const SheetData *chosenRows() const;

public slots:
    void accept() override;

private slots:
    void onBrowse();
    void onFormatChanged();

private:
    Ui::SheetExportDlg *ui;
    Prepare m_prepare;
    const SheetData *m_shown;
    const SheetData *m_whole;
    QString m_what;
    QString m_overwriteAsked;
};
