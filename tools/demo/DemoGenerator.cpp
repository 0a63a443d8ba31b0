#include "DemoGenerator.h"

#include "DbConnection.h"
#include "OrvSchema.h"
#include "PasswordHash.h"
#include "SqlText.h"
#include "TableDefinition.h"

#include <QCoreApplication>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

struct Subsystem
{
    int id;
    const char *tag;
    const char *name;
    const char *devicePrefix;
    const char *deviceName;
};

const Subsystem kPlatformSubsystems[] = {
    {1, "SYS", "系统", "", ""},
    {2, "NET", "网络", "", ""},
    {3, "PLAT", "平台", "", ""},
};

const Subsystem kRealSubsystems[] = {
    {4, "PSCADA", "电力监控", "QF", "断路器"},
    {5, "BAS", "环境与设备监控", "FAN", "风机"},
    {6, "FAS", "火灾报警", "SMK", "烟感"},
    {7, "ACS", "门禁", "DOOR", "门禁"},
};

const char *const kStationNames[] = {"火车站", "人民广场站", "市政府站", "体育中心站", "科技园站",
                                     "大学城站", "会展中心站", "滨江路站", "机场站", "北客站"};

struct PointKind
{
    const char *table;    // back-stage table
    const char *fesTable; // front-end table
    const char *name;
    const char *desc;
    const char *unit;
    const char *controlTable; // back-stage control table, or null
    const char *fesCtrlTable;
};

const PointKind kPoints[] = {
    {"analog", "fes_analog", "Ia", "A相电流", "A", nullptr, nullptr},
    {"analog", "fes_analog", "Ib", "B相电流", "A", nullptr, nullptr},
    {"analog", "fes_analog", "Ic", "C相电流", "A", nullptr, nullptr},
    {"analog", "fes_analog", "P", "有功功率", "kW", "analog_control", "fes_analog_ctrl"},
    {"digital", "fes_digital", "Pos", "分合位置", "", "digital_control", "fes_digital_ctrl"},
    {"digital", "fes_digital", "Trip", "保护跳闸", "", nullptr, nullptr},
    {"digital", "fes_digital", "Remote", "远方就地", "", nullptr, nullptr},
    {"accuml", "fes_accuml", "Wh", "有功电度", "kWh", nullptr, nullptr},
    {"mix", "fes_mix", "State", "运行状态", "", "mix_control", "fes_mix_ctrl"},
};

const char *const kRoles[] = {"调度员", "维护员", "管理员"};
struct SpecialFunction
{
    const char *code;
    const char *name;
};
const SpecialFunction kFunctions[] = {
    {"FUNC_NOM_DEV_TP", "设备挂牌"},
    {"FUNC_ALARM_ACK", "告警确认"},
    {"FUNC_REMOTE_CTRL", "遥控操作"},
};
// Special-function identifiers of each role (role id = index + 1).
const QList<int> kRoleFunctions[] = {{1, 2}, {2}, {1, 2, 3}};

const char *const kPictures[][2] = {{"PIC_MAIN", "线路总图"},     {"PIC_PSCADA", "供电系统图"},
                                    {"PIC_BAS", "环控系统图"},    {"PIC_FAS", "火灾报警图"},
                                    {"PIC_ACS", "门禁系统图"},    {"PIC_ALARM", "告警一览"}};
const char *const kReports[][2] = {{"RPT_DAILY", "日报表"}, {"RPT_MONTH", "月报表"}, {"RPT_ENERGY", "能耗报表"}};

QString two(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }
QString locTag(int loc) { return QStringLiteral("STA") + two(loc); }
QString stationName(int loc) { return QString::fromUtf8(kStationNames[(loc - 1) % 10]) + (loc > 10 ? QString::number(loc) : QString()); }
const Subsystem &sub(int index) { return kRealSubsystems[index]; }
QString subTag(int index) { return QString::fromLatin1(sub(index).tag); }
QString chanTag(int loc, int s) { return locTag(loc) + QLatin1Char('.') + subTag(s) + QStringLiteral(".CH01"); }
QString rtuTag(int loc, int s, int g) { return chanTag(loc, s) + QStringLiteral(".RTU") + two(g); }
QString groupTag(int loc, int s, int g) { return locTag(loc) + QLatin1Char('.') + subTag(s) + QString::number(g); }
QString devName(int s, int d) { return QString::fromLatin1(sub(s).devicePrefix) + two(d); }
QString devTag(int loc, int s, int g, int d) { return groupTag(loc, s, g) + QLatin1Char('_') + devName(s, d); }

