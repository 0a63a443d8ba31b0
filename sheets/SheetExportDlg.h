#pragma once

#include "SheetExport.h"

#include <QDialog>

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

    // Asks, writes and says how it went.
    static void run(QWidget *parent, const QString &what, const QString &baseName, const SheetData *shown,
                    const SheetData *whole = nullptr);

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
    const SheetData *m_shown;
    const SheetData *m_whole;
    QString m_what;
    QString m_overwriteAsked;
};
