#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct DemoOptions
{
    int stations = 3;
    int subsystems = 3;       // real subsystems besides 1 to 3, at most 4
    int groupsPerSubsystem = 2;
    int devicesPerGroup = 2;
    bool seedDefects = false;

    static constexpr int MaxStations = 255;       // location permissions hold 256 bits; one is for defects
    static constexpr int MaxDevicesPerGroup = 99; // device numbers have two digits
    // Options sized for at least the given number of back-stage points, up to maxPointCount():
    // ten stations until their groups are full, then more stations.
    static DemoOptions forPointCount(int points);
    static int maxPointCount();
};

// A defect planted for one check rule: the record's key and the reason the rule gives.
struct SeededDefect
{
    int rule;       // check-rule number
    QString table;  // the table the record is in
    QString tag;    // what the finding's tag will be
    QString reason;
};

// Fills a configuration database with a consistent modelled system: stations, subsystems,
// channels, RTUs, FES devices and points, device groups, devices, back-stage points with their
// FES links, limits and controls, permissions, pictures and reports; on request the defects
// listed by seededDefects().
class DemoGenerator
{
public:
    static constexpr int PointsPerDevice = 9;

    explicit DemoGenerator(const DemoOptions &options);

    // Drops and recreates the tables of the definitions, then fills them in one transaction.
    QString write(QSqlDatabase &db, const QString &tablesDir);

    int backStagePointCount() const;
    bool seedsDefects() const { return m_options.seedDefects; }
    QList<SeededDefect> seededDefects() const { return m_defects; }

    // The documented demo accounts (name, password, user group).
    struct Account
    {
        const char *name;
        const char *password;
        int group;
    };
    static QList<Account> accounts();

private:
    class RowWriter;
    void writeModelContext(RowWriter &w) const;
    void writeStation(RowWriter &w, int loc, int subIndex) const;
    void writeDevice(RowWriter &w, int loc, int subIndex, int group, int device) const;
    void writePermissions(RowWriter &w) const;
    void writeDefects(RowWriter &w);
    void defect(int rule, const QString &table, const QString &tag, const QString &reason);

    DemoOptions m_options;
    QList<SeededDefect> m_defects;
};