// Bit words granting the given identifiers (identifier n is bit (n-1) % 32 of word (n-1) / 32).
QVariantList grantWords(const QList<int> &ids, int wordCount)
{
    QVector<quint32> words(wordCount, 0);
    for (int id : ids)
        if (id >= 1 && id <= wordCount * 32)
            words[(id - 1) / 32] |= quint32(1) << ((id - 1) % 32);
    QVariantList out;
    for (quint32 w : words)
        out.append(qlonglong(w));
    return out;
}

QList<int> range(int from, int to)
{
    QList<int> ids;
    for (int i = from; i <= to; ++i)
        ids.append(i);
    return ids;
}

} // namespace

// Buffers rows per table and column list and writes them as multi-row INSERTs.
class DemoGenerator::RowWriter
{
public:
    static constexpr int RowsPerStatement = 200;

    explicit RowWriter(QSqlDatabase &db) : m_query(db) {}

    void add(const QString &table, const QString &columns, const QVariantList &values)
    {
        Buffer &b = m_buffers[table + QLatin1Char('|') + columns];
        b.table = table;
        b.columns = columns;
        b.rows.append(QLatin1Char('(') + literals(values) + QLatin1Char(')'));
        if (b.rows.size() >= RowsPerStatement)
            flush(b);
    }

    QString finish()
    {
        for (Buffer &b : m_buffers)
            flush(b);
        return m_error;
    }

private:
    struct Buffer
    {
        QString table;
        QString columns;
        QStringList rows;
    };

    static QString literals(const QVariantList &values)
    {
        QStringList parts;
        for (const QVariant &v : values) {
            if (v.isNull())
                parts.append(QStringLiteral("NULL"));
            else if (v.type() == QVariant::String)
                parts.append(orv_sql::quoted(v.toString()));
            else
                parts.append(v.toString());
        }
        return parts.join(QLatin1Char(','));
    }

    void flush(Buffer &b)
    {
        if (b.rows.isEmpty() || !m_error.isEmpty())
            return;
        const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES %3").arg(b.table, b.columns, b.rows.join(QLatin1Char(',')));
        if (!m_query.exec(sql))
            m_error = QCoreApplication::translate("DemoGenerator", "写入表 %1 失败: %2").arg(b.table, m_query.lastError().text());
        m_query.finish();
        b.rows.clear();
    }

    QSqlQuery m_query;
    QHash<QString, Buffer> m_buffers;
    QString m_error;
};

namespace {

// Back-stage points of one device number across the groups and subsystems of one station.
constexpr int kPointsPerStationDevice = 4 * 5 * DemoGenerator::PointsPerDevice;

int ceilDiv(qint64 a, qint64 b)
{
    return int((a + b - 1) / b);
}

} // namespace

DemoOptions DemoOptions::forPointCount(int points)
{
    DemoOptions o;
    if (points <= 0)
        return o;
    o.subsystems = 4;
    o.groupsPerSubsystem = 5;
    o.stations = qBound(10, ceilDiv(points, qint64(kPointsPerStationDevice) * MaxDevicesPerGroup), MaxStations);
    o.devicesPerGroup = qBound(1, ceilDiv(points, qint64(o.stations) * kPointsPerStationDevice), MaxDevicesPerGroup);
    return o;
}

int DemoOptions::maxPointCount()
{
    return MaxStations * MaxDevicesPerGroup * kPointsPerStationDevice;
}

DemoGenerator::DemoGenerator(const DemoOptions &options)
    : m_options(options)
{
    m_options.subsystems = qBound(1, m_options.subsystems, 4);
    m_options.stations = qBound(1, m_options.stations, DemoOptions::MaxStations);
    m_options.groupsPerSubsystem = qBound(1, m_options.groupsPerSubsystem, 99);
    m_options.devicesPerGroup = qBound(1, m_options.devicesPerGroup, DemoOptions::MaxDevicesPerGroup);
}

int DemoGenerator::backStagePointCount() const
{
    return m_options.stations * m_options.subsystems * m_options.groupsPerSubsystem * m_options.devicesPerGroup
        * PointsPerDevice;
}

QList<DemoGenerator::Account> DemoGenerator::accounts()
{
    return {{"engineer", "velm2026", 1}, {"viewer", "viewer2026", 2}};
}

