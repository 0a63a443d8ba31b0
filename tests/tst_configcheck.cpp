// The check engine, the tag-name rules, the check dialogs and the model_check runner.
#include "TestSupport.h"

#include "Common.h"
#include "MainWindow.h"
#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "SqlText.h"
#include "AccessRules.h"
#include "LinkPlaceRules.h"
#include "LinkRules.h"
#include "TagNameRules.h"
#include "checkListItem.h"
#include "RuleQuery.h"
#include "orvConfigCheck.h"
#include "orvConfigCheckDlg.h"
#include "orvErrorListDlg.h"
#include "treeCheckWidget.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonArray>
#include <QMessageBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

using Pair = QPair<QString, QString>;

// A rule that could not check shows as one pair naming the failure, so that comparisons say why.
QList<Pair> pairs(const ST_CfgCheckResult &result)
{
    if (!result.strFailure.isEmpty())
        return {{QStringLiteral("检查失败"), result.strFailure}};
    QList<Pair> out;
    for (const ST_CfgCheckError &e : result.lstErrors)
        out.append({e.strTagName, e.strReason});
    return out;
}

QString exec(const QStringList &sqls)
{
    return runOnLink(sqls);
}

QStringList column(const QString &sql)
{
    QStringList values;
    OrvDbDesign().getOneColumnResult(sql, values);
    return values;
}

const QString kBad = QStringLiteral("标签中有错误字段：");

// configcheck.xml pieces: a group, an item whose parameters are table, DESCRIPTION, TAG_NAME, and
// the link from front-end analog points to their RTUs.
QByteArray group(const char *name, const QByteArray &items)
{
    return QByteArray("<c><type name=\"") + name + "\" enable=\"true\">" + items + "</type></c>";
}

QByteArray tableItem(const char *des, const char *checkRule, const char *table, const char *repairRule = "FUNC_DELETE")
{
    return QByteArray("<checkitem des=\"") + des + "\" checkRule=\"" + checkRule + "\" repairRule=\"" + repairRule
        + "\"><param value=\"" + table + "\"/><param value=\"DESCRIPTION\"/><param value=\"TAG_NAME\"/></checkitem>";
}

QByteArray rtuLink(const char *des, const char *rtuKey = "TAG_NAME")
{
    return QByteArray("<checkitem des=\"") + des + "\" checkRule=\"FUNC_CHECK_LINk\" repairRule=\"FUNC_DELETE\">"
        + "<param value=\"fes_analog\"/><param value=\"RTU_TAG\"/><param value=\"TAG_NAME\"/><param value=\"DESCRIPTION\"/>"
        + "<param value=\"fes_rtu_para\"/><param value=\"" + rtuKey + "\"/><param value=\"DESCRIPTION\"/></checkitem>";
}

} // namespace

// Answers the question before a repair with 删除 (question gets its text), and the message after
// it with OK (result gets "title|text").
void answerRepair(QString *question, QString *result)
{
    answerModal<QMessageBox>([question, result](QMessageBox *box) {
        if (question)
            *question = box->text();
        if (result)
            answerMessageBox(result);
        box->button(QMessageBox::Yes)->click();
    });
}

class ConfigCheckTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestRoot> m_root;
    QList<SeededDefect> m_defects;

    void demo(bool defects, Backend backend = Backend::SQLite, int points = 0)
    {
        DemoOptions options = points > 0 ? DemoOptions::forPointCount(points) : DemoOptions();
        options.seedDefects = defects;
        DbLinkParams p;
        QCOMPARE(createDemoDatabase(backend, QStringLiteral("configcheck"), *m_root, options, &p, &m_defects), QString());
        QCOMPARE(openLink(p), QString());
    }

    void writeConfig(const QByteArray &xml)
    {
        m_root->writeFile(QStringLiteral("fileLogic/configcheck.xml"), xml);
    }

    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };
    Run check(const QStringList &args, const QByteArray &input = QByteArray(), const QString &outputFile = QString())
    {
        return tool("model_check", args, input, outputFile);
    }
    Run tool(const char *program, const QStringList &args, const QByteArray &input = QByteArray(),
             const QString &outputFile = QString())
    {
        QProcess process;
        if (!outputFile.isEmpty())
            process.setStandardOutputFile(outputFile);
        process.start(QStringLiteral(MODEL_BIN_DIR "/") + QLatin1String(program), args);
        process.waitForStarted();
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // The seeded demo where the platform's database configuration points (<root>/data/demo.sqlite),
    // also linked here. Empty text on success.
    QString platformDemo(DbLinkParams *p)
    {
        DemoOptions options;
        options.seedDefects = true;
        return openDemo(Backend::SQLite, QStringLiteral("demo"), *m_root, options, p);
    }

    static int rowCount(const QString &table)
    {
        return column(QStringLiteral("SELECT TAG_NAME FROM %1;").arg(table)).size();
    }

    static QTreeWidgetItem *resultNode(orvConfigCheckDlg &dlg, const QString &des)
    {
        const QList<QTreeWidgetItem *> found = dlg.resultsTree()->findItems(des, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }

    static treeCheckWidget *tick(orvConfigCheckDlg &dlg, const QString &des)
    {
        return qobject_cast<treeCheckWidget *>(dlg.resultsTree()->itemWidget(resultNode(dlg, des), 3));
    }

private slots:
    void init()
    {
        m_root = std::make_unique<TestRoot>();
        Common::initPath();
    }

    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            delete qobject_cast<orvConfigCheckDlg *>(w);
        delete OrvTableDataMgr::getInstance();
        m_root.reset();
    }

    void readingTheDefinitionFile()
    {
        writeConfig(R"(<any>
            <checkitem des="early" checkRule="FUNC_CHECK_CHANNEL_TAGNAME"><param value="p1"/></checkitem>
            <type name="A" enable="true">
              <checkitem table="t" des="link upper K" checkRule="FUNC_CHECK_LINK" repairRule="FUNC_DELETE"/>
              <checkitem des="link" checkRule="FUNC_CHECK_LINk" repairRule="FUNC_NULL"><param value="a"/><param value=""/><x/></checkitem>
              <checkitem des="no repair" checkRule="FUNC_CHECK_ACCESS"/>
            </type>
            <type name="B" enable="True"/><type name="C" enable="1"/>
            <Type name="ignored"/>
            <type name="D" enable="true"><checkitem des="cut")");
        orvConfigCheck engine(nullptr);
        QVERIFY(engine.loadError().contains(QStringLiteral("格式错误")));
        QCOMPARE(engine.lstTypes.size(), 3);
        const ST_CfgCheckType &a = engine.lstTypes.at(0);
        QVERIFY(a.bEnable);
        QCOMPARE(a.strName, QStringLiteral("A"));
        QCOMPARE(a.lstItems.size(), 4);
        QCOMPARE(a.lstItems.at(0).strDes, QStringLiteral("early")); // outside a type: joins the next group
        QCOMPARE(a.lstItems.at(0).nCheckRule, 1);
        QCOMPARE(a.lstItems.at(1).nCheckRule, 0);
        QCOMPARE(a.lstItems.at(1).nRepairRule, 1);
        QVERIFY(a.lstItems.at(1).bCanRepair);
        QCOMPARE(a.lstItems.at(1).strTable, QStringLiteral("t"));
        QCOMPARE(a.lstItems.at(2).nCheckRule, 9);
        QCOMPARE(a.lstItems.at(2).lstParams, (QStringList{"a", ""}));
        QVERIFY(!a.lstItems.at(2).bCanRepair);
        QCOMPARE(a.lstItems.at(3).nCheckRule, 12);
        QVERIFY(!a.lstItems.at(3).bCanRepair);
        QVERIFY(!engine.lstTypes.at(1).bEnable);
        QVERIFY(!engine.lstTypes.at(2).bEnable);

        QFile::remove(m_root->file(QStringLiteral("fileLogic/configcheck.xml")));
        orvConfigCheck missing(nullptr);
        QVERIFY(missing.lstTypes.isEmpty());
        QVERIFY(!missing.loadError().isEmpty());
        orvConfigCheck shipped(QStringLiteral(MODEL_SOURCE_DATA_DIR "/fileLogic/configcheck.xml"), nullptr);
        QCOMPARE(shipped.loadError(), QString());
        QSet<int> rules;
        for (const ST_CfgCheckType &t : shipped.lstTypes)
            for (const ST_CfgCheckItem &i : t.lstItems)
                rules.insert(i.nCheckRule);
        QCOMPARE(rules.size(), 14); // every rule is exercised
        QVERIFY(!rules.contains(0));
    }

    void tagRuleExamples()
    {
        demo(false);
        const QString chan = QStringLiteral("INSERT INTO fes_channel_para (TAG_NAME,CHAN_NAME,DESCRIPTION) VALUES ('%1','C1','d%2');");
        QCOMPARE(exec({chan.arg("STA01.PSCADA.C1.X").arg(1), chan.arg("STA01.NOSUB.C2.X").arg(2), chan.arg("STA01..C3").arg(3),
                       chan.arg("sta01.PSCADA.C4").arg(4), chan.arg("STA01").arg(5)}),
                      QString());
        QCOMPARE(pairs(CfgCheckRules::checkChannelTagName()),
                 (QList<Pair>{{"STA01", "标签结构错误"},
                              {"STA01..C3", kBad},
                              {"STA01.NOSUB.C2.X", "字符'.'的数量异常"},
                              {"STA01.NOSUB.C2.X", kBad + "NOSUB"},
                              {"STA01.PSCADA.C1.X", "字符'.'的数量异常"},
                              {"sta01.PSCADA.C4", kBad + "sta01"}}));
        // Each finding names its row's description: looked up by tag where the tag is the table's
        // key, read with every row where it is not (a table no definition describes).
        const auto described = [](const ST_CfgCheckResult &result) {
            QStringList out;
            for (const ST_CfgCheckError &e : result.lstErrors)
                out << e.strTagName + QLatin1Char('|') + e.strDesc;
            return out;
        };
        QCOMPARE(described(CfgCheckRules::checkChannelTagName()),
                 (QStringList{"STA01|d5", "STA01..C3|d3", "STA01.NOSUB.C2.X|d2", "STA01.NOSUB.C2.X|d2",
                              "STA01.PSCADA.C1.X|d1", "sta01.PSCADA.C4|d4"}));
        // SQLite's key takes NULL, in any number of rows, which no tag finds again.
        QCOMPARE(exec({QStringLiteral("INSERT INTO fes_channel_para (TAG_NAME,CHAN_NAME,DESCRIPTION) "
                                      "VALUES (NULL,'C1','d8'), ('','C1','d7'), (NULL,'C1','d6');")}),
                 QString());
        QCOMPARE(described(CfgCheckRules::checkChannelTagName()).mid(0, 4), (QStringList{"|d6", "|d7", "|d8", "STA01|d5"}));
        QCOMPARE(exec({QStringLiteral("CREATE TABLE loose_points (TAG_NAME varchar(64), DESCRIPTION varchar(64));"),
                       QStringLiteral("INSERT INTO loose_points VALUES ('a.b','second'), ('a.b','first'), ('c.d',NULL);")}),
                 QString());
        QCOMPARE(described(CfgCheckRules::checkFesPointTagName({"loose_points"})), (QStringList{"a.b|first", "a.b|second", "c.d|"}));

        const QString fes = QStringLiteral("INSERT INTO fes_mix (TAG_NAME,DESCRIPTION) VALUES ('%1',NULL);");
        QCOMPARE(exec({fes.arg("STA01.PSCADA.CH01.RTU01.A.B.C"), fes.arg("STA01.PSCADA.CH01.RTU09.P"), fes.arg("a.b")}), QString());
        QCOMPARE(pairs(CfgCheckRules::checkFesPointTagName({"fes_mix"})),
                 (QList<Pair>{{"STA01.PSCADA.CH01.RTU01.A.B.C", "字符'.'的数量异常"},
                              {"STA01.PSCADA.CH01.RTU09.P", kBad + "STA01.PSCADA.CH01.RTU09"},
                              {"a.b", "标签结构错误"}}));
        QCOMPARE(described(CfgCheckRules::checkFesPointTagName({"fes_mix"})).first(), QStringLiteral("STA01.PSCADA.CH01.RTU01.A.B.C|"));
        QVERIFY(pairs(CfgCheckRules::checkFesPointTagName({})).isEmpty());
        const ST_CfgCheckResult missing = CfgCheckRules::checkFesPointTagName({"no_such_table"});
        QVERIFY(missing.lstErrors.isEmpty());
        QVERIFY(missing.strFailure.contains(QStringLiteral("no_such_table")));

        const QString group = QStringLiteral("INSERT INTO dev_group (TAG_NAME,DESCRIPTION) VALUES ('%1','g');");
        QCOMPARE(exec({group.arg("STA01.G_1"), group.arg("STA01.G.X")}), QString());
        QCOMPARE(pairs(CfgCheckRules::checkDevGroupTagName()),
                 (QList<Pair>{{"STA01.G.X", "字符'.'的数量异常"}, {"STA01.G_1", "含有禁止使用字符'_'"}}));

        const QString dev = QStringLiteral("INSERT INTO dev_info (TAG_NAME,DESCRIPTION) VALUES ('%1','d');");
        QCOMPARE(exec({dev.arg("STA01.G1_D1_X"), dev.arg("STA01.G1.D1"), dev.arg("STA01.G1D1"), dev.arg("STA01.PSCADA1_X")}), QString());
        QCOMPARE(pairs(CfgCheckRules::checkDevTagName()),
                 (QList<Pair>{{"STA01.G1.D1", "标签结构错误"},
                              {"STA01.G1D1", "标签结构错误"},
                              {"STA01.G1_D1_X", "字符'_'的数量异常"}}));

        const QString point = QStringLiteral("INSERT INTO mix (TAG_NAME,DESCRIPTION) VALUES ('%1','p');");
        QCOMPARE(exec({point.arg("STA01.G1_D1.P1.X"), point.arg("STA01.PSCADA1_QF01.Y.Z"), point.arg("STA01.PSCADA1_QF01")}), QString());
        QList<Pair> found = pairs(CfgCheckRules::checkDevPointTagName({"mix"}));
        QCOMPARE(found, (QList<Pair>{{"STA01.G1_D1.P1.X", "字符'.'的数量异常"},
                                     {"STA01.G1_D1.P1.X", kBad + "STA01.G1_D1"},
                                     {"STA01.PSCADA1_QF01", "标签结构错误"},
                                     {"STA01.PSCADA1_QF01.Y.Z", "字符'.'的数量异常"}}));
    }

    // Each size is first run on SQLite, whose findings the servers must then give in the same order.
    void seededDefectsAreFound_data()
    {
        QTest::addColumn<Backend>("backend");
        QTest::addColumn<int>("points");
        for (int points : {0, 12000})
            for (Backend b : availableBackends())
                QTest::addRow("%s %d", qPrintable(backendName(b)), points) << b << points;
    }
    void seededDefectsAreFound()
    {
        QFETCH(Backend, backend);
        QFETCH(int, points);
        static QHash<int, QStringList> sqliteOrder;
        demo(true, backend, points);
        orvConfigCheck engine(nullptr);
        QStringList found;
        for (ST_CfgCheckType &type : engine.lstTypes) {
            engine.checkType(&type);
            for (const ST_CfgCheckItem &item : qAsConst(type.lstItems)) {
                QVERIFY2(item.strCheckFailure.isEmpty(), qPrintable(item.strCheckFailure));
                for (const ST_CfgCheckError &e : item.lstErrors)
                    found.append(QString::number(item.nCheckRule) + QLatin1Char('|') + e.strTagName + QLatin1Char('|') + e.strReason);
            }
        }
        QSet<QString> expected;
        for (const SeededDefect &d : qAsConst(m_defects))
            expected.insert(QString::number(d.rule) + QLatin1Char('|') + d.tag + QLatin1Char('|') + d.reason);
        QCOMPARE(QSet<QString>(found.begin(), found.end()), expected);
        if (backend == Backend::SQLite)
            sqliteOrder.insert(points, found);
        else
            QCOMPARE(found, sqliteOrder.value(points));
        if (points > 0)
            return;

        // The same run again gives the same findings, not doubled ones.
        ST_CfgCheckType &first = engine.lstTypes.first();
        engine.checkType(&first);
        const int once = first.lstItems.first().lstErrors.size();
        engine.checkType(&first);
        QCOMPARE(first.lstItems.first().lstErrors.size(), once);
        QVERIFY(first.bHasError);
    }

    void linkAndExistenceRules()
    {
        demo(false);
        orvConfigCheck engine(nullptr);
        QList<int> progress;
        connect(&engine, &orvConfigCheck::sigCheckProgress, this, [&](int v) { progress << v; });
        const QStringList link = {"SYS_MODEL_APP_INFO", "DOMAIN_ID", "TAG_NAME", "DESCRIPTION", "SYS_MODEL_DOMAIN_INFO", "DOMAIN_ID", "TAG_NAME"};
        QCOMPARE(exec({QStringLiteral("INSERT INTO SYS_MODEL_APP_INFO VALUES (2,'APP2','应用2',9);"),
                       QStringLiteral("INSERT INTO SYS_MODEL_APP_INFO VALUES (3,'APP3','应用3',NULL);")}),
                 QString());
        QCOMPARE(pairs(CfgCheckRules::checkLink(&engine, link)),
                 (QList<Pair>{{"APP2", "DOMAIN_ID = 9 不存在"}, {"APP3", "DOMAIN_ID =  不存在"}}));
        QCOMPARE(progress, (QList<int>{0, 33, 66}));
        QVERIFY(pairs(CfgCheckRules::checkLink(&engine, link.mid(0, 6))).isEmpty());
        QCOMPARE(pairs(CfgCheckRules::checkLink(&engine, link + QStringList{"ignored"})).size(), 2);

        const QStringList lock = {"digital_lock_param", "DI_TAG", "DESCRIPTION", "digital", "IS_CONTROL", "DESCRIPTION"};
        QVERIFY(pairs(CfgCheckRules::checkLockParamIsControl(&engine, lock)).isEmpty());
        QCOMPARE(exec({QStringLiteral("UPDATE digital SET IS_CONTROL = 0 WHERE TAG_NAME = 'STA01.PSCADA1_QF01.Pos';"),
                       QStringLiteral("UPDATE digital SET IS_CONTROL = NULL WHERE TAG_NAME = 'STA01.PSCADA1_QF02.Pos';")}),
                 QString());
        QCOMPARE(pairs(CfgCheckRules::checkLockParamIsControl(&engine, lock)),
                 (QList<Pair>{{"STA01.PSCADA1_QF01.Pos", "DI点不可控"}}));

        const QStringList exist = {"linkage_action", "POINT_REF", "TAG_NAME"};
        QVERIFY(pairs(CfgCheckRules::checkPointIsExist(&engine, exist)).isEmpty());
        const QString ins = QStringLiteral("INSERT INTO linkage_action (TAG_NAME,POINT_REF) VALUES ('%1','%2');");
        QCOMPARE(exec({ins.arg("X1", "analog.STA01.PSCADA1_QF01.Ia.value"), ins.arg("X2", "analog.v"), ins.arg("X3", "nodot"),
                       ins.arg("X4", ""), ins.arg("X5", "analog WHERE 1=1 OR TAG_NAME.x.v")}),
                 QString());
        QCOMPARE(pairs(CfgCheckRules::checkPointIsExist(&engine, exist)),
                 (QList<Pair>{{"analog WHERE 1=1 OR TAG_NAME.x.v", "后台测点 analog WHERE 1=1 OR TAG_NAME.x.v 不存在"},
                              {"analog.v", "后台测点 analog.v 不存在"},
                              {"nodot", "后台测点 nodot 不存在"}}));

        const QStringList links = {"analog", "TAG_NAME", "DESCRIPTION", "analog_map_to_fes", "RTU_TAG", "FES_TAG"};
        QCOMPARE(exec({QStringLiteral("UPDATE analog_map_to_fes SET FES_TAG = '-1' WHERE KEY_ID_TAG = 'analog.STA01.PSCADA1_QF01.Ia';"),
                       QStringLiteral("UPDATE analog_map_to_fes SET FES_TAG = '-1' WHERE KEY_ID_TAG = 'analog.STA01.PSCADA1_QF01.Ib';"),
                       QStringLiteral("UPDATE analog SET POINT_PROPERTY = 1 WHERE TAG_NAME = 'STA01.PSCADA1_QF01.Ib';")}),
                 QString());
        QCOMPARE(pairs(CfgCheckRules::checkDevPointLinkFes(&engine, links)), (QList<Pair>{{"STA01.PSCADA1_QF01.Ia", "未关联前置测点"}}));
        QVERIFY(pairs(CfgCheckRules::checkDevPointLinkFes(&engine, links.mid(0, 5))).isEmpty());

        // A lookup that fails is no verdict: every point would otherwise be missing.
        const QList<ST_CfgCheckResult> failed = {
            CfgCheckRules::checkLockParamIsControl(&engine, {"digital_lock_param", "DI_TAG", "DESCRIPTION", "digital", "NO_SUCH_COLUMN", "DESCRIPTION"}),
            CfgCheckRules::checkPointIsExist(&engine, {"linkage_action", "POINT_REF", "NO_SUCH_COLUMN"}),
            CfgCheckRules::checkDevPointLinkFes(&engine, {"analog", "TAG_NAME", "DESCRIPTION", "analog_map_to_fes", "RTU_TAG", "NO_SUCH_COLUMN"}),
            CfgCheckRules::checkLink(&engine, link.mid(0, 5) + QStringList{"NO_SUCH_COLUMN", "TAG_NAME"})};
        for (const ST_CfgCheckResult &r : failed) {
            QVERIFY(r.lstErrors.isEmpty());
            QVERIFY2(r.strFailure.contains(QStringLiteral("NO_SUCH_COLUMN"), Qt::CaseInsensitive), qPrintable(r.strFailure));
            QVERIFY(r.strFailedQuery.contains(QStringLiteral("NO_SUCH_COLUMN")));
        }
        // A lookup in chunks of keys names its statement without the keys.
        QVERIFY(failed.at(1).strFailedQuery.endsWith(QStringLiteral("IN (...);")));
    }

    void linkFindingsNameTheirOwnRows_data() { addBackendRows(); }
    void linkFindingsNameTheirOwnRows()
    {
        // Each point whose RTU is gone names its own row's description, in the order of the tags.
        QFETCH(Backend, backend);
        demo(false, backend);
        const QStringList rule = {"fes_analog", "RTU_TAG", "TAG_NAME", "DESCRIPTION", "fes_rtu_para", "TAG_NAME", "DESCRIPTION"};
        const auto described = [](const ST_CfgCheckResult &result) {
            if (!result.strFailure.isEmpty())
                return QStringList{QStringLiteral("检查失败: ") + result.strFailure};
            QStringList out;
            for (const ST_CfgCheckError &e : result.lstErrors)
                out << e.strTagName + QLatin1Char('|') + e.strDesc + QLatin1Char('|') + e.strReason;
            return out;
        };
        QVERIFY(described(CfgCheckRules::checkLink(nullptr, rule)).isEmpty());
        // A description column the table lacks fails the rule even where no row is found.
        QStringList misnamed = rule;
        misnamed[3] = QStringLiteral("NO_SUCH_COLUMN");
        const ST_CfgCheckResult unchecked = CfgCheckRules::checkLink(nullptr, misnamed);
        QVERIFY2(unchecked.strFailure.contains(QStringLiteral("NO_SUCH_COLUMN"), Qt::CaseInsensitive), qPrintable(unchecked.strFailure));
        QVERIFY(unchecked.strFailedQuery.contains(QStringLiteral("NO_SUCH_COLUMN")));

        const QString ins = QStringLiteral("INSERT INTO fes_analog (TAG_NAME,DESCRIPTION,RTU_TAG) VALUES (%1,%2,'NO.RTU');");
        QStringList rows = {ins.arg("'Z.B '", "'blank'"), ins.arg("'Z.A'", "NULL"), ins.arg("''", "'empty'")};
        QStringList expected = {"|empty|RTU_TAG = NO.RTU 不存在", "Z.A||RTU_TAG = NO.RTU 不存在", "Z.B |blank|RTU_TAG = NO.RTU 不存在"};
        // SQLite's text key takes NULL, in any number of rows: they cannot be told apart by it.
        if (backend == Backend::SQLite) {
            rows << ins.arg("NULL", "'n2'") << ins.arg("NULL", "'n1'");
            expected.insert(1, "|n1|RTU_TAG = NO.RTU 不存在");
            expected.insert(2, "|n2|RTU_TAG = NO.RTU 不存在");
        }
        QCOMPARE(exec(rows), QString());
        QCOMPARE(described(CfgCheckRules::checkLink(nullptr, rule)), expected);
        QVERIFY(!CfgCheckRules::checkLink(nullptr, misnamed).strFailure.isEmpty());
    }

    void permissionRules()
    {
        demo(false);
        QVERIFY(pairs(CfgCheckRules::checkAccess(nullptr)).isEmpty());
        // No picture rights row: every picture; two rows: none.
        QCOMPARE(exec({QStringLiteral("DELETE FROM RM_USERG_HMI_INFO WHERE PERM_TYPE = 0;")}), QString());
        QCOMPARE(pairs(CfgCheckRules::checkAccess(nullptr)).size(), 6);
        QCOMPARE(pairs(CfgCheckRules::checkAccess(nullptr)).first().second, QStringLiteral("画面权限 PIC_MAIN未配置"));
        QCOMPARE(exec({QStringLiteral("INSERT INTO RM_USERG_HMI_INFO (RECORD_ID,PERM_USER_GROUP,PERM_TYPE,PERM_ATTRIBUTE) VALUES (7,1,0,1);"),
                       QStringLiteral("INSERT INTO RM_USERG_HMI_INFO (RECORD_ID,PERM_USER_GROUP,PERM_TYPE,PERM_ATTRIBUTE) VALUES (8,1,0,1);")}),
                 QString());
        QVERIFY(pairs(CfgCheckRules::checkAccess(nullptr)).isEmpty());
        // Station 2 missing from the group: one location finding; the RSP rows do not check it.
        QCOMPARE(exec({QStringLiteral("UPDATE RM_USERG_DEF SET PERM_LOCATION1 = 5 WHERE PERM_ID = 1;"),
                       QStringLiteral("UPDATE RM_USERG_RSP_INFO SET PERM_LOCATION1 = 1 WHERE PERM_ROLE = 1 AND PERM_SPEFUNC = 2;")}),
                 QString());
        QCOMPARE(pairs(CfgCheckRules::checkAccess(nullptr)),
                 (QList<Pair>{{"STA02", "用户组所属位置 人民广场站 未配置"}, {"STA03", "特殊功能 告警确认的子节点市政府站 未配置"}}));

        // Unreadable user groups: not every location missing, but a check that could not run.
        QCOMPARE(exec({QStringLiteral("ALTER TABLE RM_USERG_DEF RENAME TO RM_USERG_DEF_OLD;")}), QString());
        const ST_CfgCheckResult unread = CfgCheckRules::checkAccess(nullptr);
        QVERIFY(unread.lstErrors.isEmpty());
        QVERIFY(!unread.strFailure.isEmpty());
        QCOMPARE(unread.strFailedQuery, QStringLiteral("RM_USERG_DEF.xml"));
    }

    void sharedCatalogueIdentifiersTakeTheLastEntry()
    {
        // A catalogue without a key constraint may list one identifier twice; the finding names
        // the description of the entry the database returned last.
        demo(false);
        QCOMPARE(exec({QStringLiteral("DELETE FROM RM_USERG_HMI_INFO WHERE PERM_TYPE = 0;"),
                       QStringLiteral("DROP TABLE HMI_TYPE_INFO;"),
                       QStringLiteral("CREATE TABLE HMI_TYPE_INFO (HMI_ID int, HMI_NAME varchar(64), HMI_DESC varchar(128), HMI_FILE varchar(128));"),
                       QStringLiteral("INSERT INTO HMI_TYPE_INFO VALUES (9,'PIC_Z','zz first','a');"),
                       QStringLiteral("INSERT INTO HMI_TYPE_INFO VALUES (9,'PIC_A','aa last','b');")}),
                 QString());
        const ST_CfgCheckResult result = CfgCheckRules::checkAccess(nullptr);
        QStringList found;
        for (const ST_CfgCheckError &e : result.lstErrors)
            found.append(e.strTagName + QLatin1Char('|') + e.strDesc);
        QCOMPARE(found, (QStringList{"PIC_Z|aa last", "PIC_A|aa last"}));
    }

    void repairDeletesSelectedLastFirst()
    {
        demo(false);
        QCOMPARE(exec({QStringLiteral("CREATE TABLE deleted_log (n INTEGER PRIMARY KEY AUTOINCREMENT, tag TEXT);"),
                       QStringLiteral("CREATE TRIGGER log_delete AFTER DELETE ON fes_mix BEGIN "
                                      "INSERT INTO deleted_log (tag) VALUES (old.TAG_NAME); END;")}),
                      QString());
        const QStringList tags = {"T1.A", "T2.B'x", "T3.C", "T4.D''", "T5.E"};
        for (const QString &t : tags)
            QCOMPARE(exec({QStringLiteral("INSERT INTO fes_mix (TAG_NAME,DESCRIPTION) VALUES ('%1','x');").arg(orv_sql::escaped(t))}), QString());
        ST_CfgCheckItem item;
        item.nRepairRule = orvConfigCheck::FUNC_DELETE;
        item.bCanRepair = true;
        item.lstParams = QStringList{"fes_mix", "DESCRIPTION", "TAG_NAME"};
        for (const QString &t : tags)
            item.lstErrors.append(ST_CfgCheckError{false, t, QString(), QString()});
        for (int i : {0, 1, 3})
            item.lstErrors[i].bSelected = true;
        orvConfigCheck engine(nullptr);
        QVERIFY(engine.repairItem(&item));
        QCOMPARE(column(QStringLiteral("SELECT tag FROM deleted_log ORDER BY n;")), (QStringList{"T4.D''", "T2.B'x", "T1.A"}));
        QCOMPARE(item.lstErrors.size(), 2);
        QCOMPARE(item.lstErrors.at(0).strTagName, QStringLiteral("T3.C"));
        QCOMPARE(item.lstErrors.at(1).strTagName, QStringLiteral("T5.E"));

        // Too few parameters: nothing happens.
        item.lstParams = QStringList{"fes_mix", "DESCRIPTION"};
        item.lstErrors[0].bSelected = true;
        QVERIFY(engine.repairItem(&item));
        QCOMPARE(item.lstErrors.size(), 2);
        // A failing deletion keeps its findings.
        item.lstParams = QStringList{"no_such_table", "x", "TAG_NAME"};
        QVERIFY(!engine.repairItem(&item));
        QCOMPARE(item.lstErrors.size(), 2);
    }

    void dialogWithoutFindings()
    {
        demo(false);
        writeConfig(R"(<c><type name="结构" enable="true"><checkitem des="通道" checkRule="FUNC_CHECK_CHANNEL_TAGNAME"/></type></c>)");
        orvConfigCheckDlg dlg;
        QCOMPARE(dlg.size(), QSize(650, 410));
        QVERIFY(dlg.configProblems()->isHidden());
        QCOMPARE(dlg.mainButton()->text(), QStringLiteral("开始检查"));
        QCOMPARE(dlg.checkList()->count(), 1);
        dlg.mainButton()->click();
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateFinished));
        QCOMPARE(dlg.mainButton()->text(), QStringLiteral("完成"));
        QCOMPARE(dlg.pages()->currentIndex(), int(orvConfigCheckDlg::DonePage));
        QCOMPARE(dlg.runList()->count(), 1);
        QCOMPARE(dlg.progressBar()->value(), 0);
        dlg.mainButton()->click();
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateReady));
        QCOMPARE(dlg.pages()->currentIndex(), int(orvConfigCheckDlg::CheckListPage));

        // Nothing ticked.
        auto *row = qobject_cast<checkListItem *>(dlg.checkList()->itemWidget(dlg.checkList()->item(0)));
        row->setChecked(false);
        QString message;
        answerMessageBox(&message);
        dlg.mainButton()->click();
        QCOMPARE(message, QStringLiteral("消息|未选择检查项目"));
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateReady));
    }

    void dialogWithManualFindingsOnly()
    {
        demo(true);
        writeConfig(R"(<c><type name="结构" enable="true">
            <checkitem des="通道" checkRule="FUNC_CHECK_CHANNEL_TAGNAME" repairRule="FUNC_NULL"/>
            <checkitem des="空" checkRule="FUNC_CHECK_NULL" repairRule="FUNC_DELETE"/></type></c>)");
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateFinished));
        QCOMPARE(dlg.mainButton()->text(), QStringLiteral("完成"));
        QCOMPARE(dlg.pages()->currentIndex(), int(orvConfigCheckDlg::ResultsPage));
        QTreeWidgetItem *group = dlg.resultsTree()->topLevelItem(0);
        QCOMPARE(group->text(0), QStringLiteral("结构"));
        QCOMPARE(group->childCount(), 1);
        QCOMPARE(group->child(0)->text(1), QStringLiteral("4"));
        QCOMPARE(group->child(0)->text(3), QStringLiteral("    需手动修复"));

        // The error list of an item that cannot be repaired: three columns, no buttons.
        auto *cell = dlg.resultsTree()->itemWidget(group->child(0), 2);
        cell->findChild<QPushButton *>()->click();
        QCOMPARE(dlg.openErrorLists().size(), 1);
        orvErrorListDlg *list = dlg.openErrorLists().first();
        QCOMPARE(list->table()->rowCount(), 4);
        QVERIFY(list->table()->isColumnHidden(3));
        for (QPushButton *b : list->findChildren<QPushButton *>())
            QVERIFY(!b->isVisibleTo(list));
        QCOMPARE(list->table()->item(0, 0)->text(), QStringLiteral("NOLOC.PSCADA.CH92"));
        QCOMPARE(list->table()->item(0, 2)->text(), kBad + QStringLiteral("NOLOC"));
        QVERIFY(!(list->table()->item(0, 0)->flags() & Qt::ItemIsSelectable));
    }

    void findingsExport()
    {
        demo(true);
        writeConfig(R"(<c><type name="结构" enable="true">
            <checkitem des="通道" checkRule="FUNC_CHECK_CHANNEL_TAGNAME" repairRule="FUNC_NULL"/></type></c>)");
        orvConfigCheckDlg dlg;
        QString message;
        answerMessageBox(&message);
        dlg.onExport();
        QCOMPARE(message, QStringLiteral("消息|还没有检查结果可以导出"));

        dlg.mainButton()->click();
        const QString path = m_root->file(QStringLiteral("findings.csv"));
        answerExportDialog(path, false, &message);
        dlg.onExport();
        QCOMPARE(message, QStringLiteral("消息|已导出 4 行到 %1").arg(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.at(1), QStringLiteral("group,item,tag,description,reason"));
        QVERIFY2(lines.at(2).startsWith(QStringLiteral("结构,通道,NOLOC.PSCADA.CH92,")), qPrintable(lines.at(2)));
        QCOMPARE(lines.size(), 7);

        // An error list exports its item's findings as it shows them.
        QTreeWidgetItem *node = dlg.resultsTree()->topLevelItem(0)->child(0);
        dlg.resultsTree()->itemWidget(node, 2)->findChild<QPushButton *>()->click();
        answerExportDialog(path, false, &message);
        dlg.openErrorLists().first()->onExport();
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(file.readAll()).contains(QStringLiteral("\r\ntag,description,reason\r\nNOLOC.PSCADA.CH92,")));
    }

    void dialogRepairsTickedItems()
    {
        demo(true);
        writeConfig(group("测点", tableItem("前置模拟量", "FUNC_CHECK_FESPOINT_TAGNAME", "fes_analog")
                                      + tableItem("模拟量", "FUNC_CHECK_DEV_POINT_TAGNAME", "analog")));
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateRepairable));
        QCOMPARE(dlg.mainButton()->text(), QStringLiteral("修复勾选项"));
        QTreeWidgetItem *group = dlg.resultsTree()->topLevelItem(0);
        QCOMPARE(group->childCount(), 2);
        // Only the first item stays ticked.
        qobject_cast<treeCheckWidget *>(dlg.resultsTree()->itemWidget(group->child(1), 3))->checkBox()->setChecked(false);
        const int before = column(QStringLiteral("SELECT TAG_NAME FROM fes_analog;")).size();
        // The repair asks first, naming the count per table and the first tags; 取消 is the default
        // and deletes nothing.
        QString question;
        answerModal<QMessageBox>([&](QMessageBox *box) {
            question = box->text();
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Cancel));
            box->defaultButton()->click();
        });
        dlg.mainButton()->click();
        QVERIFY2(question.startsWith(QStringLiteral("将在一个事务中删除 3 条记录：\nfes_analog（前置模拟量）：3 条 — "))
                     && question.count(QStringLiteral(", ")) == 2,
                 qPrintable(question));
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateRepairable));
        QCOMPARE(column(QStringLiteral("SELECT TAG_NAME FROM fes_analog;")).size(), before);
        answerRepair(nullptr, nullptr);
        dlg.mainButton()->click();
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateFinished));
        QCOMPARE(dlg.pages()->currentIndex(), int(orvConfigCheckDlg::DonePage));
        QCOMPARE(column(QStringLiteral("SELECT TAG_NAME FROM fes_analog;")).size(), before - 3);
        QCOMPARE(column(QStringLiteral("SELECT TAG_NAME FROM analog WHERE TAG_NAME LIKE '%P9%';")).size(), 3);
    }

    void aHurriedSecondClickDeletesNothing()
    {
        demo(true);
        writeConfig(group("测点", tableItem("前置模拟量", "FUNC_CHECK_FESPOINT_TAGNAME", "fes_analog")));
        orvConfigCheckDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const int before = column(QStringLiteral("SELECT TAG_NAME FROM fes_analog;")).size();
        QTest::mouseClick(dlg.mainButton(), Qt::LeftButton);
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateRepairable));
        QTest::mouseClick(dlg.mainButton(), Qt::LeftButton); // the second click of a double click
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateRepairable));
        QCOMPARE(column(QStringLiteral("SELECT TAG_NAME FROM fes_analog;")).size(), before);
        // A moment later the button repairs.
        QTest::qWait(orvConfigCheckDlg::RepairHoldOffMs + 100);
        answerRepair(nullptr, nullptr);
        QTest::mouseClick(dlg.mainButton(), Qt::LeftButton);
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateFinished));
        QCOMPARE(column(QStringLiteral("SELECT TAG_NAME FROM fes_analog;")).size(), before - 3);
    }

    void errorListTicksAndRepair()
    {
        demo(true);
        writeConfig(group("测点", tableItem("模拟量", "FUNC_CHECK_DEV_POINT_TAGNAME", "analog")));
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();
        QTreeWidgetItem *node = dlg.resultsTree()->topLevelItem(0)->child(0);
        dlg.resultsTree()->itemWidget(node, 2)->findChild<QPushButton *>()->click();
        orvErrorListDlg *list = dlg.openErrorLists().first();
        QTableWidget *table = list->table();
        QCOMPARE(table->rowCount(), 3);
        table->item(1, 3)->setCheckState(Qt::Unchecked);
        list->onSelOver();
        QCOMPARE(table->item(0, 3)->checkState(), Qt::Unchecked);
        QCOMPARE(table->item(1, 3)->checkState(), Qt::Checked);
        list->onSelOver();
        QCOMPARE(table->item(0, 3)->checkState(), Qt::Checked);
        QCOMPARE(table->item(1, 3)->checkState(), Qt::Unchecked);

        // Nothing ticked: nothing removed, still a repair request and its message.
        list->onSelAll();
        list->onSelOver();
        QSignalSpy repairs(list, &orvErrorListDlg::sigRepair);
        QString message;
        answerMessageBox(&message);
        list->onClear();
        QCOMPARE(repairs.count(), 1);
        QCOMPARE(message, QStringLiteral("消息|修复成功\n已删除 0 条记录"));
        QCOMPARE(table->rowCount(), 3);

        // Row 1 ("STA01.PSCADA1_QF01.P92.X") is repaired alone.
        const QString tag = table->item(1, 0)->text();
        table->item(1, 3)->setCheckState(Qt::Checked);
        answerRepair(nullptr, &message);
        list->onClear();
        QCOMPARE(message, QStringLiteral("消息|修复成功\n已删除 1 条记录"));
        QCOMPARE(table->rowCount(), 2);
        QVERIFY(column(QStringLiteral("SELECT TAG_NAME FROM analog WHERE TAG_NAME = '%1';").arg(tag)).isEmpty());
        node = dlg.resultsTree()->topLevelItem(0)->child(0);
        QCOMPARE(node->text(1), QStringLiteral("2"));
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateRepairable));

        // Running the group again closes its error lists: their rows would be stale.
        QPointer<orvErrorListDlg> stale(list);
        qobject_cast<treeCheckWidget *>(dlg.resultsTree()->itemWidget(node, 3))->checkBox()->setChecked(false);
        dlg.mainButton()->click(); // nothing ticked to repair -> finished
        QVERIFY(!stale.isNull());
        dlg.mainButton()->click(); // -> ready
        dlg.mainButton()->click(); // run
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(stale.isNull());
    }

    void anItemThatCannotDeleteKeepsItsRows()
    {
        demo(true);
        // The key column is missing: nothing can be deleted.
        writeConfig(group("测点", R"(<checkitem des="前置模拟量" checkRule="FUNC_CHECK_FESPOINT_TAGNAME" repairRule="FUNC_DELETE">
            <param value="fes_analog"/></checkitem>)"));
        const int before = rowCount(QStringLiteral("fes_analog"));
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();
        QTreeWidgetItem *node = dlg.resultsTree()->topLevelItem(0)->child(0);
        dlg.resultsTree()->itemWidget(node, 2)->findChild<QPushButton *>()->click();
        orvErrorListDlg *list = dlg.openErrorLists().first();
        list->table()->item(0, 3)->setCheckState(Qt::Unchecked);
        answerMessageBox(nullptr);
        list->onClear();
        QCOMPARE(rowCount(QStringLiteral("fes_analog")), before);
        const ST_CfgCheckItem *item = list->checkItem();
        QCOMPARE(list->table()->rowCount(), item->lstErrors.size());
        for (int row = 0; row < item->lstErrors.size(); ++row)
            QCOMPARE(list->table()->item(row, 0)->text(), item->lstErrors.at(row).strTagName);
    }

    void failedRepairsAreNotReportedAsSuccess()
    {
        demo(true);
        writeConfig(group("测点", tableItem("前置模拟量", "FUNC_CHECK_FESPOINT_TAGNAME", "fes_analog")));
        QCOMPARE(exec({QStringLiteral("CREATE TRIGGER keep_points BEFORE DELETE ON fes_analog "
                                      "BEGIN SELECT RAISE(ABORT, 'points are locked'); END;")}),
                 QString());
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();
        QTreeWidgetItem *node = dlg.resultsTree()->topLevelItem(0)->child(0);
        dlg.resultsTree()->itemWidget(node, 2)->findChild<QPushButton *>()->click();
        orvErrorListDlg *list = dlg.openErrorLists().first();
        // Declined, the list shows its rows again and nothing is said.
        answerModal<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Cancel)->click(); });
        list->onClear();
        QCOMPARE(list->table()->rowCount(), 3);
        QString message;
        answerRepair(nullptr, &message);
        list->onClear();
        QVERIFY2(message.startsWith(QStringLiteral("消息|修复失败，未删除任何记录\n")) && message.contains(QStringLiteral("points are locked")),
                 qPrintable(message));
        QCOMPARE(list->table()->rowCount(), 3);
        QCOMPARE(dlg.resultsTree()->topLevelItem(0)->child(0)->text(1), QStringLiteral("3"));

        answerRepair(nullptr, &message);
        dlg.mainButton()->click();
        QVERIFY2(message.startsWith(QStringLiteral("消息|修复失败，未删除任何记录\n")), qPrintable(message));
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateRepairable));
        QCOMPARE(dlg.resultsTree()->topLevelItem(0)->child(0)->text(1), QStringLiteral("3"));
    }

    void failedItemsShowTheirReasonAndNoFindings_data() { addBackendRows(); }
    void failedItemsShowTheirReasonAndNoFindings()
    {
        QFETCH(Backend, backend);
        demo(true, backend);
        // A wrong target column once made every row a finding, ticked for deletion; a parent
        // table that cannot be read made every point a finding.
        writeConfig(group("关联", rtuLink("前置模拟量所属RTU", "NO_SUCH_COLUMN")
                                      + tableItem("模拟量测点标签", "FUNC_CHECK_DEV_POINT_TAGNAME", "analog")
                                      + R"(<checkitem des="前置通道标签" checkRule="FUNC_CHECK_CHANNEL_TAGNAME" repairRule="FUNC_NULL"/>)"));
        QCOMPARE(exec({QStringLiteral("ALTER TABLE dev_info RENAME TO dev_info_gone;")}), QString());
        const int points = rowCount(QStringLiteral("fes_analog"));
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();

        const ST_CfgCheckType &group = dlg.engine()->lstTypes.first();
        QVERIFY(group.bHasError);
        for (int i : {0, 1}) {
            QVERIFY(group.lstItems.at(i).lstErrors.isEmpty());
            QVERIFY(!group.lstItems.at(i).strCheckFailure.isEmpty());
        }
        QTreeWidgetItem *link = resultNode(dlg, QStringLiteral("前置模拟量所属RTU"));
        QVERIFY(link);
        QCOMPARE(link->text(1), QStringLiteral("检查失败"));
        QVERIFY(link->toolTip(1).startsWith(QStringLiteral("检查失败：")));
        QVERIFY(link->toolTip(1).contains(QStringLiteral("NO_SUCH_COLUMN"), Qt::CaseInsensitive));
        QVERIFY(!dlg.resultsTree()->itemWidget(link, 3)); // nothing to tick
        QString message;
        answerMessageBox(&message);
        dlg.resultsTree()->itemWidget(link, 2)->findChild<QPushButton *>()->click();
        QCOMPARE(message, QStringLiteral("消息|") + link->toolTip(1));
        QVERIFY(dlg.openErrorLists().isEmpty());
        QTreeWidgetItem *tags = resultNode(dlg, QStringLiteral("模拟量测点标签"));
        QVERIFY(tags && tags->text(1) == QStringLiteral("检查失败"));
        QCOMPARE(resultNode(dlg, QStringLiteral("前置通道标签"))->text(1), QStringLiteral("4"));
        // Nothing is left to repair: the dialog is finished and the table whole.
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateFinished));
        QCOMPARE(dlg.pages()->currentIndex(), int(orvConfigCheckDlg::ResultsPage));
        ST_CfgCheckItem *failed = &dlg.engine()->lstTypes.first().lstItems.first();
        QVERIFY(dlg.engine()->repairItems({failed}));
        QCOMPARE(dlg.engine()->repairedRecords(), 0);
        QCOMPARE(rowCount(QStringLiteral("fes_analog")), points);
    }

    void itemsSayWhyTheirOwnLinkDidNotOpen()
    {
        // Items run over connections of their own, opened like the link: when those cannot be
        // opened, each item says why instead of reporting that nothing was found.
        demo(true);
        orvConfigCheck engine(nullptr);
        const QString file = OrvTableDataMgr::getInstance()->linkParams().database;
        QVERIFY(QFile::rename(file, file + QStringLiteral(".moved")));
        ST_CfgCheckType &group = engine.lstTypes.first();
        // Such workers end at once, at times before the run waits for them: every run returns.
        // Many runs, as that moment is short.
        bool stuck = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [&stuck] {
            stuck = true;
            QCoreApplication::exit(1);
        });
        for (int run = 0; run < 2000 && !stuck; ++run) {
            watchdog.start(5000);
            engine.checkType(&group);
        }
        QVERIFY(QFile::rename(file + QStringLiteral(".moved"), file));
        QVERIFY(!stuck);
        QVERIFY(group.bHasError && group.lstItems.size() > 2);
        for (const ST_CfgCheckItem &item : qAsConst(group.lstItems)) {
            QVERIFY(item.lstErrors.isEmpty());
            QVERIFY2(item.strCheckFailure.contains(QStringLiteral("数据库文件不存在")), qPrintable(item.strCheckFailure));
        }
        engine.checkType(&group);
        QVERIFY(group.lstItems.first().strCheckFailure.isEmpty());
    }

    void largeServerAnswersComeWhole()
    {
        // PostgreSQL's driver hands a forward-only answer over row by row: every row comes, in
        // order, and a failed statement is a failure that leaves the connection usable.
        if (!TestServers::available())
            QSKIP("no test servers");
        demo(false, Backend::PostgreSQL);
        CfgCheckRules::RuleQuery query;
        int seen = 0;
        bool inOrder = true;
        query.forEach(QStringLiteral("SELECT g FROM generate_series(1, 45001) g ORDER BY g"),
                      [&](const CfgCheckRules::RuleQuery::Row &row) { inOrder = inOrder && row.at(0).toInt() == ++seen; });
        QVERIFY(!query.failed() && inOrder);
        QCOMPARE(seen, 45001);
        CfgCheckRules::RuleQuery broken;
        broken.forEach(QStringLiteral("SELECT no_such_column FROM analog"), [](const CfgCheckRules::RuleQuery::Row &) {});
        QVERIFY(broken.failed());
        CfgCheckRules::RuleQuery after;
        QVERIFY(after.count(QStringLiteral("analog")) > 0 && !after.failed());
    }

    void frontEndPointsLinkedTwiceGroupByExactText_data() { addBackendRows(); }
    void frontEndPointsLinkedTwiceGroupByExactText()
    {
        // Texts that differ only in a trailing blank or letter case are different points; the
        // points come in code-point order (U+FF3A before U+1D538), each with its keys in order.
        QFETCH(Backend, backend);
        demo(false, backend);
        QStringList inserts;
        const QList<Pair> links = {{"k.b1", "F.x"}, {"k.a1", "F.x"}, {"k.c1", "F.x "}, {"k.d1", "f.x"},
                                   {"k.e2", "\uFF3A"}, {"k.e1", "\uFF3A"}, {"k.f3", "\U0001D538"},
                                   {"k.f1", "\U0001D538"}, {"k.f2", "\U0001D538"}};
        for (const Pair &link : links)
            inserts << QStringLiteral("INSERT INTO analog_map_to_fes (KEY_ID_TAG,DESCRIPTION,LOCATION_ID,SUB_SYSTEM,RTU_TAG,FES_TAG) "
                                      "VALUES ('%1','d',1,1,'r','%2');").arg(link.first, link.second);
        QCOMPARE(exec(inserts), QString());
        const QList<Pair> expected = {{"F.x", "被 2 个后台测点关联：k.a1, k.b1"},
                                      {"\uFF3A", "被 2 个后台测点关联：k.e1, k.e2"},
                                      {"\U0001D538", "被 3 个后台测点关联：k.f1, k.f2, k.f3"}};
        QCOMPARE(pairs(CfgCheckRules::checkFesLinkedTwice({"analog_map_to_fes", "fes_analog"})), expected);
    }

    void linkValuesMatchTheirTargetsExactly_data() { addBackendRows(); }
    void linkValuesMatchTheirTargetsExactly()
    {
        // A value that differs from an existing tag only by a trailing blank names no row, and a
        // front-end link of blanks is a link: the same findings on every database, though
        // MariaDB's utf8mb4_bin takes 'X ' for 'X', in a join and in the cache of a subquery's
        // results (a row read after one linked to 'X' exactly).
        QFETCH(Backend, backend);
        demo(false, backend);
        const QString rtu = column(QStringLiteral("SELECT TAG_NAME FROM fes_rtu_para ORDER BY TAG_NAME;")).value(0);
        const QString di = column(QStringLiteral("SELECT DI_TAG FROM digital_lock_param ORDER BY DI_TAG;")).value(0);
        const QString fes = column(QStringLiteral("SELECT TAG_NAME FROM fes_analog ORDER BY TAG_NAME;")).value(0);
        const QString fesPlace = column(QStringLiteral("SELECT LOCATION_ID FROM fes_analog WHERE TAG_NAME = '%1';").arg(fes)).value(0);
        const QString elsewhere =
            column(QStringLiteral("SELECT TAG_NAME FROM analog WHERE LOCATION_ID <> %1 ORDER BY TAG_NAME;").arg(fesPlace)).value(0);
        QVERIFY(!rtu.isEmpty() && !di.isEmpty() && !fes.isEmpty() && !elsewhere.isEmpty());
        QStringList writes = {
            QStringLiteral("INSERT INTO fes_analog (TAG_NAME,DESCRIPTION,RTU_TAG) VALUES ('Z.1','d','%1 ');").arg(rtu),
            QStringLiteral("INSERT INTO digital_lock_param (TAG_NAME,DESCRIPTION,DI_TAG,LOCK_VALUE,LOCATION_ID,SUB_SYSTEM) "
                           "VALUES ('Z.L1','d','%1 ',1,1,4);").arg(di),
            QStringLiteral("UPDATE analog_map_to_fes SET FES_TAG = '%1 ' WHERE KEY_ID_TAG = 'analog.%2';").arg(fes, elsewhere)};
        for (const char *key : {"k.a1", "k.b1"})
            writes << QStringLiteral("INSERT INTO analog_map_to_fes (KEY_ID_TAG,DESCRIPTION,LOCATION_ID,SUB_SYSTEM,RTU_TAG,FES_TAG) "
                                     "VALUES ('%1','d',1,1,'r',' ');").arg(QLatin1String(key));
        QCOMPARE(exec(writes), QString());
        QCOMPARE(column(QStringLiteral("SELECT FES_TAG FROM analog_map_to_fes WHERE KEY_ID_TAG = 'analog.%1';").arg(elsewhere)),
                 QStringList{fes + " "});

        const QStringList link = {"fes_analog", "RTU_TAG", "TAG_NAME", "DESCRIPTION", "fes_rtu_para", "TAG_NAME", "DESCRIPTION"};
        QCOMPARE(pairs(CfgCheckRules::checkLink(nullptr, link)), (QList<Pair>{{"Z.1", "RTU_TAG = " + rtu + "  不存在"}}));
        const QStringList lock = {"digital_lock_param", "DI_TAG", "DESCRIPTION", "digital", "IS_CONTROL", "DESCRIPTION"};
        QCOMPARE(pairs(CfgCheckRules::checkLockParamIsControl(nullptr, lock)), (QList<Pair>{{di + " ", "DI点不存在"}}));
        QCOMPARE(pairs(CfgCheckRules::checkFesLinkedTwice({"analog_map_to_fes", "fes_analog"})),
                 (QList<Pair>{{" ", "被 2 个后台测点关联：k.a1, k.b1"}}));
        // A link to no front-end point is not compared across places.
        QCOMPARE(pairs(CfgCheckRules::checkLinkAcrossPlaces({"analog_map_to_fes", "analog", "fes_analog"})), QList<Pair>());
    }

    void keyOrderedReadsKeepCodePointOrder()
    {
        // MariaDB reads a table in the order of its text key, which its binary collation gives as
        // code points, except that a key a control character extends comes before the key itself
        // there: the rule then runs again in the exact order.
        if (!TestServers::available())
            QSKIP("no test servers");
        demo(true, Backend::MariaDB);
        using CfgCheckRules::RuleQuery;
        const auto keyOrderHolds = [] {
            RuleQuery::allowKeyOrder(true);
            RuleQuery query;
            query.forEach(query.sortedSelect({QStringLiteral("TAG_NAME"), QStringLiteral("DESCRIPTION")}, QStringLiteral("fes_channel_para")),
                          [](const RuleQuery::Row &) {});
            const bool holds = !RuleQuery::keyOrderFailed() && !query.failed();
            RuleQuery::allowKeyOrder(false);
            return holds;
        };
        // More rows than one range of the key holds: all of them come, in order, and a rule
        // finds over them what it finds in the exact order.
        QCOMPARE(exec({QStringLiteral("INSERT INTO fes_channel_para (TAG_NAME) SELECT CONCAT('ZZ.CH', seq) FROM seq_1_to_45001;")}),
                 QString());
        const int channels = rowCount(QStringLiteral("fes_channel_para"));
        QVERIFY(channels > 45001);
        RuleQuery::allowKeyOrder(true);
        RuleQuery ranged;
        int seen = 0;
        ranged.forEach(ranged.sortedSelect({QStringLiteral("TAG_NAME"), QStringLiteral("DESCRIPTION")}, QStringLiteral("fes_channel_para")),
                       [&seen](const RuleQuery::Row &) { ++seen; });
        QVERIFY(!ranged.failed() && !RuleQuery::keyOrderFailed());
        QCOMPARE(seen, channels);
        const auto channelFindings = [] {
            QStringList found;
            for (const ST_CfgCheckError &e : CfgCheckRules::checkChannelTagName().lstErrors)
                found << e.strTagName + QLatin1Char('|') + e.strReason;
            return found;
        };
        const QStringList keyOrdered = channelFindings();
        QVERIFY(!RuleQuery::keyOrderFailed() && keyOrdered.size() > 45001);
        RuleQuery::allowKeyOrder(false);
        QCOMPARE(keyOrdered, channelFindings());
        QCOMPARE(exec({QStringLiteral("DELETE FROM fes_channel_para WHERE TAG_NAME LIKE 'ZZ.CH%';")}), QString());

        QVERIFY(keyOrderHolds());
        QCOMPARE(exec({QStringLiteral("UPDATE fes_channel_para SET TAG_NAME = 'NOLOC.K' ORDER BY TAG_NAME LIMIT 1;"),
                       QStringLiteral("UPDATE fes_channel_para SET TAG_NAME = CONCAT('NOLOC.K', CHAR(9)) WHERE TAG_NAME <> 'NOLOC.K' "
                                      "ORDER BY TAG_NAME LIMIT 1;")}),
                 QString());
        QVERIFY(!keyOrderHolds());

        writeConfig(group("通道", R"(<checkitem des="前置通道标签" checkRule="FUNC_CHECK_CHANNEL_TAGNAME" repairRule="FUNC_NULL"/>)"));
        orvConfigCheck engine(nullptr);
        engine.checkType(&engine.lstTypes.first());
        QStringList tags;
        for (const ST_CfgCheckError &e : engine.lstTypes.first().lstItems.first().lstErrors)
            tags << e.strTagName;
        const int plain = tags.indexOf(QStringLiteral("NOLOC.K"));
        QVERIFY2(plain >= 0 && tags.value(plain + 1) == QStringLiteral("NOLOC.K\t"), qPrintable(tags.join(QLatin1Char('|'))));
        QVERIFY(std::is_sorted(tags.begin(), tags.end(), [](const QString &a, const QString &b) { return a.toUcs4() < b.toUcs4(); }));

        // A key whose collation ignores letter case is not read in its order at all: every rule
        // over it would otherwise run twice.
        QCOMPARE(exec({QStringLiteral("ALTER TABLE fes_channel_para MODIFY TAG_NAME VARCHAR(128) COLLATE utf8mb4_general_ci NOT NULL;"),
                       QStringLiteral("UPDATE fes_channel_para SET TAG_NAME = 'NOLOC.a' WHERE TAG_NAME = 'NOLOC.K';"),
                       QStringLiteral("UPDATE fes_channel_para SET TAG_NAME = 'NOLOC.B' WHERE TAG_NAME <> 'NOLOC.a' ORDER BY TAG_NAME LIMIT 1;")}),
                 QString());
        QVERIFY(keyOrderHolds());

        // A set of a table's keys needs no order: a key a control character extends does not
        // make a rule run again over its millions of rows.
        QCOMPARE(exec({QStringLiteral("INSERT INTO fes_rtu_para (TAG_NAME) SELECT CONCAT(MIN(TAG_NAME), CHAR(1)) FROM fes_rtu_para;")}),
                 QString());
        RuleQuery::allowKeyOrder(true);
        const ST_CfgCheckResult points = CfgCheckRules::checkFesPointTagName({"fes_analog"});
        QVERIFY2(points.strFailure.isEmpty(), qPrintable(points.strFailure));
        QVERIFY(!RuleQuery::keyOrderFailed());
        RuleQuery::allowKeyOrder(false);
    }

    void repairOverTwoItemsIsAllOrNothing()
    {
        demo(true);
        writeConfig(group("测点", tableItem("前置模拟量", "FUNC_CHECK_FESPOINT_TAGNAME", "fes_analog")
                                      + tableItem("模拟量", "FUNC_CHECK_DEV_POINT_TAGNAME", "analog")));
        QCOMPARE(exec({QStringLiteral("CREATE TRIGGER keep_points BEFORE DELETE ON analog "
                                      "BEGIN SELECT RAISE(ABORT, 'points are locked'); END;")}),
                 QString());
        const int fes = rowCount(QStringLiteral("fes_analog"));
        const int analog = rowCount(QStringLiteral("analog"));
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();
        QSignalSpy dbErrors(OrvTableDataMgr::getInstance(), &OrvTableDataMgr::dbError);
        QString message;
        answerRepair(nullptr, &message);
        dlg.mainButton()->click();
        QVERIFY2(message.startsWith(QStringLiteral("消息|修复失败，未删除任何记录\n")) && message.contains(QStringLiteral("points are locked")),
                 qPrintable(message));
        QCOMPARE(dbErrors.count(), 0); // one message, not a second box from the library
        QCOMPARE(rowCount(QStringLiteral("fes_analog")), fes);
        QCOMPARE(rowCount(QStringLiteral("analog")), analog);
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateRepairable));
        QCOMPARE(resultNode(dlg, QStringLiteral("前置模拟量"))->text(1), QStringLiteral("3"));
        QCOMPARE(resultNode(dlg, QStringLiteral("模拟量"))->text(1), QStringLiteral("3"));
        for (const ST_CfgCheckItem &item : dlg.engine()->lstTypes.first().lstItems)
            for (const ST_CfgCheckError &e : item.lstErrors)
                QVERIFY(!e.bSelected);
    }

    void repairDeletesEachRecordOnce()
    {
        demo(true);
        // The point with a dead RTU is a finding of both items: it is deleted once.
        writeConfig(group("前置", tableItem("前置模拟量标签", "FUNC_CHECK_FESPOINT_TAGNAME", "fes_analog") + rtuLink("前置模拟量所属RTU")));
        const int before = rowCount(QStringLiteral("fes_analog"));
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateRepairable));
        QString question;
        answerRepair(&question, nullptr);
        dlg.mainButton()->click();
        QVERIFY2(question.startsWith(QStringLiteral("将在一个事务中删除 3 条记录：")), qPrintable(question));
        QCOMPARE(dlg.pages()->currentIndex(), int(orvConfigCheckDlg::DonePage));
        QCOMPARE(dlg.doneText()->text(), QStringLiteral("已删除 3 条记录"));
        QCOMPARE(rowCount(QStringLiteral("fes_analog")), before - 3);
        dlg.mainButton()->click();
        dlg.mainButton()->click();
        QCOMPARE(dlg.pages()->currentIndex(), int(orvConfigCheckDlg::DonePage));
        QCOMPARE(dlg.doneText()->text(), QString()); // a clean run reports no deletion
    }

    void repairedRecordsLeaveTheOtherItemsFindings()
    {
        demo(true);
        // The point with a dead RTU is a finding of both items.
        writeConfig(group("前置", tableItem("前置模拟量标签", "FUNC_CHECK_FESPOINT_TAGNAME", "fes_analog") + rtuLink("前置模拟量所属RTU")));
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();
        ST_CfgCheckItem &tags = dlg.engine()->lstTypes.first().lstItems[0];
        ST_CfgCheckItem &links = dlg.engine()->lstTypes.first().lstItems[1];
        QVERIFY(!links.lstErrors.isEmpty());
        const auto openList = [&dlg](const QString &des) {
            dlg.resultsTree()->itemWidget(resultNode(dlg, des), 2)->findChild<QPushButton *>()->click();
            return dlg.openErrorLists().last();
        };
        QPointer<orvErrorListDlg> linkList(openList(QStringLiteral("前置模拟量所属RTU")));
        orvErrorListDlg *tagList = openList(QStringLiteral("前置模拟量标签"));
        QString message;
        answerRepair(nullptr, &message);
        tagList->onClear();
        QCOMPARE(message, QStringLiteral("消息|修复成功\n已删除 3 条记录"));
        // The deleted point is no longer a finding of the link item, and its list, which showed
        // it by row, is closed rather than left to mark findings by stale rows.
        for (const ST_CfgCheckError &e : links.lstErrors)
            QCOMPARE(column(QStringLiteral("SELECT TAG_NAME FROM fes_analog WHERE TAG_NAME = '%1';").arg(orv_sql::escaped(e.strTagName))).size(), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(linkList.isNull());
        QTreeWidgetItem *node = resultNode(dlg, QStringLiteral("前置模拟量所属RTU"));
        QCOMPARE(node ? node->text(1).toInt() : 0, links.lstErrors.size());
        QVERIFY(tags.lstErrors.isEmpty());
        if (!node)
            return;
        answerRepair(nullptr, &message);
        openList(QStringLiteral("前置模拟量所属RTU"))->onClear();
        QVERIFY2(message.startsWith(QStringLiteral("消息|修复成功")), qPrintable(message));
    }

    void aDeletedRecordLeavesNoFindingBehind()
    {
        // A rule can report one record twice (too many fields, and a field naming nothing): when
        // one of them is ticked the record goes, and the other must not stay to fail a later repair.
        demo(false);
        writeConfig(group("前置", tableItem("前置模拟量标签", "FUNC_CHECK_FESPOINT_TAGNAME", "fes_analog")));
        const QStringList tags = column(QStringLiteral("SELECT TAG_NAME FROM fes_analog ORDER BY TAG_NAME;"));
        QVERIFY(tags.size() >= 2);
        orvConfigCheck engine(nullptr);
        ST_CfgCheckItem &item = engine.lstTypes.first().lstItems[0];
        item.lstErrors = {CfgCheckRules::finding(tags.at(0), QString(), QStringLiteral("a")),
                          CfgCheckRules::finding(tags.at(1), QString(), QStringLiteral("b")),
                          CfgCheckRules::finding(tags.at(0), QString(), QStringLiteral("c"))};
        item.lstErrors[2].bSelected = true;
        QVERIFY2(engine.repairItem(&item), qPrintable(engine.repairError()));
        QCOMPARE(engine.repairedRecords(), 1);
        QCOMPARE(item.lstErrors.size(), 1);
        QCOMPARE(item.lstErrors.first().strTagName, tags.at(1));
        item.lstErrors.first().bSelected = true;
        QVERIFY2(engine.repairItem(&item), qPrintable(engine.repairError()));
        QVERIFY(item.lstErrors.isEmpty());
    }

    void repairReportsARecordAlreadyGone()
    {
        demo(true);
        writeConfig(group("前置", tableItem("前置模拟量标签", "FUNC_CHECK_FESPOINT_TAGNAME", "fes_analog")));
        const int before = rowCount(QStringLiteral("fes_analog"));
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();
        // Deleted by someone else since the check; the repair deletes last first, so it meets it second.
        const QString gone = dlg.engine()->lstTypes.first().lstItems.first().lstErrors.at(1).strTagName;
        QCOMPARE(exec({QStringLiteral("DELETE FROM fes_analog WHERE TAG_NAME = '%1';").arg(gone)}), QString());
        QString message;
        answerRepair(nullptr, &message);
        dlg.mainButton()->click();
        QVERIFY2(message.startsWith(QStringLiteral("消息|修复失败，未删除任何记录\n")) && message.contains(gone), qPrintable(message));
        QCOMPARE(rowCount(QStringLiteral("fes_analog")), before - 1);
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateRepairable));
        QCOMPARE(resultNode(dlg, QStringLiteral("前置模拟量标签"))->text(1), QStringLiteral("3"));
    }

    // A finding names one record: its deletion takes that record, or the repair deletes nothing.
    void repairDeletesOnlyTheRecordsFound_data() { addBackendRows(); }
    void repairDeletesOnlyTheRecordsFound()
    {
        QFETCH(Backend, backend);
        demo(true, backend);
        const auto count = [](const QString &table, const QString &where) {
            return column(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2;").arg(table, where)).value(0).toInt();
        };
        orvConfigCheck engine(nullptr);
        const auto selectAll = [](ST_CfgCheckItem *item) {
            for (ST_CfgCheckError &e : item->lstErrors)
                e.bSelected = true;
        };

        // A table keyed by nothing, as some sites' are: keys that differ only by trailing blanks
        // or letter case, and one held twice.
        QCOMPARE(exec({QStringLiteral("CREATE TABLE loose_points (TAG_NAME varchar(64), DESCRIPTION varchar(64));"),
                       QStringLiteral("INSERT INTO loose_points VALUES ('A.B', 'kept'), ('A.B ', 'found'), ('a.b', 'kept'), "
                                      "('D.D', 'found'), ('D.D', 'not found'), ('E''%_\\', 'found');")}),
                 QString());
        ST_CfgCheckItem loose;
        loose.nRepairRule = orvConfigCheck::FUNC_DELETE;
        loose.bCanRepair = true;
        loose.lstParams = QStringList{"loose_points", "DESCRIPTION", "TAG_NAME"};
        loose.lstErrors = {{true, "A.B ", "found", QString()}, {true, "E'%_\\", "found", QString()}};
        const bool repaired = engine.repairItem(&loose);
        QCOMPARE(count("loose_points", "DESCRIPTION = 'kept'"), 2);
        QCOMPARE(count("loose_points", "DESCRIPTION = 'found'"), repaired ? 1 : 3);
        QCOMPARE(loose.lstErrors.size(), repaired ? 0 : 2);
        // One key, two records: the one not found stays.
        loose.lstErrors = {{true, "D.D", "found", QString()}};
        QVERIFY(!engine.repairItem(&loose));
        QVERIFY2(engine.repairError().contains(QStringLiteral("D.D")), qPrintable(engine.repairError()));
        QCOMPARE(count("loose_points", "TAG_NAME = 'D.D'"), 2);
        QCOMPARE(loose.lstErrors.size(), 1);
        if (backend != Backend::SQLite)
            return;

        // SQLite lets a text primary key be NULL: such a point is a finding and is deleted as one.
        writeConfig(group("前置", tableItem("前置模拟量标签", "FUNC_CHECK_FESPOINT_TAGNAME", "fes_analog")));
        QCOMPARE(exec({QStringLiteral("INSERT INTO fes_analog (TAG_NAME, DESCRIPTION) VALUES (NULL, 'no tag'), ('', 'empty tag');")}),
                 QString());
        orvConfigCheck tagged(nullptr);
        ST_CfgCheckType *type = &tagged.lstTypes.first();
        tagged.checkType(type);
        ST_CfgCheckItem *item = &type->lstItems.first();
        QCOMPARE(item->lstErrors.size(), 5);
        const int before = count("fes_analog", "1 = 1");
        selectAll(item);
        QVERIFY2(tagged.repairItem(item), qPrintable(tagged.repairError()));
        QCOMPARE(tagged.repairedRecords(), 5);
        QCOMPARE(count("fes_analog", "1 = 1"), before - 5);
        QVERIFY(item->lstErrors.isEmpty());
        // Two keyless points cannot be told apart: neither is deleted.
        QCOMPARE(exec({QStringLiteral("INSERT INTO fes_analog (TAG_NAME, DESCRIPTION) VALUES (NULL, 'one'), (NULL, 'two');")}), QString());
        tagged.checkType(type);
        QCOMPARE(item->lstErrors.size(), 2);
        selectAll(item);
        QVERIFY(!tagged.repairItem(item));
        QCOMPARE(count("fes_analog", "TAG_NAME IS NULL"), 2);
        QCOMPARE(item->lstErrors.size(), 2);
        // A keyless point deleted meanwhile is named as keyless, not as the empty tag.
        QCOMPARE(exec({QStringLiteral("DELETE FROM fes_analog WHERE DESCRIPTION = 'two';")}), QString());
        tagged.checkType(type);
        QCOMPARE(item->lstErrors.size(), 1);
        QCOMPARE(exec({QStringLiteral("DELETE FROM fes_analog WHERE TAG_NAME IS NULL;")}), QString());
        selectAll(item);
        QVERIFY(!tagged.repairItem(item));
        QVERIFY2(tagged.repairError().contains(QStringLiteral("TAG_NAME 为 NULL 的记录")), qPrintable(tagged.repairError()));
    }

    void runShowsProgressAndDropsInput()
    {
        demo(true);
        writeConfig(group("关联", tableItem("前置模拟量标签", "FUNC_CHECK_FESPOINT_TAGNAME", "fes_analog", "FUNC_NULL")
                                      + rtuLink("前置模拟量所属RTU")));
        orvConfigCheckDlg dlg;
        struct Seen
        {
            bool buttonEnabled;
            bool busyCursor;
            int bar;
        };
        QList<Seen> seen;
        QCheckBox *groupTick = dlg.checkList()->itemWidget(dlg.checkList()->item(0))->findChild<QCheckBox *>();
        connect(dlg.engine(), &orvConfigCheck::sigCheckProgress, this, [&](int) {
            const QCursor *cursor = QApplication::overrideCursor();
            seen.append({dlg.mainButton()->isEnabled(), cursor && cursor->shape() == Qt::WaitCursor, dlg.progressBar()->value()});
            if (seen.size() == 1) {
                // Clicks made while the run holds the dialog: they must not act afterwards.
                for (QWidget *target : {static_cast<QWidget *>(dlg.mainButton()), static_cast<QWidget *>(groupTick)}) {
                    const QPointF at = QRectF(target->rect()).center();
                    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                        QCoreApplication::postEvent(target, new QMouseEvent(type, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
                }
            }
        });
        dlg.mainButton()->click();
        QCoreApplication::processEvents();
        QVERIFY(seen.size() > 10);
        const int maximum = dlg.progressBar()->maximum();
        for (int i = 0; i < seen.size(); ++i) {
            QVERIFY(!seen.at(i).buttonEnabled && seen.at(i).busyCursor);
            QVERIFY(seen.at(i).bar >= (i ? seen.at(i - 1).bar : 0));
        }
        // The items run together; the one whose rule reports its progress moves the bar on in
        // small steps, and the end of the run fills it.
        QVERIFY(seen.at(seen.size() / 2).bar > seen.first().bar && seen.at(seen.size() - 2).bar < maximum);
        QCOMPARE(seen.last().bar, maximum);
        QVERIFY(dlg.mainButton()->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateRepairable));
        QVERIFY(groupTick->isChecked());
        QCOMPARE(resultNode(dlg, QStringLiteral("前置模拟量所属RTU"))->text(1), QStringLiteral("1"));
    }

    void errorListsAreReadable()
    {
        demo(true);
        writeConfig(group("测点", tableItem("模拟量", "FUNC_CHECK_DEV_POINT_TAGNAME", "analog")));
        orvConfigCheckDlg dlg;
        dlg.move(100, 80);
        dlg.show();
        dlg.mainButton()->click();
        QPushButton *details = dlg.resultsTree()->itemWidget(resultNode(dlg, QStringLiteral("模拟量")), 2)->findChild<QPushButton *>();
        details->click();
        details->click();
        const QList<orvErrorListDlg *> lists = dlg.openErrorLists();
        QCOMPARE(lists.size(), 2);
        QTableWidget *table = lists.first()->table();
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(table->item(0, c)->toolTip(), table->item(0, c)->text());
            QCOMPARE(table->horizontalHeader()->sectionResizeMode(c), QHeaderView::Interactive);
        }
        // Neither on the check dialog nor on each other.
        const QPoint origin = dlg.frameGeometry().topLeft();
        QVERIFY(lists.at(0)->frameGeometry().topLeft() != origin);
        QVERIFY(lists.at(1)->frameGeometry().topLeft() != origin);
        QVERIFY(lists.at(0)->frameGeometry().topLeft() != lists.at(1)->frameGeometry().topLeft());
    }

    void mainWindowOpensANewDialogEachTime()
    {
        demo(false);
        m_root->writeFile(QStringLiteral("config/mainWindow.xml"), "<r/>");
        MainWindow w;
        w.onConfigCheck();
        w.onConfigCheck();
        const QList<orvConfigCheckDlg *> dialogs = w.findChildren<orvConfigCheckDlg *>();
        QCOMPARE(dialogs.size(), 2);
        QVERIFY(dialogs.at(0)->isVisible() && !dialogs.at(0)->isModal());
    }

    void runnerExitCodesAndFormats()
    {
        DbLinkParams p;
        QCOMPARE(platformDemo(&p), QString());
        Run r = check({"--group", "标签结构检查", "--format", "json"});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, QString());
        const QJsonArray findings = QJsonDocument::fromJson(r.out.toUtf8()).array();
        QCOMPARE(findings.size(), 22);
        QCOMPARE(findings.at(0).toObject().value("tag").toString(), QStringLiteral("NOLOC.PSCADA.CH92"));
        QCOMPARE(findings.at(0).toObject().value("reason").toString(), kBad + QStringLiteral("NOLOC"));
        r = check({"--group", "标签结构检查", "--format", "tsv"});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out.count(QLatin1Char('\n')), 23);
        r = check({"--group", "标签结构检查"});
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.contains(QStringLiteral("标签结构检查 / 设备标签\n  STA01.NOGRP_QF93 (缺陷设备): 标签中有错误字段：STA01.NOGRP\n"
                                              "  STA01.PSCADA1.QF91 (缺陷设备): 标签结构错误\n")));
        QVERIFY(r.out.contains(QStringLiteral("共 22 条异常")));

        QCOMPARE(check({"--group", "没有这个组"}).code, 2);
        // An unreadable platform configuration is an error, never a check of the embedded demo.
        const QString ini = m_root->file(QStringLiteral("etc/database.ini"));
        QVERIFY(QFile::rename(ini, ini + QStringLiteral(".kept")) && QDir().mkpath(ini));
        r = check({"--group", "标签结构检查"});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(QStringLiteral("无法读取数据库配置")), qPrintable(r.err));
        QVERIFY(QDir(ini).removeRecursively() && QFile::rename(ini + QStringLiteral(".kept"), ini));
        r = check({"--config", m_root->file("nothing.xml")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("nothing.xml")));
        m_root->writeFile(QStringLiteral("bad.xml"), "<c><type name='x'>");
        QCOMPARE(check({"--config", m_root->file("bad.xml")}).code, 2);
        r = check({"--type", "MySQL", "--port", "1"});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("127.0.0.1:1")));
        // Exit status 1 means findings: a wrong command line is a 2.
        for (const QStringList &args : {QStringList{"--no-such-option"}, QStringList{"stray"}, QStringList{"--format", "xml"}}) {
            r = check(args);
            QCOMPARE(r.code, 2);
            QVERIFY(!r.err.isEmpty());
        }
        // Not a check definition at all, well-formed or not.
        m_root->writeFile(QStringLiteral("page.html"), "<!DOCTYPE html><html><head><meta charset=utf-8><title>x</title></head><body>hi</body></html>");
        m_root->writeFile(QStringLiteral("page.xhtml"), "<html xmlns='http://www.w3.org/1999/xhtml'><body><p>hi</p></body></html>");
        for (const char *page : {"page.html", "page.xhtml"}) {
            r = check({"--config", m_root->file(QLatin1String(page))});
            QCOMPARE(r.code, 2);
            QVERIFY(r.err.contains(QLatin1String(page)));
        }
        // Output that cannot be written.
        if (QFileInfo::exists(QStringLiteral("/dev/full")))
            QCOMPARE(check({"--group", "标签结构检查"}, QByteArray(), QStringLiteral("/dev/full")).code, 2);

        DbLinkParams clean;
        QCOMPARE(createDemoDatabase(Backend::SQLite, QStringLiteral("clean"), *m_root, DemoOptions(), &clean), QString());
        r = check({"--type", "SQLite", "--database", clean.database, "--group", "标签结构检查"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(QStringLiteral("共 0 条异常")));
    }

    void runnerReportsWhatItCouldNotCheck()
    {
        DbLinkParams p;
        QCOMPARE(platformDemo(&p), QString());
        // A value that would break lines and columns.
        QCOMPARE(exec({QStringLiteral("INSERT INTO fes_channel_para (TAG_NAME,CHAN_NAME,DESCRIPTION) VALUES "
                                      "('STA01.BAD' || char(10) || 'TAG','C9','a' || char(9) || 'b' || char(13) || char(10) || 'c\\d' || char(27));")}),
                 QString());
        QFile::remove(m_root->file(QStringLiteral("tables/RM_ROLE_DEF.xml")));
        m_root->writeFile(QStringLiteral("check.xml"), group("组", R"(
            <checkitem des="通道" checkRule="FUNC_CHECK_CHANNEL_TAGNAME"/>)" + rtuLink("坏链接", "NO_SUCH_COLUMN") + R"(
            <checkitem des="大写K" checkRule="FUNC_CHECK_LINK"/>
            <checkitem des="少参数" checkRule="FUNC_CHECK_LINk"><param value="a"/></checkitem>
            <checkitem des="少删除参数" checkRule="FUNC_CHECK_NULL" repairRule="FUNC_DELETE"><param value="a"/></checkitem>
            <checkitem des="权限" checkRule="FUNC_CHECK_ACCESS"/>)"));
        const QStringList config = {"--config", m_root->file(QStringLiteral("check.xml"))};

        Run r = check(config);
        QCOMPARE(r.code, 2); // findings, but an item could not be checked
        QVERIFY(r.out.contains(QStringLiteral("共 8 条异常")));
        QVERIFY(r.out.contains(QStringLiteral("  STA01.BAD\\nTAG (a\tb\\r\\nc\\d\\u001b): 标签结构错误\n")));
        QVERIFY2(r.err.contains(QStringLiteral("无法检查 组 / 坏链接: ")) && r.err.contains(QStringLiteral("NO_SUCH_COLUMN")), qPrintable(r.err));
        for (const QString &warning : {QStringLiteral("未知的检查规则 FUNC_CHECK_LINK"), QStringLiteral("需要至少 7 个参数，只有 1 个"),
                                       QStringLiteral("修复规则 FUNC_DELETE 需要至少 3 个参数"), QStringLiteral("表定义 RM_ROLE_DEF.xml 无法打开")})
            QVERIFY2(r.err.contains(warning), qPrintable(warning));

        r = check(config + QStringList{"--format", "tsv"});
        QCOMPARE(r.out.count(QLatin1Char('\n')), 9);
        QVERIFY(r.out.contains(QStringLiteral("\tSTA01.BAD\\nTAG\ta\\tb\\r\\nc\\\\d\\u001b\t标签结构错误\n")));

        r = check(config + QStringList{"--format", "junit"});
        QCOMPARE(r.code, 2);
        QXmlStreamReader xml(r.out);
        QStringList cases;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("testcase"))
                cases.append(xml.attributes().value("name").toString());
            else if (xml.name() == QLatin1String("failure") || xml.name() == QLatin1String("error"))
                cases.last() += QLatin1Char(':') + xml.name() + QLatin1Char(':') + xml.attributes().value("message").left(5);
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(cases, (QStringList{"通道:failure:5 条异常", "坏链接:error:检查失败：", "大写K", "少参数", "少删除参数", "权限:failure:3 条异常"}));
    }

    void runnerRepairs()
    {
        DbLinkParams p;
        QCOMPARE(platformDemo(&p), QString());
        const QStringList tables = {"fes_channel_para", "fes_rtu_para", "fes_analog", "fes_data_block", "dev_group", "dev_info", "analog"};
        auto counts = [&tables] {
            QList<int> n;
            for (const QString &t : tables)
                n.append(rowCount(t));
            return n;
        };
        const QList<int> before = counts();
        const QStringList direct = {"--type", "SQLite", "--database", p.database, "--group", "标签结构检查"};

        // The platform link logs no platform user in: it may check, not delete.
        Run r = check({"--group", "标签结构检查", "--repair", "--yes"});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("只读")));
        QCOMPARE(counts(), before);

        // Asked and not confirmed: the statements are shown, nothing is deleted.
        r = check(direct + QStringList{"--repair"}, "n\n");
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("将在一个事务中删除 8 条记录")), qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("delete from fes_analog where TAG_NAME = 'STA01.PSCADA.CH01.RTU99.AI93';")));
        QVERIFY(r.err.contains(QStringLiteral("未删除任何记录")));
        QCOMPARE(counts(), before);

        // Confirmed by --yes: exactly the findings of the FUNC_DELETE items go, and the audit trail says so.
        r = check(direct + QStringList{"--repair", "--yes", "--format", "json"});
        QCOMPARE(r.code, 1); // the findings of items without automatic repair remain
        QVERIFY2(r.err.contains(QStringLiteral("已删除 8 条记录")), qPrintable(r.err));
        const QList<int> after = counts();
        QCOMPARE(after, (QList<int>{before.at(0), before.at(1), before.at(2) - 3, before.at(3) - 2, before.at(4), before.at(5), before.at(6) - 3}));
        QFile audit(m_root->file(QStringLiteral("log/audit.log")));
        QVERIFY(audit.open(QIODevice::ReadOnly));
        int audited = 0;
        for (const QByteArray &line : audit.readAll().split('\n')) {
            const QJsonObject record = QJsonDocument::fromJson(line).object();
            audited += record.value("action") == "DELETE" && record.value("outcome") == "committed" ? 1 : 0;
        }
        QCOMPARE(audited, 8);
        r = check(direct + QStringList{"--format", "json"});
        const QStringList manual = {"前置通道标签", "前置RTU标签", "设备组标签", "设备标签"};
        for (const QJsonValue &f : QJsonDocument::fromJson(r.out.toUtf8()).array())
            QVERIFY2(manual.contains(f.toObject().value("item").toString()), qPrintable(f.toObject().value("tag").toString()));
    }
    void readOnlyUsersCannotRepair()
    {
        demo(true);
        writeConfig(R"(<c><type name="测点" enable="true">
            <checkitem des="前置模拟量" checkRule="FUNC_CHECK_FESPOINT_TAGNAME" repairRule="FUNC_DELETE">
              <param value="fes_analog"/><param value="DESCRIPTION"/><param value="TAG_NAME"/></checkitem></type></c>)");
        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_READONLY);
        const QStringList before = column(QStringLiteral("SELECT TAG_NAME FROM fes_analog ORDER BY TAG_NAME;"));
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();
        QTreeWidgetItem *node = dlg.resultsTree()->topLevelItem(0)->child(0);
        auto *tick = qobject_cast<treeCheckWidget *>(dlg.resultsTree()->itemWidget(node, 3));
        QVERIFY(tick && !tick->checkBox()->isEnabled() && !tick->isChecked());
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateFinished));
        dlg.resultsTree()->itemWidget(node, 2)->findChild<QPushButton *>()->click();
        const QList<QPushButton *> buttons = dlg.openErrorLists().first()->findChildren<QPushButton *>();
        QVERIFY(std::none_of(buttons.begin(), buttons.end(), [](QPushButton *b) { return b->isEnabled(); }));
        // The library refuses the deletion whoever asks.
        ST_CfgCheckItem *item = &dlg.engine()->lstTypes.first().lstItems.first();
        for (ST_CfgCheckError &e : item->lstErrors)
            e.bSelected = true;
        QVERIFY(!dlg.engine()->repairItem(item));
        QVERIFY(dlg.engine()->repairError().contains(QStringLiteral("没有修改权限")));
        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_EDIT);
        QCOMPARE(column(QStringLiteral("SELECT TAG_NAME FROM fes_analog ORDER BY TAG_NAME;")), before);
    }

    void demoCommandLine()
    {
        // A command line that makes no sense drops nothing.
        for (const QStringList &args : {QStringList{"--points", "abc"}, QStringList{"--points", "-5"}, QStringList{"extra"},
                                        QStringList{"--port", "x"}, QStringList{"--type", "MySQL", "--database", "mysql"}})
            QVERIFY2(tool("model_demo", args).code == 2, qPrintable(args.join(' ')));
        // Listing the seeded defects writes no database, not even the one named.
        m_root->writeFile(QStringLiteral("data/precious.sqlite"), "not to be touched");
        const Run list = tool("model_demo", {"--list-defects", "--database", m_root->file(QStringLiteral("data/precious.sqlite"))});
        QCOMPARE(list.code, 0);
        QCOMPARE(list.out.count(QLatin1Char('\n')), 34);
        QFile precious(m_root->file(QStringLiteral("data/precious.sqlite")));
        QVERIFY(precious.open(QIODevice::ReadOnly));
        QCOMPARE(precious.readAll(), QByteArray("not to be touched"));
    }

    // --create-database makes the database on the server first, and refuses the server's own.
    void demoCreatesItsDatabase()
    {
        if (!TestServers::available())
            QSKIP("no test servers");
        for (Backend backend : {Backend::MariaDB, Backend::PostgreSQL}) {
            const DbLinkParams p = TestServers::params(backend, QStringLiteral("demo_created"), *m_root);
            const QStringList link{"--type", p.typeName(), "--host", p.host, "--port", QString::number(p.port), "--user", p.user,
                                   "--password", p.password};
            const QString system = backend == Backend::MariaDB ? QStringLiteral("mysql") : QStringLiteral("template1");
            QCOMPARE(tool("model_demo", link + QStringList{"--create-database", "--database", system}).code, 2);
            Run created = tool("model_demo", link + QStringList{"--create-database", "--database", p.database});
            QVERIFY2(created.code == 0, qPrintable(created.err));
            // A second run finds it there and fills it again.
            created = tool("model_demo", link + QStringList{"--create-database", "--database", p.database});
            QVERIFY2(created.code == 0, qPrintable(created.err));
            QCOMPARE(openLink(p), QString());
            QCOMPARE(column(QStringLiteral("SELECT LOCATION_ID FROM SYS_MODEL_LOCATION_INFO ORDER BY LOCATION_ID;")),
                     (QStringList{"1", "2", "3"}));
            OrvTableDataMgr::getInstance()->onSysQuit();
        }
    }

    void dialogSaysWhatItCannotCheck()
    {
        demo(false);
        writeConfig(R"(<c><type name="结构" enable="true"><checkitem des="通道" checkRule="FUNC_CHECK_CHANNEL_TAGNAME"/>
                       <checkitem des="拼错" checkRule="FUNC_CHECK_CHANEL_TAGNAME"/></type></c>)");
        orvConfigCheckDlg dlg;
        QVERIFY(!dlg.configProblems()->isHidden());
        QVERIFY2(dlg.configProblems()->toolTip().contains(QStringLiteral("FUNC_CHECK_CHANEL_TAGNAME")),
                 qPrintable(dlg.configProblems()->toolTip()));
    }
};

QTEST_MAIN(ConfigCheckTest)
#include "tst_configcheck.moc"
