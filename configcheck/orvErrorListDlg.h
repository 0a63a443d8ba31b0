#pragma once

#include "CfgCheckTypes.h"

#include <QDialog>

class QPushButton;
class QTableWidget;

// The findings of one check item, with ticks choosing which of them to repair.
class orvErrorListDlg : public QDialog
{
    Q_OBJECT
public:
    orvErrorListDlg(ST_CfgCheckItem *pCheckData, QWidget *parent);

    ST_CfgCheckItem *checkItem() const { return m_item; }
    QTableWidget *table() const { return m_table; }
    // Rebuilds the rows from the item's findings.
    void refresh();

signals:
    void sigRepair(ST_CfgCheckItem *pCheckData);

public slots:
    void onSelAll();
    void onSelOver();
    void onClear();
    void onExport();

private:
    void fitColumns();

    ST_CfgCheckItem *m_item;
    QTableWidget *m_table = nullptr;
    QList<QPushButton *> m_buttons;
};