QString DemoGenerator::write(QSqlDatabase &db, const QString &tablesDir)
{
    QStringList errors;
    const QList<TableDefinition> defs = TableDefinition::readDirectory(tablesDir, &errors);
    if (defs.isEmpty())
        return QCoreApplication::translate("DemoGenerator", "在 %1 中没有可用的表定义文件 %2").arg(tablesDir, errors.join(QLatin1Char('\n')));
    // The demo database is ours: in WAL mode its readers never block a batch's writes. A database
    // someone else made keeps its journal mode.
    if (DbConnection::isSqlite(db))
        QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    QString error = OrvSchema::drop(db, defs);
    if (error.isEmpty())
        error = OrvSchema::create(db, defs);
    if (!error.isEmpty())
        return error;

    m_defects.clear();
    if (!db.transaction())
        return QCoreApplication::translate("DemoGenerator", "无法开始事务: %1").arg(db.lastError().text());
    {
        RowWriter w(db);
        writeModelContext(w);
        for (int loc = 1; loc <= m_options.stations; ++loc)
            for (int s = 0; s < m_options.subsystems; ++s)
                writeStation(w, loc, s);
        writePermissions(w);
        if (m_options.seedDefects)
            writeDefects(w);
        error = w.finish();
    }
    if (error.isEmpty() && !db.commit())
        error = QCoreApplication::translate("DemoGenerator", "提交失败: %1").arg(db.lastError().text());
    if (!error.isEmpty())
        db.rollback();
    return error;
}

void DemoGenerator::writeModelContext(RowWriter &w) const
{
    w.add(QStringLiteral("SYS_MODEL_DOMAIN_INFO"), QStringLiteral("DOMAIN_ID,TAG_NAME,DESCRIPTION"),
          {1, QStringLiteral("LINE1"), QStringLiteral("一号线")});
    w.add(QStringLiteral("SYS_MODEL_APP_INFO"), QStringLiteral("APP_ID,TAG_NAME,DESCRIPTION,DOMAIN_ID"),
          {1, QStringLiteral("SCADA"), QStringLiteral("综合监控"), 1});
    for (int loc = 1; loc <= m_options.stations; ++loc)
        w.add(QStringLiteral("SYS_MODEL_LOCATION_INFO"),
              QStringLiteral("LOCATION_ID,TAG_NAME,DESCRIPTION,DOMAIN_ID,LOCATION_TYPE,LOCATION_NO"),
              {loc, locTag(loc), stationName(loc), 1, 1, loc});
    const QString subCols = QStringLiteral("SUB_SYSTEM_ID,TAG_NAME,DESCRIPTION,APP_ID");
    for (const Subsystem &s : kPlatformSubsystems)
        w.add(QStringLiteral("SYS_MODEL_SUB_SYSTEM_INFO"), subCols,
              {s.id, QString::fromLatin1(s.tag), QString::fromUtf8(s.name), 1});
    for (int s = 0; s < m_options.subsystems; ++s)
        w.add(QStringLiteral("SYS_MODEL_SUB_SYSTEM_INFO"), subCols,
              {sub(s).id, QString::fromLatin1(sub(s).tag), QString::fromUtf8(sub(s).name), 1});
}

void DemoGenerator::writeStation(RowWriter &w, int loc, int s) const
{
    const QString where = stationName(loc) + QString::fromUtf8(sub(s).name);
    w.add(QStringLiteral("fes_channel_para"),
          QStringLiteral("TAG_NAME,CHAN_NAME,DESCRIPTION,LOCATION_ID,SUB_SYSTEM,CHAN_NO,PROTOCOL,IP_ADDR,PORT"),
          {chanTag(loc, s), QStringLiteral("CH01"), where + QStringLiteral("通道1"), loc, sub(s).id, 1,
           QStringLiteral("IEC104"), QStringLiteral("198.51.%1.%2").arg(loc).arg(sub(s).id), 2404});
    for (int g = 1; g <= m_options.groupsPerSubsystem; ++g) {
        const QString rtu = rtuTag(loc, s, g);
        w.add(QStringLiteral("fes_rtu_para"),
              QStringLiteral("TAG_NAME,RTU_NAME,DESCRIPTION,LOCATION_ID,SUB_SYSTEM,CHAN_TAG,RTU_NO,RTU_ADDR,IS_USED"),
              {rtu, QStringLiteral("RTU") + two(g), where + QStringLiteral("RTU%1").arg(g), loc, sub(s).id,
               chanTag(loc, s), g, g, 1});
        w.add(QStringLiteral("fes_data_block"), QStringLiteral("TAG_NAME,DESCRIPTION,RTU_TAG,BLOCK_TYPE,START_ADDR,DATA_LEN"),
              {rtu + QStringLiteral(".DB.BLK01"), where + QStringLiteral("RTU%1数据块").arg(g), rtu, 1, 0, 256});
        w.add(QStringLiteral("dev_group"), QStringLiteral("TAG_NAME,DESCRIPTION,LOCATION_ID,SUB_SYSTEM,GROUP_NO"),
              {groupTag(loc, s, g), where + QStringLiteral("设备组%1").arg(g), loc, sub(s).id, g});
        w.add(QStringLiteral("linkage_action"), QStringLiteral("TAG_NAME,DESCRIPTION,POINT_REF,ACTION_VALUE,LOCATION_ID"),
              {groupTag(loc, s, g) + QStringLiteral(".LA1"), where + QStringLiteral("设备组%1联动").arg(g),
               QStringLiteral("analog.%1.Ia.value").arg(devTag(loc, s, g, 1)), QStringLiteral("1"), loc});
        for (int d = 1; d <= m_options.devicesPerGroup; ++d)
            writeDevice(w, loc, s, g, d);
    }
}

