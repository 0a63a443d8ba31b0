#pragma once

#include "CsvFile.h"
#include "ImportColumns.h"
#include "ImportPlan.h"
#include "SqlWrite.h"

#include <QDialog>
#include <QList>

class ImportPreviewModel;
struct DbLinkParams;

namespace Ui {
class SheetImportDlg;
}

// Imports a CSV file into one table: reads the file and the table, previews per row what would
// change (new, changed cell by cell, unchanged, refused and why, deleted), and on request
// writes the accepted rows in one transaction through the library; the last import can be
// undone while nobody changed its rows since.
class SheetImportDlg : public QDialog
{
    Q_OBJECT
public:
    // table: the table offered first (letter case ignored); the first one when empty or unknown.
    SheetImportDlg(const QString &table, QWidget *parent);
    ~SheetImportDlg() override;

    const ImportPlan &plan() const { return m_plan; }
    ImportPreviewModel *preview() const { return m_preview; }
    QString statusText() const;
    bool canApply() const;
    bool canUndo() const;

public slots:
    // Reads the file and the table again and compares them.
    void onRead();
    void onApply();
    void onUndo();

private slots:
    void onBrowse();
    void onSourceChanged();
    // The choice of deleting missing rows changes the plan: asked for, file and table are read
    // again; no longer asked for, the deletions leave the plan.
    void onDeleteMissingToggled();
    void onKindChanged();

private:
    void fillTables(const QString &table);
    // Wide enough for the longest category name of the language shown.
    int kindColumnWidth() const;
    TableDefinition chosenDefinition() const;
    // What one read of file and table gives, made on a thread of its own.
    struct Sources
    {
        CsvFile file;
        ImportColumns columns;
        ImportPlan plan;
        QString error; // why file or table could not be read, or empty

        static Sources read(const TableDefinition &def, const QString &path, const QString &encoding,
                            ImportPlan::Options options, const DbLinkParams &params);
    };

    // Reads file and table and compares them; why that could not be done, or empty.
    QString readAndPlan();
    QString fileInfo() const;
    QString applyRefusal() const;
    bool confirmed(const QString &question);
    void say(const QString &status, bool problem);
    void updateState();

    Ui::SheetImportDlg *ui;
    ImportPreviewModel *m_preview;
    CsvFile m_file;
    ImportColumns m_columns;
    ImportPlan m_plan;
    bool m_planned = false;
    QList<SqlWrite> m_undo;
};
