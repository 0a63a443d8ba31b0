// The check engine, the tag-name rules, the check dialogs and the model_check runner.
#include "TestSupport.h"

#include "Common.h"
#include "MainWindow.h"
#include "OrvDbDesign.h"
#include "OrvTableDataMgr.h"
#include "SqlText.h"
#include "LinkRules.h"
#include "TagNameRules.h"
#include "checkListItem.h"
#include "orvConfigCheck.h"
#include "orvConfigCheckDlg.h"
#include "orvErrorListDlg.h"
#include "treeCheckWidget.h"

#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

Q_DECLARE_METATYPE(Backend)

namespace {

using Pair = QPair<QString, QString>;

QList<Pair> pairs(const QList<ST_CfgCheckError> &errors)
{
    QList<Pair> out;
    for (const ST_CfgCheckError &e : errors)
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

} // namespace

class ConfigCheckTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestRoot> m_root;
    QList<SeededDefect> m_defects;

    void demo(bool defects, Backend backend = Backend::SQLite)
    {
        DemoOptions options;
        options.seedDefects = defects;
        DbLinkParams p;
        QCOMPARE(createDemoDatabase(backend, QStringLiteral("configcheck"), *m_root, options, &p, &m_defects), QString());
        QCOMPARE(openLink(p), QString());
    }

    void writeConfig(const QByteArray &xml)
    {
        m_root->writeFile(QStringLiteral("fileLogic/configcheck.xml"), xml);
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
        QCOMPARE(rules.size(), 12); // every rule is exercised
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
                 (QList<Pair>{{"STA01.PSCADA.C1.X", "字符'.'的数量异常"},
                              {"STA01.NOSUB.C2.X", "字符'.'的数量异常"},
                              {"STA01.NOSUB.C2.X", kBad + "NOSUB"},
                              {"STA01..C3", kBad},
                              {"sta01.PSCADA.C4", kBad + "sta01"},
                              {"STA01", "标签结构错误"}}));

        const QString fes = QStringLiteral("INSERT INTO fes_mix (TAG_NAME,DESCRIPTION) VALUES ('%1',NULL);");
        QCOMPARE(exec({fes.arg("STA01.PSCADA.CH01.RTU01.A.B.C"), fes.arg("STA01.PSCADA.CH01.RTU09.P"), fes.arg("a.b")}), QString());
        QCOMPARE(pairs(CfgCheckRules::checkFesPointTagName({"fes_mix"})),
                 (QList<Pair>{{"STA01.PSCADA.CH01.RTU01.A.B.C", "字符'.'的数量异常"},
                              {"STA01.PSCADA.CH01.RTU09.P", kBad + "STA01.PSCADA.CH01.RTU09"},
                              {"a.b", "标签结构错误"}}));
        QVERIFY(CfgCheckRules::checkFesPointTagName({}).isEmpty());
        QVERIFY(CfgCheckRules::checkFesPointTagName({"no_such_table"}).isEmpty());

        const QString group = QStringLiteral("INSERT INTO dev_group (TAG_NAME,DESCRIPTION) VALUES ('%1','g');");
        QCOMPARE(exec({group.arg("STA01.G_1"), group.arg("STA01.G.X")}), QString());
        QCOMPARE(pairs(CfgCheckRules::checkDevGroupTagName()),
                 (QList<Pair>{{"STA01.G_1", "含有禁止使用字符'_'"}, {"STA01.G.X", "字符'.'的数量异常"}}));

        const QString dev = QStringLiteral("INSERT INTO dev_info (TAG_NAME,DESCRIPTION) VALUES ('%1','d');");
        QCOMPARE(exec({dev.arg("STA01.G1_D1_X"), dev.arg("STA01.G1.D1"), dev.arg("STA01.G1D1"), dev.arg("STA01.PSCADA1_X")}), QString());
        QCOMPARE(pairs(CfgCheckRules::checkDevTagName()),
                 (QList<Pair>{{"STA01.G1_D1_X", "字符'_'的数量异常"},
                              {"STA01.G1.D1", "标签结构错误"},
                              {"STA01.G1D1", "标签结构错误"}}));