void DemoGenerator::writeDevice(RowWriter &w, int loc, int s, int g, int d) const
{
    const int subId = sub(s).id;
    const QString rtu = rtuTag(loc, s, g);
    const QString dev = devTag(loc, s, g, d);
    const QString fesDev = rtu + QLatin1Char('.') + devName(s, d);
    const QString devDesc = stationName(loc) + QString::fromUtf8(sub(s).deviceName) + two(d) + QStringLiteral("(组%1)").arg(g);
    w.add(QStringLiteral("dev_info"), QStringLiteral("TAG_NAME,DESCRIPTION,GROUP_TAG_NAME,LOCATION_ID,SUB_SYSTEM,DEV_TYPE,DEV_NO"),
          {dev, devDesc, groupTag(loc, s, g), loc, subId, s + 1, d});
    w.add(QStringLiteral("fes_dev_info"), QStringLiteral("TAG_NAME,DEV_DESC,RTU_TAG,LOCATION_ID,SUB_SYSTEM,DEV_NO,DEV_ADDR"),
          {fesDev, devDesc, rtu, loc, subId, d, d});
    w.add(QStringLiteral("digital_lock_param"), QStringLiteral("TAG_NAME,DESCRIPTION,DI_TAG,LOCK_VALUE,LOCATION_ID,SUB_SYSTEM"),
          {dev + QStringLiteral(".LK1"), devDesc + QStringLiteral("分合闭锁"), dev + QStringLiteral(".Pos"), 1, loc, subId});

    const QString fesCols = QStringLiteral("TAG_NAME,DESCRIPTION,RTU_TAG,DEV_TAG,LOCATION_ID,SUB_SYSTEM,DOT_NO");
    const QString pointCols = QStringLiteral("TAG_NAME,DESCRIPTION,DEVICE,LOCATION_ID,SUB_SYSTEM,RTU_TAG,POINT_PROPERTY,SEQ_NO");
    const QString ctrlCols = QStringLiteral("TAG_NAME,DESCRIPTION,LOCATION_ID,SUB_SYSTEM,RTU_TAG,CTRL_FES_TAG,CTRL_ENABLE,CTRL_TIMEOUT");
    for (int i = 0; i < PointsPerDevice; ++i) {
        const PointKind &k = kPoints[i];
        const QString table = QString::fromLatin1(k.table);
        const QString name = QString::fromLatin1(k.name);
        const QString tag = dev + QLatin1Char('.') + name;
        const QString fesTag = rtu + QLatin1Char('.') + devName(s, d) + QLatin1Char('_') + name;
        const QString desc = devDesc + QString::fromUtf8(k.desc);
        const int dotNo = (d - 1) * PointsPerDevice + i;
        w.add(QString::fromLatin1(k.fesTable), fesCols, {fesTag, desc, rtu, fesDev, loc, subId, dotNo});
        if (table == QLatin1String("digital")) // only points with a control may be operated
            w.add(table, pointCols + QStringLiteral(",IS_CONTROL"), {tag, desc, dev, loc, subId, rtu, 0, i + 1, k.controlTable ? 1 : 0});
        else if (*k.unit)
            w.add(table, pointCols + QStringLiteral(",UNIT"), {tag, desc, dev, loc, subId, rtu, 0, i + 1, QString::fromLatin1(k.unit)});
        else
            w.add(table, pointCols, {tag, desc, dev, loc, subId, rtu, 0, i + 1});
        w.add(table + QStringLiteral("_map_to_fes"), QStringLiteral("KEY_ID_TAG,DESCRIPTION,LOCATION_ID,SUB_SYSTEM,RTU_TAG,FES_TAG"),
              {table + QLatin1Char('.') + tag, desc, loc, subId, rtu, fesTag});
        if (table == QLatin1String("analog"))
            w.add(QStringLiteral("analog_limit_info"),
                  QStringLiteral("TAG_NAME,LOCATION_ID,SUB_SYSTEM,LIMIT_HIGH_HIGH,LIMIT_HIGH,LIMIT_LOW,LIMIT_LOW_LOW,DEAD_BAND,LIMIT_ENABLE"),
                  {tag, loc, subId, 120.0, 100.0, 10.0, 0.0, 0.5, 1});
        if (k.controlTable) {
            const QString ctrlFes = fesTag + QStringLiteral("Ctl");
            w.add(QString::fromLatin1(k.fesCtrlTable), fesCols, {ctrlFes, desc + QStringLiteral("控制"), rtu, fesDev, loc, subId, dotNo});
            w.add(QString::fromLatin1(k.controlTable), ctrlCols, {tag, desc + QStringLiteral("控制"), loc, subId, rtu, ctrlFes, 1, 10});
        }
    }
}

