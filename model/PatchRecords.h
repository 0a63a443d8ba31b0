#pragma once

#include <QString>
#include <QStringList>

class OrvTableModel;

// The record queries of the two batch editors: the conditions their choices make and the
// statement reading a table model's columns under a condition.
class PatchRecords
{
public:
    // The back-stage editor's tabs, in order.
    enum BackTab { BaseTab, FesTab, LimitTab, ControlTab, BackTabCount };

    // The column whose value keys a row of the tab.
    static QString backKeyColumn(int tab);
    // The rows of a back-stage tab at a location's subsystem for the devices, narrowed to the RTU
    // (AllData: every RTU) on the tabs that carry one.
    static QString backCondition(int tab, const QString &location, const QString &subsystem, const QStringList &devices,
                                 const QString &rtu);
    // The front-end points of the devices in a subsystem.
    static QString fesCondition(const QString &subsystem, const QStringList &devices);

    // "SELECT <the model's columns> FROM <its table> WHERE <condition>;"
    static QString selectText(const OrvTableModel *table, const QString &condition);
};