        const QString point = QStringLiteral("INSERT INTO mix (TAG_NAME,DESCRIPTION) VALUES ('%1','p');");
        QCOMPARE(exec({point.arg("STA01.G1_D1.P1.X"), point.arg("STA01.PSCADA1_QF01.Y.Z"), point.arg("STA01.PSCADA1_QF01")}), QString());
        QList<Pair> found = pairs(CfgCheckRules::checkDevPointTagName({"mix"}));
        QCOMPARE(found, (QList<Pair>{{"STA01.G1_D1.P1.X", "字符'.'的数量异常"},
                                     {"STA01.G1_D1.P1.X", kBad + "STA01.G1_D1"},
                                     {"STA01.PSCADA1_QF01.Y.Z", "字符'.'的数量异常"},
                                     {"STA01.PSCADA1_QF01", "标签结构错误"}}));
    }

    void seededDefectsAreFound_data()
    {
        QTest::addColumn<Backend>("backend");
        for (Backend b : availableBackends())
            QTest::newRow(qPrintable(backendName(b))) << b;
    }
    void seededDefectsAreFound()
    {
        QFETCH(Backend, backend);
        demo(true, backend);
        orvConfigCheck engine(nullptr);
        QSet<QString> found;
        for (ST_CfgCheckType &type : engine.lstTypes) {
            engine.checkType(&type);
            for (const ST_CfgCheckItem &item : qAsConst(type.lstItems))
                for (const ST_CfgCheckError &e : item.lstErrors)
                    found.insert(QString::number(item.nCheckRule) + QLatin1Char('|') + e.strTagName + QLatin1Char('|') + e.strReason);
        }
        QSet<QString> expected;
        for (const SeededDefect &d : qAsConst(m_defects))
            expected.insert(QString::number(d.rule) + QLatin1Char('|') + d.tag + QLatin1Char('|') + d.reason);
        QCOMPARE(found, expected);

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
        QVERIFY(CfgCheckRules::checkLink(&engine, link.mid(0, 6)).isEmpty());
        QCOMPARE(CfgCheckRules::checkLink(&engine, link + QStringList{"ignored"}).size(), 2);

        const QStringList lock = {"digital_lock_param", "DI_TAG", "DESCRIPTION", "digital", "IS_CONTROL", "DESCRIPTION"};
        QVERIFY(CfgCheckRules::checkLockParamIsControl(&engine, lock).isEmpty());
        QCOMPARE(exec({QStringLiteral("UPDATE digital SET IS_CONTROL = 0 WHERE TAG_NAME = 'STA01.PSCADA1_QF01.Pos';"),
                       QStringLiteral("UPDATE digital SET IS_CONTROL = NULL WHERE TAG_NAME = 'STA01.PSCADA1_QF02.Pos';")}),
                 QString());
        QCOMPARE(pairs(CfgCheckRules::checkLockParamIsControl(&engine, lock)),
                 (QList<Pair>{{"STA01.PSCADA1_QF01.Pos", "DI点不可控"}}));

        const QStringList exist = {"linkage_action", "POINT_REF", "TAG_NAME"};
        QVERIFY(CfgCheckRules::checkPointIsExist(&engine, exist).isEmpty());
        const QString ins = QStringLiteral("INSERT INTO linkage_action (TAG_NAME,POINT_REF) VALUES ('%1','%2');");
        QCOMPARE(exec({ins.arg("X1", "analog.STA01.PSCADA1_QF01.Ia.value"), ins.arg("X2", "analog.v"), ins.arg("X3", "nodot"),
                       ins.arg("X4", ""), ins.arg("X5", "analog WHERE 1=1 OR TAG_NAME.x.v")}),
                 QString());
        QCOMPARE(pairs(CfgCheckRules::checkPointIsExist(&engine, exist)),
                 (QList<Pair>{{"analog.v", "后台测点 analog.v 不存在"},
                              {"nodot", "后台测点 nodot 不存在"},
                              {"analog WHERE 1=1 OR TAG_NAME.x.v", "后台测点 analog WHERE 1=1 OR TAG_NAME.x.v 不存在"}}));

        const QStringList links = {"analog", "TAG_NAME", "DESCRIPTION", "analog_map_to_fes", "RTU_TAG", "FES_TAG"};
        QCOMPARE(exec({QStringLiteral("UPDATE analog_map_to_fes SET FES_TAG = '-1' WHERE KEY_ID_TAG = 'analog.STA01.PSCADA1_QF01.Ia';"),
                       QStringLiteral("UPDATE analog_map_to_fes SET FES_TAG = '-1' WHERE KEY_ID_TAG = 'analog.STA01.PSCADA1_QF01.Ib';"),
                       QStringLiteral("UPDATE analog SET POINT_PROPERTY = 1 WHERE TAG_NAME = 'STA01.PSCADA1_QF01.Ib';")}),
                 QString());
        QCOMPARE(pairs(CfgCheckRules::checkDevPointLinkFes(&engine, links)), (QList<Pair>{{"STA01.PSCADA1_QF01.Ia", "未关联前置测点"}}));
        QVERIFY(CfgCheckRules::checkDevPointLinkFes(&engine, links.mid(0, 5)).isEmpty());
    }

    void permissionRules()
    {
        demo(false);
        QVERIFY(CfgCheckRules::checkAccess(nullptr).isEmpty());
        // No picture rights row: every picture; two rows: none.
        QCOMPARE(exec({QStringLiteral("DELETE FROM RM_USERG_HMI_INFO WHERE PERM_TYPE = 0;")}), QString());
        QCOMPARE(CfgCheckRules::checkAccess(nullptr).size(), 6);
        QCOMPARE(CfgCheckRules::checkAccess(nullptr).first().strReason, QStringLiteral("画面权限 PIC_MAIN未配置"));
        QCOMPARE(exec({QStringLiteral("INSERT INTO RM_USERG_HMI_INFO (RECORD_ID,PERM_USER_GROUP,PERM_TYPE,PERM_ATTRIBUTE) VALUES (7,1,0,1);"),
                       QStringLiteral("INSERT INTO RM_USERG_HMI_INFO (RECORD_ID,PERM_USER_GROUP,PERM_TYPE,PERM_ATTRIBUTE) VALUES (8,1,0,1);")}),
                 QString());
        QVERIFY(CfgCheckRules::checkAccess(nullptr).isEmpty());
        // Station 2 missing from the group: one location finding; the RSP rows do not check it.
        QCOMPARE(exec({QStringLiteral("UPDATE RM_USERG_DEF SET PERM_LOCATION1 = 5 WHERE PERM_ID = 1;"),
                       QStringLiteral("UPDATE RM_USERG_RSP_INFO SET PERM_LOCATION1 = 1 WHERE PERM_ROLE = 1 AND PERM_SPEFUNC = 2;")}),
                 QString());
        QCOMPARE(pairs(CfgCheckRules::checkAccess(nullptr)),
                 (QList<Pair>{{"STA02", "用户组所属位置 人民广场站 未配置"}, {"STA03", "特殊功能 告警确认的子节点市政府站 未配置"}}));
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
        QCOMPARE(list->table()->item(0, 0)->text(), QStringLiteral("STA01.PSCADA"));
        QCOMPARE(list->table()->item(0, 2)->text(), QStringLiteral("标签结构错误"));
        QVERIFY(!(list->table()->item(0, 0)->flags() & Qt::ItemIsSelectable));
    }

    void dialogRepairsTickedItems()
    {
        demo(true);
        writeConfig(R"(<c><type name="测点" enable="true">
            <checkitem des="前置模拟量" checkRule="FUNC_CHECK_FESPOINT_TAGNAME" repairRule="FUNC_DELETE">
              <param value="fes_analog"/><param value="DESCRIPTION"/><param value="TAG_NAME"/></checkitem>
            <checkitem des="模拟量" checkRule="FUNC_CHECK_DEV_POINT_TAGNAME" repairRule="FUNC_DELETE">
              <param value="analog"/><param value="DESCRIPTION"/><param value="TAG_NAME"/></checkitem></type></c>)");
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateRepairable));
        QCOMPARE(dlg.mainButton()->text(), QStringLiteral("修复勾选项"));
        QTreeWidgetItem *group = dlg.resultsTree()->topLevelItem(0);
        QCOMPARE(group->childCount(), 2);
        // Only the first item stays ticked.
        qobject_cast<treeCheckWidget *>(dlg.resultsTree()->itemWidget(group->child(1), 3))->checkBox()->setChecked(false);
        const int before = column(QStringLiteral("SELECT TAG_NAME FROM fes_analog;")).size();
        dlg.mainButton()->click();
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateFinished));
        QCOMPARE(dlg.pages()->currentIndex(), int(orvConfigCheckDlg::DonePage));
        QCOMPARE(column(QStringLiteral("SELECT TAG_NAME FROM fes_analog;")).size(), before - 3);
        QCOMPARE(column(QStringLiteral("SELECT TAG_NAME FROM analog WHERE TAG_NAME LIKE '%P9%';")).size(), 3);
    }

    void errorListTicksAndRepair()
    {
        demo(true);
        writeConfig(R"(<c><type name="测点" enable="true">
            <checkitem des="模拟量" checkRule="FUNC_CHECK_DEV_POINT_TAGNAME" repairRule="FUNC_DELETE">
              <param value="analog"/><param value="DESCRIPTION"/><param value="TAG_NAME"/></checkitem></type></c>)");
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
        QCOMPARE(message, QStringLiteral("消息|修复成功"));
        QCOMPARE(table->rowCount(), 3);

        // Row 1 ("STA01.PSCADA1_QF01.P92.X") is repaired alone.
        const QString tag = table->item(1, 0)->text();
        table->item(1, 3)->setCheckState(Qt::Checked);
        answerMessageBox(&message);
        list->onClear();
        QCOMPARE(message, QStringLiteral("消息|修复成功"));
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

    void failedRepairsAreNotReportedAsSuccess()
    {
        demo(true);
        writeConfig(R"(<c><type name="测点" enable="true">
            <checkitem des="前置模拟量" checkRule="FUNC_CHECK_FESPOINT_TAGNAME" repairRule="FUNC_DELETE">
              <param value="fes_analog"/><param value="DESCRIPTION"/><param value="TAG_NAME"/></checkitem></type></c>)");
        QCOMPARE(exec({QStringLiteral("CREATE TRIGGER keep_points BEFORE DELETE ON fes_analog "
                                      "BEGIN SELECT RAISE(ABORT, 'points are locked'); END;")}),
                 QString());
        orvConfigCheckDlg dlg;
        dlg.mainButton()->click();
        QTreeWidgetItem *node = dlg.resultsTree()->topLevelItem(0)->child(0);
        dlg.resultsTree()->itemWidget(node, 2)->findChild<QPushButton *>()->click();
        orvErrorListDlg *list = dlg.openErrorLists().first();
        QString message;
        answerMessageBox(&message);
        list->onClear();
        QVERIFY2(message.startsWith(QStringLiteral("消息|修复失败，未删除任何记录\n")) && message.contains(QStringLiteral("points are locked")),
                 qPrintable(message));
        QCOMPARE(list->table()->rowCount(), 3);
        QCOMPARE(dlg.resultsTree()->topLevelItem(0)->child(0)->text(1), QStringLiteral("3"));

        answerMessageBox(&message);
        dlg.mainButton()->click();
        QVERIFY2(message.startsWith(QStringLiteral("消息|修复失败，未能删除的记录仍在列表中\n")), qPrintable(message));
        QCOMPARE(dlg.state(), int(orvConfigCheckDlg::StateRepairable));
        QCOMPARE(dlg.resultsTree()->topLevelItem(0)->child(0)->text(1), QStringLiteral("3"));
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
        DemoOptions options;
        options.seedDefects = true;
        QCOMPARE(createDemoDatabase(Backend::SQLite, QStringLiteral("demo"), *m_root, options, &p), QString());
        const QString runner = QStringLiteral(MODEL_BIN_DIR "/model_check");
        auto run = [&](const QStringList &args, QString *out) {
            QProcess process;
            process.start(runner, args);
            process.waitForFinished(60000);
            if (out)
                *out = QString::fromUtf8(process.readAllStandardOutput()) + QString::fromUtf8(process.readAllStandardError());
            return process.exitCode();
        };
        QString out;
        QCOMPARE(run({"--group", "标签结构检查", "--format", "json"}, &out), 1);
        const QJsonArray findings = QJsonDocument::fromJson(out.toUtf8()).array();
        QCOMPARE(findings.size(), 22);
        QCOMPARE(findings.at(0).toObject().value("tag").toString(), QStringLiteral("STA01.PSCADA"));
        QCOMPARE(findings.at(0).toObject().value("reason").toString(), QStringLiteral("标签结构错误"));
        QCOMPARE(run({"--group", "标签结构检查", "--format", "tsv"}, &out), 1);
        QCOMPARE(out.count(QLatin1Char('\n')), 23);
        QCOMPARE(run({"--group", "标签结构检查"}, &out), 1);
        QVERIFY(out.contains(QStringLiteral("标签结构检查 / 设备标签\n  STA01.PSCADA1.QF91 (缺陷设备): 标签结构错误")));
        QVERIFY(out.contains(QStringLiteral("共 22 条异常")));

        QCOMPARE(run({"--group", "没有这个组"}, &out), 2);
        QCOMPARE(run({"--config", m_root->file("nothing.xml")}, &out), 2);
        QVERIFY(out.contains(QStringLiteral("nothing.xml")));
        m_root->writeFile(QStringLiteral("bad.xml"), "<c><type name='x'>");
        QCOMPARE(run({"--config", m_root->file("bad.xml")}, &out), 2);
        QCOMPARE(run({"--type", "MySQL", "--port", "1"}, &out), 2);
        QVERIFY(out.contains(QStringLiteral("127.0.0.1:1")));

        DbLinkParams clean;
        QCOMPARE(createDemoDatabase(Backend::SQLite, QStringLiteral("clean"), *m_root, DemoOptions(), &clean), QString());
        QCOMPARE(run({"--type", "SQLite", "--database", clean.database, "--group", "标签结构检查"}, &out), 0);
        QVERIFY(out.contains(QStringLiteral("共 0 条异常")));
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
};

QTEST_MAIN(ConfigCheckTest)
#include "tst_configcheck.moc"