void DemoGenerator::writePermissions(RowWriter &w) const
{
    const int functionCount = int(sizeof(kFunctions) / sizeof(kFunctions[0]));
    const int roleCount = int(sizeof(kRoles) / sizeof(kRoles[0]));
    for (int f = 0; f < functionCount; ++f)
        w.add(QStringLiteral("RM_SPCL_FUNC_DEF"), QStringLiteral("PERM_ID,PERM_NAME,FUNC_CODE,PERM_DESC"),
              {f + 1, QString::fromUtf8(kFunctions[f].name), QString::fromLatin1(kFunctions[f].code),
               QString::fromUtf8(kFunctions[f].name)});
    const QString roleCols = QStringLiteral("PERM_ID,PERM_NAME,PERM_DESC,PERM_SPE_FUNC1,PERM_SPE_FUNC2,PERM_SPE_FUNC3,"
                                            "PERM_SPE_FUNC4,PERM_SPE_FUNC5,PERM_SPE_FUNC6,PERM_SPE_FUNC7,PERM_SPE_FUNC8");
    for (int r = 0; r < roleCount; ++r)
        w.add(QStringLiteral("RM_ROLE_DEF"), roleCols,
              QVariantList{r + 1, QString::fromUtf8(kRoles[r]), QString::fromUtf8(kRoles[r])} + grantWords(kRoleFunctions[r], 8));

    QString groupCols = QStringLiteral("PERM_ID,PERM_NAME,PERM_DESC");
    for (int i = 1; i <= 8; ++i)
        groupCols += QStringLiteral(",PERM_LOCATION%1").arg(i);
    for (int i = 1; i <= 8; ++i)
        groupCols += QStringLiteral(",PERM_ROLE%1").arg(i);
    const QList<int> allLocations = range(1, m_options.stations);
    w.add(QStringLiteral("RM_USERG_DEF"), groupCols,
          QVariantList{1, QStringLiteral("管理员组"), QStringLiteral("全部权限")} + grantWords(allLocations, 8)
              + grantWords(range(1, roleCount), 8));
    w.add(QStringLiteral("RM_USERG_DEF"), groupCols,
          QVariantList{2, QStringLiteral("查看组"), QStringLiteral("只读")} + grantWords(allLocations, 8) + grantWords({2}, 8));

    QString rspCols = QStringLiteral("PERM_USER_GROUP,PERM_ROLE,PERM_SPEFUNC");
    for (int i = 1; i <= 8; ++i)
        rspCols += QStringLiteral(",PERM_LOCATION%1").arg(i);
    for (int r = 0; r < roleCount; ++r) {
        for (int f : kRoleFunctions[r]) {
            // With defects, role 3 / special function 3 lacks station 1.
            const bool lacking = m_options.seedDefects && r == 2 && f == 3;
            w.add(QStringLiteral("RM_USERG_RSP_INFO"), rspCols,
                  QVariantList{1, r + 1, f} + grantWords(lacking ? allLocations.mid(1) : allLocations, 8));
        }
    }

    const int pictureCount = int(sizeof(kPictures) / sizeof(kPictures[0]));
    const int reportCount = int(sizeof(kReports) / sizeof(kReports[0]));
    for (int p = 0; p < pictureCount; ++p)
        w.add(QStringLiteral("HMI_TYPE_INFO"), QStringLiteral("HMI_ID,HMI_NAME,HMI_DESC,HMI_FILE"),
              {p + 1, QString::fromLatin1(kPictures[p][0]), QString::fromUtf8(kPictures[p][1]),
               QString::fromLatin1(kPictures[p][0]).toLower() + QStringLiteral(".pic")});
    for (int r = 0; r < reportCount; ++r)
        w.add(QStringLiteral("REPORT_TYPE_INFO"), QStringLiteral("REPORT_ID,REPORT_NAME,REPORT_DESC"),
              {r + 1, QString::fromLatin1(kReports[r][0]), QString::fromUtf8(kReports[r][1])});
    QString hmiCols = QStringLiteral("RECORD_ID,PERM_USER_GROUP,PERM_TYPE,PERM_ATTRIBUTE");
    for (int i = 1; i <= 16; ++i)
        hmiCols += QStringLiteral(",PERM_INFO%1").arg(i);
    w.add(QStringLiteral("RM_USERG_HMI_INFO"), hmiCols, QVariantList{1, 1, 0, 1} + grantWords(range(1, pictureCount), 16));
    w.add(QStringLiteral("RM_USERG_HMI_INFO"), hmiCols, QVariantList{2, 1, 1, 1} + grantWords(range(1, reportCount), 16));

    int id = 1;
    for (const Account &a : accounts())
        w.add(QStringLiteral("RM_USER_DEF"), QStringLiteral("PERM_ID,PERM_NAME,PERM_ALIAS,PERM_PASSWORD,PERM_USER_GROUP"),
              {id++, QString::fromLatin1(a.name), QString::fromLatin1(a.name),
               orv_public::PasswordHash::make(QString::fromLatin1(a.password)), a.group});
}

