#pragma once

#include "AuditTrail.h"

#include <QDialog>

class AuditTrailModel;
class QSortFilterProxyModel;
class QTableView;

namespace Ui {
class AuditTrailDlg;
}

// 修改记录: the audit trail narrowed to a time range, an account, a table and a key, shown as a
// table and exported like any other.
class AuditTrailDlg : public QDialog
{
    Q_OBJECT
public:
    explicit AuditTrailDlg(QWidget *parent);
    ~AuditTrailDlg() override;

    QTableView *view() const;
    QString statusText() const;
    AuditTrail::Query query() const;
    void setQuery(const AuditTrail::Query &query);

public slots:
    void onQuery();
    void onExport();

private:
    void offerAccounts(const QVector<AuditTrail::Record> &records);

    Ui::AuditTrailDlg *ui;
    AuditTrailModel *m_model;
    QSortFilterProxyModel *m_sorted;
};