void DemoGenerator::defect(int rule, const QString &table, const QString &tag, const QString &reason)
{
    m_defects.append(SeededDefect{rule, table, tag, reason});
}

void DemoGenerator::writeDefects(RowWriter &w)
{
    const QString badField = QStringLiteral("标签中有错误字段：");
    const QString dotCount = QStringLiteral("字符'.'的数量异常");
    const QString underscoreCount = QStringLiteral("字符'_'的数量异常");
    const QString structure = QStringLiteral("标签结构错误");
    const QString loc = locTag(1);
    const int locId = 1;
    const int subId = sub(0).id;
    const QString rtu = rtuTag(1, 0, 1);
    const QString dev = devTag(1, 0, 1, 1);

    const QString chanCols = QStringLiteral("TAG_NAME,CHAN_NAME,DESCRIPTION,LOCATION_ID,SUB_SYSTEM");
    auto channel = [&](const QString &tag, const QString &reason) {
        w.add(QStringLiteral("fes_channel_para"), chanCols, {tag, QStringLiteral("CH9X"), QStringLiteral("缺陷通道"), locId, subId});
        defect(1, QStringLiteral("fes_channel_para"), tag, reason);
    };
    channel(loc + QStringLiteral(".PSCADA"), structure);
    channel(loc + QStringLiteral(".PSCADA.CH91.X"), dotCount);
    channel(QStringLiteral("NOLOC.PSCADA.CH92"), badField + QStringLiteral("NOLOC"));
    channel(loc + QStringLiteral("..CH93"), badField);

    const QString rtuCols = QStringLiteral("TAG_NAME,RTU_NAME,DESCRIPTION,LOCATION_ID,SUB_SYSTEM,CHAN_TAG");
    auto rtuRow = [&](const QString &tag, const QString &chan) {
        w.add(QStringLiteral("fes_rtu_para"), rtuCols, {tag, QStringLiteral("RTU9X"), QStringLiteral("缺陷RTU"), locId, subId, chan});
    };
    rtuRow(chanTag(1, 0), chanTag(1, 0));
    defect(2, QStringLiteral("fes_rtu_para"), chanTag(1, 0), structure);
    rtuRow(loc + QStringLiteral(".PSCADA.NOCHAN.RTU91"), chanTag(1, 0));
    defect(2, QStringLiteral("fes_rtu_para"), loc + QStringLiteral(".PSCADA.NOCHAN.RTU91"), badField + QStringLiteral("NOCHAN"));
    rtuRow(rtu + QStringLiteral(".X"), chanTag(1, 0));
    defect(2, QStringLiteral("fes_rtu_para"), rtu + QStringLiteral(".X"), dotCount);
    const QString deadChannel = loc + QStringLiteral(".PSCADA.CH99");
    rtuRow(chanTag(1, 0) + QStringLiteral(".RTU93"), deadChannel);
    defect(9, QStringLiteral("fes_rtu_para"), chanTag(1, 0) + QStringLiteral(".RTU93"),
           QStringLiteral("CHAN_TAG = %1 不存在").arg(deadChannel));

    const QString fesCols = QStringLiteral("TAG_NAME,DESCRIPTION,RTU_TAG,DEV_TAG,LOCATION_ID,SUB_SYSTEM,DOT_NO");
    auto fesPoint = [&](const QString &tag, const QString &rtuTagValue) {
        w.add(QStringLiteral("fes_analog"), fesCols, {tag, QStringLiteral("缺陷前置点"), rtuTagValue, rtu + QStringLiteral(".QF01"), locId, subId, 900});
    };
    fesPoint(chanTag(1, 0) + QStringLiteral(".AI91"), rtu);
    defect(3, QStringLiteral("fes_analog"), chanTag(1, 0) + QStringLiteral(".AI91"), structure);
    fesPoint(rtu + QStringLiteral(".AI92.X.Y"), rtu);
    defect(3, QStringLiteral("fes_analog"), rtu + QStringLiteral(".AI92.X.Y"), dotCount);
    const QString deadRtu = chanTag(1, 0) + QStringLiteral(".RTU99");
    fesPoint(deadRtu + QStringLiteral(".AI93"), deadRtu);
    defect(3, QStringLiteral("fes_analog"), deadRtu + QStringLiteral(".AI93"), badField + deadRtu);
    defect(9, QStringLiteral("fes_analog"), deadRtu + QStringLiteral(".AI93"), QStringLiteral("RTU_TAG = %1 不存在").arg(deadRtu));

    const QString blockCols = QStringLiteral("TAG_NAME,DESCRIPTION,RTU_TAG");
    w.add(QStringLiteral("fes_data_block"), blockCols, {rtu + QStringLiteral(".BLK91"), QStringLiteral("缺陷数据块"), rtu});
    defect(4, QStringLiteral("fes_data_block"), rtu + QStringLiteral(".BLK91"), structure);
    w.add(QStringLiteral("fes_data_block"), blockCols, {deadRtu + QStringLiteral(".DB.BLK92"), QStringLiteral("缺陷数据块"), rtu});
    defect(4, QStringLiteral("fes_data_block"), deadRtu + QStringLiteral(".DB.BLK92"), badField + deadRtu);

    const QString groupCols = QStringLiteral("TAG_NAME,DESCRIPTION,LOCATION_ID,SUB_SYSTEM");
    auto group = [&](const QString &tag, const QString &reason) {
        w.add(QStringLiteral("dev_group"), groupCols, {tag, QStringLiteral("缺陷设备组"), locId, subId});
        defect(5, QStringLiteral("dev_group"), tag, reason);
    };
    group(loc + QStringLiteral(".G_91"), QStringLiteral("含有禁止使用字符'_'"));
    group(loc, structure);
    group(QStringLiteral("NOLOC.G92"), badField + QStringLiteral("NOLOC"));
    group(loc + QStringLiteral(".G93.X"), dotCount);

    const QString devCols = QStringLiteral("TAG_NAME,DESCRIPTION,GROUP_TAG_NAME,LOCATION_ID,SUB_SYSTEM");
    auto device = [&](const QString &tag, const QString &reason) {
        w.add(QStringLiteral("dev_info"), devCols, {tag, QStringLiteral("缺陷设备"), groupTag(1, 0, 1), locId, subId});
        defect(6, QStringLiteral("dev_info"), tag, reason);
    };
    device(groupTag(1, 0, 1) + QStringLiteral(".QF91"), structure);
    device(groupTag(1, 0, 1) + QStringLiteral("_QF92_X"), underscoreCount);
    device(loc + QStringLiteral(".NOGRP_QF93"), badField + loc + QStringLiteral(".NOGRP"));

    const QString pointCols = QStringLiteral("TAG_NAME,DESCRIPTION,DEVICE,LOCATION_ID,SUB_SYSTEM,RTU_TAG,POINT_PROPERTY");
    auto point = [&](const QString &tag, const QString &reason) {
        w.add(QStringLiteral("analog"), pointCols, {tag, QStringLiteral("缺陷测点"), dev, locId, subId, rtu, 1});
        defect(7, QStringLiteral("analog"), tag, reason);
    };
    point(dev + QStringLiteral("_X.P91"), underscoreCount);
    point(dev + QStringLiteral(".P92.X"), dotCount);
    point(loc + QStringLiteral(".NOGRP_QF01.P93"), badField + loc + QStringLiteral(".NOGRP_QF01"));

    // A collected point without its front-end point.
    const QString unlinked = dev + QStringLiteral(".Ua");
    w.add(QStringLiteral("analog"), pointCols, {unlinked, QStringLiteral("A相电压(未关联)"), dev, locId, subId, rtu, 0});
    w.add(QStringLiteral("analog_map_to_fes"), QStringLiteral("KEY_ID_TAG,DESCRIPTION,LOCATION_ID,SUB_SYSTEM,RTU_TAG,FES_TAG"),
          {QStringLiteral("analog.") + unlinked, QStringLiteral("A相电压(未关联)"), locId, subId, rtu, QStringLiteral("-1")});
    defect(8, QStringLiteral("analog"), unlinked, QStringLiteral("未关联前置测点"));

    // A second point taking the value of a front-end point already linked, and a point linked to a
    // front-end point of another station.
    const QString mapCols = QStringLiteral("KEY_ID_TAG,DESCRIPTION,LOCATION_ID,SUB_SYSTEM,RTU_TAG,FES_TAG");
    auto linkedPoint = [&](const QString &tag, const QString &desc, const QString &fesTag) {
        w.add(QStringLiteral("analog"), pointCols, {tag, desc, dev, locId, subId, rtu, 1});
        w.add(QStringLiteral("analog_map_to_fes"), mapCols, {QStringLiteral("analog.") + tag, desc, locId, subId, rtu, fesTag});
    };
    const QString sharedFes = rtu + QLatin1Char('.') + devName(0, 1) + QStringLiteral("_Ia");
    linkedPoint(dev + QStringLiteral(".Ia2"), QStringLiteral("A相电流(重复关联)"), sharedFes);
    defect(13, QStringLiteral("analog_map_to_fes"), sharedFes,
           QStringLiteral("被 2 个后台测点关联：analog.%1.Ia, analog.%1.Ia2").arg(dev));
    const QString farRtu = rtuTag(2, 0, 1);
    const QString farFes = farRtu + QLatin1Char('.') + devName(0, 1) + QStringLiteral("_Ib9");
    w.add(QStringLiteral("fes_analog"), fesCols, {farFes, QStringLiteral("异站前置点"), farRtu, farRtu + QStringLiteral(".QF01"), 2, subId, 901});
    linkedPoint(dev + QStringLiteral(".Ib9"), QStringLiteral("B相电流(异站关联)"), farFes);
    defect(14, QStringLiteral("analog_map_to_fes"), dev + QStringLiteral(".Ib9"),
           QStringLiteral("前置测点 %1 在位置 2、专业 %2，后台测点在位置 1、专业 %2").arg(farFes).arg(subId));

    const QString lockCols = QStringLiteral("TAG_NAME,DESCRIPTION,DI_TAG,LOCK_VALUE,LOCATION_ID,SUB_SYSTEM");
    w.add(QStringLiteral("digital_lock_param"), lockCols,
          {dev + QStringLiteral(".LK91"), QStringLiteral("缺陷闭锁1"), dev + QStringLiteral(".NoSuch"), 1, locId, subId});
    defect(10, QStringLiteral("digital_lock_param"), dev + QStringLiteral(".NoSuch"), QStringLiteral("DI点不存在"));
    w.add(QStringLiteral("digital_lock_param"), lockCols,
          {dev + QStringLiteral(".LK92"), QStringLiteral("缺陷闭锁2"), dev + QStringLiteral(".Trip"), 1, locId, subId});
    defect(10, QStringLiteral("digital_lock_param"), dev + QStringLiteral(".Trip"), QStringLiteral("DI点不可控"));

    const QString missingRef = QStringLiteral("analog.%1.Missing.value").arg(dev);
    w.add(QStringLiteral("linkage_action"), QStringLiteral("TAG_NAME,DESCRIPTION,POINT_REF,LOCATION_ID"),
          {groupTag(1, 0, 1) + QStringLiteral(".LA91"), QStringLiteral("缺陷联动"), missingRef, locId});
    defect(11, QStringLiteral("linkage_action"), missingRef, QStringLiteral("后台测点 %1 不存在").arg(missingRef));

    // A location, a picture and a report that user group 1 was never given, and one
    // location missing from one responsibility row.
    const int extraLoc = m_options.stations + 1;
    w.add(QStringLiteral("SYS_MODEL_LOCATION_INFO"), QStringLiteral("LOCATION_ID,TAG_NAME,DESCRIPTION,DOMAIN_ID"),
          {extraLoc, QStringLiteral("DEPOT"), QStringLiteral("停车场"), 1});
    defect(12, QStringLiteral("SYS_MODEL_LOCATION_INFO"), QStringLiteral("DEPOT"), QStringLiteral("用户组所属位置 停车场 未配置"));
    w.add(QStringLiteral("HMI_TYPE_INFO"), QStringLiteral("HMI_ID,HMI_NAME,HMI_DESC"), {50, QStringLiteral("PIC_NEW"), QStringLiteral("新增画面")});
    defect(12, QStringLiteral("HMI_TYPE_INFO"), QStringLiteral("PIC_NEW"), QStringLiteral("画面权限 PIC_NEW未配置"));
    w.add(QStringLiteral("REPORT_TYPE_INFO"), QStringLiteral("REPORT_ID,REPORT_NAME,REPORT_DESC"), {40, QStringLiteral("RPT_NEW"), QStringLiteral("新增报表")});
    defect(12, QStringLiteral("REPORT_TYPE_INFO"), QStringLiteral("RPT_NEW"), QStringLiteral("报表浏览RPT_NEW未配置"));
    // Role 3 / special function 3 loses station 1.
    defect(12, QStringLiteral("RM_USERG_RSP_INFO"), locTag(1),
           QStringLiteral("特殊功能 %1的子节点%2 未配置").arg(QString::fromUtf8(kFunctions[2].name), stationName(1)));
}
