// The main window, its definition file, the property panel page and the point browser host.
#include "TestSupport.h"

#include "AppLog.h"
#include "Common.h"
#include "MainWindow.h"
#include "OrvDbDesign.h"
#include "OrvFesPointDlg.h"
#include "OrvPropertyPage.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "orvDevPointWidget.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabBar>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTableWidget>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <functional>

namespace {

struct PluginCall
{
    QString name;
    QStringList params;
};
QList<PluginCall> g_calls;

void registerRecordingPlugin(const QString &name)
{
    Common::registerPlugin(name, [name](QWidget *parent, const QStringList &params) {
        g_calls.append({name, params});
        return new QWidget(parent);
    });
}

QList<QAction *> toolBarActions(MainWindow &w)
{
    return w.findChild<QToolBar *>(QStringLiteral("mainToolBar"))->actions();
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestRoot> m_root;

    void writeDefinition(const QByteArray &xml)
    {
        m_root->writeFile(QStringLiteral("config/mainWindow.xml"), xml);
    }

    // The analog page over a demo system of 1,200 points, shown, its rows counted: more than
    // three windows of them. Null when it is not; *error: why.
    std::unique_ptr<OrvPropertyPage> longAnalogPage(Backend backend, const QString &database, QString *error)
    {
        *error = openDemo(backend, database, *m_root, DemoOptions::forPointCount(1200));
        if (!error->isEmpty())
            return nullptr;
        auto page = std::make_unique<OrvPropertyPage>(QStringList{QStringLiteral("ANALOG.xml")}, nullptr);
        page->resize(1000, 600);
        page->show();
        const OrvTableModel *model = page->currentModel();
        if (!QTest::qWaitForWindowExposed(page.get())
            || !QTest::qWaitFor([model] { return model->matchingRows() > 3 * OrvTableModel::WindowRows; }, 5000)) {
            *error = QStringLiteral("no long page: %1 rows").arg(model->matchingRows());
            return nullptr;
        }
        return page;
    }

private slots:
    void initTestCase()
    {
        registerRecordingPlugin(QStringLiteral("PageA"));
        registerRecordingPlugin(QStringLiteral("PageB"));
    }

    void init()
    {
        m_root = std::make_unique<TestRoot>();
        Common::initPath();
        g_calls.clear();
        DbLinkParams p;
        QCOMPARE(createDemoDatabase(Backend::SQLite, QStringLiteral("mainwindow"), *m_root, DemoOptions(), &p), QString());
        QCOMPARE(openLink(p), QString());
    }

    void cleanup()
    {
        delete OrvTableDataMgr::getInstance();
        m_root.reset();
    }

    void formAndMenus()
    {
        MainWindow w;
        QCOMPARE(w.windowTitle(), QStringLiteral("设备建模"));
        QCOMPARE(w.size(), QSize(1280, 648));
        QStringList menus;
        for (QAction *a : w.menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{"系统", "设置", "帮助"}));
        QStringList system;
        for (QAction *a : w.findChild<QMenu *>(QStringLiteral("menuXitong"))->actions())
            system << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(system, (QStringList{"-", "后台测点检索器", "前置测点检索器", "批量修改后台测点", "批量修改前置测点", "配置检查", "-",
                                      "导出…", "导入…", "修改记录"}));
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("action_bak"))->isVisible());
        QVERIFY(!w.findChild<QAction *>(QStringLiteral("action_fes"))->isVisible());
        QVERIFY(w.findChild<QAction *>(QStringLiteral("action_6"))->isCheckable());
        QVERIFY(w.statusText().contains(QStringLiteral("mainwindow.sqlite")));
    }

    void missingDefinitionGivesMenusOnly()
    {
        QFile::remove(m_root->file(QStringLiteral("config/mainWindow.xml")));
        MainWindow w;
        QVERIFY(toolBarActions(w).isEmpty());
        QCOMPARE(w.pages()->count(), 0);
    }

    void definitionItemsBecomePages()
    {
        writeDefinition(R"(<root><group>
            <Item used="True" text="capital" id="PageA" param="x"/>
            <Item used="true" text="one" id="PageA" icon=":/icons/icons/F.png" param="a;;b"/>
            <Other used="true" id="PageA"/>
            <Item used="true" text="two" id="PageB"/>
            <Item used="false" text="off" id="PageB" param=""/>
            </group><Item used="true" text="three" id="PageA" param=";"/>
            <Item used="true" text="unknown" id="NoSuchPlugin"/></root>)");
        MainWindow w;
        QCOMPARE(g_calls.size(), 5);
        QCOMPARE(g_calls.at(0).params, QStringList{"x"});
        QCOMPARE(g_calls.at(1).params, (QStringList{"a", "", "b"}));
        QCOMPARE(g_calls.at(2).params, QStringList());
        QCOMPARE(g_calls.at(4).params, (QStringList{"", ""}));
        const QList<QAction *> actions = toolBarActions(w);
        QCOMPARE(actions.size(), 5);
        QStringList texts;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(actions.at(i)->data().toInt(), i);
            QVERIFY(actions.at(i)->isCheckable() && !actions.at(i)->isChecked());
            texts << actions.at(i)->text();
        }
        QCOMPARE(texts, (QStringList{"one", "two", "three"}));
        QVERIFY(actions.at(3)->isSeparator());
        QCOMPARE(actions.at(4)->text(), QStringLiteral("退出"));
        QCOMPARE(w.pages()->count(), 3);
        QCOMPARE(w.pages()->currentIndex(), 0);
        actions.at(2)->trigger();
        QCOMPARE(w.pages()->currentIndex(), 2);
        w.onActionGrpTrigger(nullptr);
        QCOMPARE(w.pages()->currentIndex(), 2);
    }

    void malformedDefinitionKeepsWhatWasRead()
    {
        orv_public::StartLogSystem("MODEL", "model_varnix");
        writeDefinition(R"(<root><Item used="true" text="kept" id="PageA"/><Item used="true" text="lost" id="PageA"<</root>)");
        {
            MainWindow w;
            const QList<QAction *> actions = toolBarActions(w);
            QCOMPARE(actions.size(), 3);
            QCOMPARE(actions.at(0)->text(), QStringLiteral("kept"));
            QCOMPARE(actions.at(2)->text(), QStringLiteral("退出"));
        }
        orv_public::StopLogSystem();
        QFile log(m_root->file(QStringLiteral("log/model_varnix.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(log.readAll()).contains(QStringLiteral("ERROR [MODEL.model_varnix] 读取mainWindow.xml文件错误，请检查xml文件格式是否正确！")));
    }

    void unusedPagesStayOutOfSight()
    {
        writeDefinition(R"(<r><Item used="false" text="x" id="PropertyPanel" param="ANALOG.xml"/>
                            <Item used="true" text="y" id="PageA" param=""/></r>)");
        MainWindow w;
        w.show();
        const QList<OrvPropertyPage *> pages = w.findChildren<OrvPropertyPage *>();
        QCOMPARE(pages.size(), 1);
        QVERIFY(!pages.first()->isVisible());
        QVERIFY(!pages.first()->currentModel()->isLoaded());
    }

    void closingAsksFirst()
    {
        MainWindow w;
        w.show();
        QString text;
        answerModal<QMessageBox>([&](QMessageBox *box) {
            text = box->windowTitle() + QLatin1Char('|') + box->text();
            QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
            box->button(QMessageBox::No)->click();
        });
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QCOMPARE(text, QStringLiteral("消息|确定退出软件"));
        // The exit button asks the same question.
        answerMessageBox(&text);
        toolBarActions(w).last()->trigger();
        QVERIFY(!w.isVisible());
    }

    void pagesFollowWritesAndKeepEdits()
    {
        writeDefinition(R"(<r><Item used="true" text="报表" id="PropertyPanel" param="REPORT_TYPE_INFO.xml;HMI_TYPE_INFO.xml"/></r>)");
        MainWindow w;
        w.show();
        auto *page = qobject_cast<OrvPropertyPage *>(w.pages()->widget(0));
        QCOMPARE(page->view()->model()->rowCount(), 3);
        OrvTableDataMgr *mgr = OrvTableDataMgr::getInstance();

        // A repair elsewhere deletes a record: the page shows what the database holds.
        QCOMPARE(mgr->executeBatch({QStringLiteral("delete from REPORT_TYPE_INFO where REPORT_NAME = 'RPT_ENERGY';")}), QString());
        QTRY_COMPARE(page->view()->model()->rowCount(), 2);

        // With an edit not yet saved the page keeps it, and says the table changed under it.
        OrvTableModel *model = page->currentModel();
        const int desc = model->findCol(QStringLiteral("REPORT_DESC"));
        QVERIFY(model->setData(model->index(0, desc), QStringLiteral("未保存")));
        QCOMPARE(mgr->executeBatch({QStringLiteral("UPDATE REPORT_TYPE_INFO SET REPORT_DESC = 'x' WHERE REPORT_NAME = '%1';")
                                        .arg(model->getRowData(1).at(model->findCol(QStringLiteral("REPORT_NAME"))))}),
                 QString());
        QTRY_VERIFY2(page->statusText().contains(QStringLiteral("已被其他操作修改")), qPrintable(page->statusText()));
        QCOMPARE(model->getRowData(0).at(desc), QStringLiteral("未保存"));

        // 刷新 asks before it throws the edit away; No keeps it.
        const QList<QPushButton *> buttons = page->findChildren<QPushButton *>();
        QPushButton *reload = *std::find_if(buttons.begin(), buttons.end(), [](QPushButton *b) { return b->text() == QStringLiteral("刷新"); });
        QString question;
        answerModal<QMessageBox>([&](QMessageBox *box) {
            question = box->text();
            box->button(QMessageBox::No)->click();
        });
        reload->click();
        QVERIFY(question.contains(QStringLiteral("未保存的修改")));
        QVERIFY(model->hasPendingChanges());

        // Closing asks once while an edit is unsaved, and 取消 (the default) keeps window and edit.
        QStringList questions;
        answerModal<QMessageBox>([&](QMessageBox *box) {
            questions << box->text();
            QCOMPARE(box->defaultButton()->text(), QStringLiteral("取消"));
            box->defaultButton()->click();
        });
        QVERIFY(!w.close());
        QCOMPARE(questions.size(), 1);
        QVERIFY2(questions.first().contains(QStringLiteral("REPORT_TYPE_INFO")) && questions.first().contains(QStringLiteral("未保存的修改")),
                 qPrintable(questions.first()));
        QVERIFY(model->hasPendingChanges());

        answerModal<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
        reload->click();
        QVERIFY(!model->hasPendingChanges());
        QCOMPARE(model->getRowData(1).at(desc), QStringLiteral("x"));
    }

    // Quitting with unsaved edits: 保存并退出 writes them (and stays when the save fails),
    // 放弃修改并退出 leaves the database as it was.
    void quittingSavesOrDiscards()
    {
        writeDefinition(R"(<r><Item used="true" text="报表" id="PropertyPanel" param="REPORT_TYPE_INFO.xml"/></r>)");
        for (const char *answer : {"saveAndQuit", "discardAndQuit"}) {
            MainWindow w;
            w.show();
            auto *page = qobject_cast<OrvPropertyPage *>(w.pages()->widget(0));
            OrvTableModel *model = page->currentModel();
            const int desc = model->findCol(QStringLiteral("REPORT_DESC"));
            const int name = model->findCol(QStringLiteral("REPORT_NAME"));
            const QString report = model->getRowData(0).at(name);
            QVERIFY(model->setData(model->index(0, desc), QString::fromLatin1(answer)));
            answerModal<QMessageBox>([answer](QMessageBox *box) { box->findChild<QPushButton *>(QLatin1String(answer))->click(); });
            QVERIFY(w.close());
            QStringList stored;
            OrvDbDesign().getOneColumnResult(QStringLiteral("SELECT REPORT_DESC FROM REPORT_TYPE_INFO WHERE REPORT_NAME = '%1';").arg(report), stored);
            QCOMPARE(stored.value(0) == QLatin1String(answer), qstrcmp(answer, "saveAndQuit") == 0);
        }

        MainWindow w;
        w.show();
        auto *page = qobject_cast<OrvPropertyPage *>(w.pages()->widget(0));
        OrvTableModel *model = page->currentModel();
        const int id = model->findCol(QStringLiteral("REPORT_ID"));
        w.setPrimaryKeyEditable(true);
        QVERIFY(model->setData(model->index(0, id), model->getRowData(1).at(id))); // a key taken twice
        QString failure;
        answerModal<QMessageBox>([&](QMessageBox *box) {
            answerMessageBox(&failure);
            box->findChild<QPushButton *>(QStringLiteral("saveAndQuit"))->click();
        });
        QVERIFY(!w.close());
        QVERIFY2(failure.startsWith(QStringLiteral("保存失败|")), qPrintable(failure));
        QVERIFY(w.isVisible() && model->hasPendingChanges());
        page->onRevert();
    }

    // Ctrl+C copies the selected cells as tab-separated text (the header with whole rows), Ctrl+Z
    // takes back the last unsaved cell edit, Ctrl+F goes to the filter; the context menu lists them.
    void pageKeyboard()
    {
        writeDefinition(R"(<r><Item used="true" text="报表" id="PropertyPanel" param="REPORT_TYPE_INFO.xml"/></r>)");
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto *page = qobject_cast<OrvPropertyPage *>(w.pages()->widget(0));
        QTableView *view = page->view();
        QAbstractItemModel *proxy = view->model();
        OrvTableModel *model = page->currentModel();
        const int name = model->findCol(QStringLiteral("REPORT_NAME"));
        const int desc = model->findCol(QStringLiteral("REPORT_DESC"));
        view->setFocus();

        view->selectionModel()->select(QItemSelection(proxy->index(0, name), proxy->index(1, desc)), QItemSelectionModel::ClearAndSelect);
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        QString expected = proxy->index(0, name).data().toString() + QLatin1Char('\t') + proxy->index(0, desc).data().toString() + QLatin1Char('\n')
            + proxy->index(1, name).data().toString() + QLatin1Char('\t') + proxy->index(1, desc).data().toString() + QLatin1Char('\n');
        QCOMPARE(QApplication::clipboard()->text(), expected);
        view->selectRow(0);
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
        QVERIFY2(lines.first().contains(QStringLiteral("报表名称\t")) || lines.first().contains(QLatin1Char('\t')), qPrintable(lines.first()));
        QCOMPARE(lines.at(1).split(QLatin1Char('\t')).size(), lines.first().split(QLatin1Char('\t')).size());

        // Two edits through the editor; Ctrl+Z takes back the second, then the first, then nothing.
        const QString before = proxy->index(0, desc).data().toString();
        for (const QString &text : {QStringLiteral("一"), QStringLiteral("二")}) {
            view->setCurrentIndex(proxy->index(0, desc));
            view->edit(proxy->index(0, desc));
            auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            QVERIFY2(editor, QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "no focus");
            editor->setText(text);
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_COMPARE(proxy->index(0, desc).data().toString(), text); // committed once the editor has closed
        }
        QCOMPARE(proxy->index(0, desc).data().toString(), QStringLiteral("二"));
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(proxy->index(0, desc).data().toString(), QStringLiteral("一"));
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(proxy->index(0, desc).data().toString(), before);
        QVERIFY(!model->hasPendingChanges());
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(proxy->index(0, desc).data().toString(), before);

        // Taken back on the row it was made on, wherever a header click has moved that row.
        const int id = model->findCol(QStringLiteral("REPORT_ID"));
        const int last = proxy->rowCount() - 1;
        QVERIFY(last >= 2);
        const QString firstKey = proxy->index(0, id).data().toString();
        const QString lastKey = proxy->index(last, id).data().toString();
        const QString lastBefore = proxy->index(last, desc).data().toString();
        // The first row, then the last, edited to the same text through the editor.
        for (int row : {0, last}) {
            view->setCurrentIndex(proxy->index(row, desc));
            view->edit(proxy->index(row, desc));
            auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            QVERIFY(editor);
            editor->setText(QStringLiteral("同一个说明"));
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_COMPARE(proxy->index(row, desc).data().toString(), QStringLiteral("同一个说明"));
        }
        // The key column's header, clicked twice: the rows turn round.
        view->sortByColumn(id, Qt::DescendingOrder);
        QTRY_COMPARE(proxy->index(0, id).data().toString(), lastKey);
        QCOMPARE(proxy->index(last, id).data().toString(), firstKey);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        const auto descOf = [&](const QString &key) {
            for (int row = 0; row < proxy->rowCount(); ++row)
                if (proxy->index(row, id).data().toString() == key)
                    return proxy->index(row, desc).data().toString();
            return QStringLiteral("<no row>");
        };
        QCOMPARE(QStringLiteral("last row: %1, first row: %2").arg(descOf(lastKey), descOf(firstKey)),
                 QStringLiteral("last row: %1, first row: 同一个说明").arg(lastBefore));
        page->onRevert();
        view->sortByColumn(id, Qt::AscendingOrder);

        QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(page->findChild<QLineEdit *>()->hasFocus());
        QStringList menu;
        for (QAction *a : view->actions())
            if (!a->isSeparator())
                menu << a->text() + QLatin1Char('=') + a->shortcut().toString();
        QCOMPARE(menu, (QStringList{"保存=Ctrl+S", "刷新=F5", "筛选=Ctrl+F", "复制=Ctrl+C", "撤销上次单元格修改=Ctrl+Z", "导出…=Ctrl+E", "导入…="}));
        const QList<QPushButton *> buttons = page->findChildren<QPushButton *>();
        QVERIFY(std::any_of(buttons.begin(), buttons.end(), [](QPushButton *b) { return b->toolTip() == QStringLiteral("保存 (Ctrl+S)"); }));
    }

    // Size, position, the page shown and column widths come back at the next start.
    void windowRemembersItsPlace()
    {
        writeDefinition(R"(<r><Item used="true" text="一" id="PropertyPanel" param="REPORT_TYPE_INFO.xml"/>
                           <Item used="true" text="二" id="PropertyPanel" param="HMI_TYPE_INFO.xml"/></r>)");
        {
            MainWindow w;
            w.show();
            QCOMPARE(w.pages()->currentIndex(), 0);
            w.setGeometry(40, 50, 900, 600);
            toolBarActions(w).at(1)->trigger();
            auto *page = qobject_cast<OrvPropertyPage *>(w.pages()->widget(1));
            page->view()->setColumnWidth(1, 333);
            answerMessageBox(nullptr);
            QVERIFY(w.close());
        }
        MainWindow w;
        QCOMPARE(w.size(), QSize(900, 600));
        QCOMPARE(w.pages()->currentIndex(), 1);
        QVERIFY(toolBarActions(w).at(1)->isChecked());
        w.show();
        auto *page = qobject_cast<OrvPropertyPage *>(w.pages()->widget(1));
        QCOMPARE(page->view()->columnWidth(1), 333);
    }

    // A read-only user sees it all the time, and is told in a box at the first attempt to edit a cell.
    void readOnlyIsShown()
    {
        writeDefinition(R"(<r><Item used="true" text="报表" id="PropertyPanel" param="REPORT_TYPE_INFO.xml"/></r>)");
        {
            MainWindow w;
            QVERIFY(!w.findChild<QLabel *>(QStringLiteral("readOnlyBadge")));
        }
        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_READONLY);
        MainWindow w;
        w.show();
        auto *badge = w.findChild<QLabel *>(QStringLiteral("readOnlyBadge"));
        QVERIFY(badge && badge->isVisible());
        QCOMPARE(badge->text(), QStringLiteral("只读"));
        auto *page = qobject_cast<OrvPropertyPage *>(w.pages()->widget(0));
        const QModelIndex cell = page->view()->model()->index(0, 1);
        QString told;
        answerMessageBox(&told);
        emit page->view()->doubleClicked(cell);
        QCOMPARE(told, QStringLiteral("只读|当前用户没有修改权限"));
        // Once: later attempts are said in the status line only.
        emit page->view()->doubleClicked(cell);
        QVERIFY(page->statusText().contains(QStringLiteral("当前用户没有修改权限")));
        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_EDIT);
    }

    void databaseErrorsAndVersion()
    {
        MainWindow w;
        QString text;
        answerMessageBox(&text);
        emit OrvTableDataMgr::getInstance()->dbError(QStringLiteral("断开"));
        QCOMPARE(text, QStringLiteral("数据库错误|数据库错误：断开"));
        answerMessageBox(&text);
        w.onVersion();
        QCOMPARE(text, QStringLiteral("设备建模|版本号:%1").arg(Common::getSoftwareVersion()));
        // The message controller refreshes the status text by the slot's name.
        OrvTableDataMgr::getInstance()->setExtraDbInfo(QStringLiteral("账号:abc "));
        QVERIFY(w.statusText().startsWith(QStringLiteral("账号:abc 数据库:")));
    }

    void primaryKeySwitch()
    {
        MainWindow w;
        w.setPrimaryKeyEditable(true);
        QVERIFY(w.findChild<QAction *>(QStringLiteral("action_6"))->isChecked());
        QVERIFY(OrvTableDataMgr::getInstance()->isPrimaryEditable());
        w.findChild<QAction *>(QStringLiteral("action_6"))->trigger();
        QVERIFY(!OrvTableDataMgr::getInstance()->isPrimaryEditable());
    }

    void propertyPageEditsRespectKeysAndRights()
    {
        writeDefinition(R"(<r><Item used="true" text="位置" id="PropertyPanel" param="SYS_MODEL_LOCATION_INFO.xml;NO_SUCH.xml;DEV_GROUP.xml"/></r>)");
        MainWindow w;
        w.show();
        auto *page = qobject_cast<OrvPropertyPage *>(w.pages()->widget(0));
        QVERIFY(page);
        QCOMPARE(page->findChild<QTabBar *>()->count(), 2);
        OrvTableModel *model = page->currentModel();
        QCOMPARE(model->getTableName(), QStringLiteral("SYS_MODEL_LOCATION_INFO"));
        QCOMPARE(page->view()->model()->rowCount(), 3);
        QAbstractItemModel *proxy = page->view()->model();
        const int key = model->findCol(QStringLiteral("LOCATION_ID"));
        const int desc = model->findCol(QStringLiteral("DESCRIPTION"));

        w.setPrimaryKeyEditable(false);
        // Refused edits are said once the editor has closed; the cell keeps its value.
        QString refusal;
        answerMessageBox(&refusal);
        QVERIFY(!proxy->setData(proxy->index(0, key), 77));
        QTRY_COMPARE(refusal, QStringLiteral("消息|该列是主键,不可编辑"));
        QVERIFY(!(proxy->flags(proxy->index(0, key)) & Qt::ItemIsEditable));
        w.setPrimaryKeyEditable(true);
        QVERIFY(proxy->setData(proxy->index(0, desc), QStringLiteral("东站'改")));
        QVERIFY(proxy->setData(proxy->index(0, key), 77)); // the view re-sorts: row 0 moves last
        page->onSave();
        QVERIFY2(page->statusText().contains(QStringLiteral("已保存")), qPrintable(page->statusText()));
        QStringList stored;
        OrvDbDesign().getOneColumnResult(QStringLiteral("SELECT DESCRIPTION FROM SYS_MODEL_LOCATION_INFO WHERE LOCATION_ID = 77;"), stored);
        QCOMPARE(stored, QStringList{QStringLiteral("东站'改")});

        refusal.clear();
        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_READONLY);
        answerMessageBox(&refusal);
        QVERIFY(!proxy->setData(proxy->index(1, desc), QStringLiteral("x")));
        QTRY_VERIFY2(refusal.contains(QStringLiteral("当前用户没有修改权限")), qPrintable(refusal));
        OrvTableDataMgr::getInstance()->setRight(OrvTableDataMgr::RIGHT_EDIT);
        refusal.clear();
        answerMessageBox(&refusal);
        QVERIFY(!proxy->setData(proxy->index(1, key), QStringLiteral("abc")));
        QTRY_VERIFY2(refusal.contains(QStringLiteral("“位置标识”(LOCATION_ID)不能保存值“abc”：不是整数")), qPrintable(refusal));
        QVERIFY(!model->hasPendingChanges());

        // A failed save is said by the page, once; the edit stays, marked and selected.
        QSignalSpy dbErrors(OrvTableDataMgr::getInstance(), &OrvTableDataMgr::dbError);
        QString text;
        answerMessageBox(&text);
        QVERIFY(proxy->setData(proxy->index(1, key), model->getRowData(0).at(key)));
        page->onSave();
        QVERIFY2(text.startsWith(QStringLiteral("保存失败|")), qPrintable(text));
        QCOMPARE(dbErrors.count(), 0);
        QVERIFY(model->hasPendingChanges());
        QCOMPARE(page->view()->currentIndex(), proxy->index(1, key));
        QVERIFY(proxy->index(1, key).data(Qt::BackgroundRole).isValid());
        QVERIFY(page->statusText().contains(QStringLiteral("第 2 行")));
        page->onRevert();
        QVERIFY(!model->hasPendingChanges());

        page->findChild<QLineEdit *>()->setText(QStringLiteral("人民"));
        QTRY_COMPARE(proxy->rowCount(), 1);
        page->findChild<QTabBar *>()->setCurrentIndex(1);
        QCOMPARE(page->currentModel()->getTableName(), QStringLiteral("dev_group"));
        QTRY_COMPARE(proxy->rowCount(), 6); // the filter text stays: the six 人民广场站 groups
    }

    void fesPointSearchIsOneDialog()
    {
        MainWindow w;
        QVERIFY(w.findChildren<OrvFesPointDlg *>().isEmpty());
        auto *action = w.findChild<QAction *>(QStringLiteral("action_9"));
        action->trigger();
        const QList<OrvFesPointDlg *> dialogs = w.findChildren<OrvFesPointDlg *>();
        QCOMPARE(dialogs.size(), 1);
        OrvFesPointDlg *dlg = dialogs.first();
        QVERIFY(dlg->isVisible() && !dlg->isModal());
        QCOMPARE(dlg->parentWidget(), &w);
        // Closed and chosen again: the same dialog, as the user left it.
        dlg->findChild<QLineEdit *>(QStringLiteral("deviceFilter"))->setText(QStringLiteral("QF"));
        dlg->close();
        action->trigger();
        QCOMPARE(w.findChildren<OrvFesPointDlg *>(), dialogs);
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->findChild<QLineEdit *>(QStringLiteral("deviceFilter"))->text(), QStringLiteral("QF"));
    }

    void pointBrowserHost()
    {
        MainWindow w;
        bool accepted = false;
        QSize size;
        int stations = 0, groups = 0, points = 0;
        bool valuesHidden = false;
        QAbstractItemView::SelectionMode mode = QAbstractItemView::NoSelection;
        QString selected;
        answerModal<QDialog>([&](QDialog *dlg) {
            connect(dlg, &QDialog::accepted, [&] { accepted = true; });
            size = dlg->size();
            auto *browser = dlg->findChild<orvDevPointWidget *>();
            if (!browser) {
                dlg->reject();
                return;
            }
            stations = browser->deviceTree()->topLevelItemCount();
            QTreeWidgetItem *station = browser->deviceTree()->topLevelItem(0);
            station->setExpanded(true);
            groups = station->childCount();
            station->child(0)->setExpanded(true);
            browser->deviceTree()->setCurrentItem(station->child(0)->child(0));
            points = browser->pointTable()->rowCount();
            valuesHidden = browser->pointTable()->isColumnHidden(3);
            mode = browser->pointTable()->selectionMode();
            browser->pointTable()->selectRow(0);
            selected = browser->selectedPoints().value(0);
            emit browser->sigOk();
        });
        w.onPointSearch();
        QVERIFY(accepted);
        QCOMPARE(size, QSize(750, 475));
        QCOMPARE(stations, 3);
        QCOMPARE(groups, 6);
        QCOMPARE(points, 9);
        QVERIFY(valuesHidden);
        QCOMPARE(mode, QAbstractItemView::SingleSelection);
        QCOMPARE(selected, QStringLiteral("analog;STA01.BAS1_FAN01.Ia;火车站风机01(组1)A相电流"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void pointBrowserSaysFailedReads()
    {
        QCOMPARE(runOnLink({QStringLiteral("ALTER TABLE analog RENAME TO analog_gone")}), QString());
        orvDevPointWidget browser;
        browser.findChild<QLineEdit *>()->setText(QStringLiteral("QF01"));
        browser.onSearch();
        QCOMPARE(browser.pointTable()->rowCount(), 0);
        bool said = false;
        for (const QLabel *label : browser.findChildren<QLabel *>())
            said = said || (label->text().startsWith(QStringLiteral("读取失败")) && label->text().contains(QStringLiteral("analog")));
        QVERIFY(said);
        QCOMPARE(runOnLink({QStringLiteral("ALTER TABLE analog_gone RENAME TO analog")}), QString());
    }

    void pointBrowserSearch()
    {
        orvDevPointWidget browser;
        browser.setPointValueEnable(false);
        auto *search = browser.findChild<QLineEdit *>();
        search->setText(QStringLiteral("QF01.I"));
        browser.onSearch();
        QCOMPARE(browser.pointTable()->rowCount(), 3 * 2 * 3); // 3 stations, 2 groups, Ia/Ib/Ic
        search->setText(QStringLiteral("%' OR '1'='1"));
        browser.onSearch();
        QCOMPARE(browser.pointTable()->rowCount(), 0);
        // Ordinary texts holding digits, place markers or wildcards are searched as typed.
        int withOne = 0;
        for (const char *table : {"analog", "digital", "accuml", "mix"}) {
            QStringList count;
            OrvDbDesign().getOneColumnResult(
                QStringLiteral("SELECT COUNT(*) FROM %1 WHERE TAG_NAME LIKE ? OR DESCRIPTION LIKE ?").arg(QLatin1String(table)),
                {QStringLiteral("%1%"), QStringLiteral("%1%")}, count);
            withOne += count.value(0).toInt();
        }
        QVERIFY(withOne > 0);
        const QList<QPair<QString, int>> searches = {{"1", qMin(withOne, 500)}, {"QF01_W", 0}, {"QF01.W", 6}, {"a%1", 0},
                                                      {"2号", 0}, {"STA03.PSCADA1_QF01.", 9}};
        for (const auto &s : searches) {
            search->setText(s.first);
            browser.onSearch();
            QVERIFY2(browser.pointTable()->rowCount() == s.second, qPrintable(s.first));
            QVERIFY(!browser.findChildren<QLabel *>().isEmpty());
        }
        search->setText(QStringLiteral("有功电度"));
        browser.onSearch();
        QCOMPARE(browser.pointTable()->rowCount(), 36);
        QCOMPARE(browser.pointTable()->item(0, 3)->text(), QString());
        browser.setPointValueEnable(true);
        QVERIFY(browser.pointTable()->item(0, 3)->text().contains(QStringLiteral("_Wh")));
    }

    // A decimal cell shows every digit the column stores: a coefficient of 1234.5678 is not
    // 1234.57 on screen, nor 12345678.5 a 1.23457e+07.
    void decimalCellsShowTheirDigits_data() { addBackendRows(); }
    void decimalCellsShowTheirDigits()
    {
        QFETCH(Backend, backend);
        QCOMPARE(openDemo(backend, QStringLiteral("mainwindow_digits"), *m_root), QString());
        QStringList tags;
        OrvDbDesign().getOneColumnResult(QStringLiteral("SELECT TAG_NAME FROM fes_analog ORDER BY TAG_NAME"), tags);
        QVERIFY(tags.size() >= 2);
        QCOMPARE(runOnLink({QStringLiteral("UPDATE fes_analog SET COEFF = 1234.5678, OFFSET_VALUE = -0.0001 WHERE TAG_NAME = '%1'").arg(tags.at(0)),
                            QStringLiteral("UPDATE fes_analog SET COEFF = 12345678.5, OFFSET_VALUE = 0.1234 WHERE TAG_NAME = '%1'").arg(tags.at(1))}),
                 QString());
        OrvPropertyPage page({QStringLiteral("FES_ANALOG.xml")}, nullptr);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTableView *view = page.view();
        QAbstractItemModel *proxy = view->model();
        OrvTableModel *model = page.currentModel();
        const int tag = model->findCol(QStringLiteral("TAG_NAME"));
        const int coeff = model->findCol(QStringLiteral("COEFF"));
        const int offset = model->findCol(QStringLiteral("OFFSET_VALUE"));
        const auto onScreen = [view](const QModelIndex &index) {
            const auto *delegate = qobject_cast<QStyledItemDelegate *>(view->itemDelegate(index));
            return delegate ? delegate->displayText(shownData(index), view->locale()) : QStringLiteral("<no delegate>");
        };
        QCOMPARE(shownData(proxy->index(0, tag)).toString(), tags.at(0));
        QStringList seen;
        for (int row : {0, 1})
            for (int col : {coeff, offset})
                seen << onScreen(proxy->index(row, col));
        QCOMPARE(seen.join(QLatin1String(" | ")), QStringLiteral("1234.5678 | -0.0001 | 12345678.5 | 0.1234"));
    }

    // The header's sort mark tells the order of the rows under it, on every tab of the page.
    void sortMarkMatchesTheRowsOfEachTab()
    {
        writeDefinition(R"(<r><Item used="true" text="报表" id="PropertyPanel" param="REPORT_TYPE_INFO.xml;HMI_TYPE_INFO.xml"/></r>)");
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *page = qobject_cast<OrvPropertyPage *>(w.pages()->widget(0));
        QTableView *view = page->view();
        QHeaderView *header = view->horizontalHeader();
        auto *tabs = page->findChild<QTabBar *>();
        // Whether the rows shown follow the header's mark; the column texts top down when not.
        const auto followsMark = [&](QString *texts) {
            OrvTableModel *model = page->currentModel();
            if (!QTest::qWaitFor([model] { return !model->isReading(); }, 10000))
                return false;
            QAbstractItemModel *proxy = view->model();
            const int col = header->sortIndicatorSection();
            const bool descending = header->sortIndicatorOrder() == Qt::DescendingOrder;
            QStringList cells;
            for (int row = 0; row < proxy->rowCount(); ++row)
                cells << shownData(proxy->index(row, col)).toString();
            *texts = QStringLiteral("column %1 %2: %3").arg(col).arg(descending ? "desc" : "asc", cells.join(QLatin1String(" | ")));
            QStringList ordered = cells;
            std::sort(ordered.begin(), ordered.end(), [descending](const QString &a, const QString &b) {
                return descending ? QString::compare(a, b) > 0 : QString::compare(a, b) < 0;
            });
            return cells == ordered;
        };
        QString texts;
        view->sortByColumn(page->currentModel()->findCol(QStringLiteral("REPORT_DESC")), Qt::DescendingOrder);
        QVERIFY2(followsMark(&texts), qPrintable(texts));
        tabs->setCurrentIndex(1);
        QVERIFY2(followsMark(&texts), qPrintable(QStringLiteral("HMI_TYPE_INFO ") + texts));
        view->sortByColumn(page->currentModel()->findCol(QStringLiteral("HMI_NAME")), Qt::AscendingOrder);
        QVERIFY2(followsMark(&texts), qPrintable(texts));
        tabs->setCurrentIndex(0);
        QVERIFY2(followsMark(&texts), qPrintable(QStringLiteral("REPORT_TYPE_INFO again ") + texts));
    }

    // A save that fails on a row another session deleted says which row, also when that row is
    // out of sight (the filter leaves it out); the other edits stay.
    void failedSaveNamesARowOutOfSight_data() { addBackendRows(); }
    void failedSaveNamesARowOutOfSight()
    {
        QFETCH(Backend, backend);
        QCOMPARE(openDemo(backend, QStringLiteral("mainwindow_conflict"), *m_root), QString());
        OrvPropertyPage page({QStringLiteral("ANALOG.xml")}, nullptr);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        OrvTableModel *model = page.currentModel();
        const int tag = model->findCol(QStringLiteral("TAG_NAME"));
        const int desc = model->findCol(QStringLiteral("DESCRIPTION"));
        const QString gone = model->getRowData(0).at(tag);
        const QString kept = model->getRowData(1).at(tag);
        QVERIFY(model->setData(model->index(0, desc), QStringLiteral("甲")));
        QVERIFY(model->setData(model->index(1, desc), QStringLiteral("乙")));
        page.findChild<QLineEdit *>()->setText(kept);
        QTRY_VERIFY(model->filterText() == kept && !model->isReading() && model->matchingRows() >= 1);
        for (int row = 0; row < page.view()->model()->rowCount(); ++row)
            QVERIFY(shownData(page.view()->model()->index(row, tag)).toString() != gone);
        QCOMPARE(runOnLink({QStringLiteral("DELETE FROM analog WHERE TAG_NAME = '%1'").arg(gone)}), QString());
        QString box;
        answerMessageBox(&box);
        page.onSave();
        QVERIFY(model->hasPendingChanges());
        QVERIFY2(box.startsWith(QStringLiteral("保存失败|")), qPrintable(box));
        QVERIFY2(box.contains(gone) || page.statusText().contains(gone),
                 qPrintable(QStringLiteral("box: %1\nstatus: %2").arg(box, page.statusText())));
        page.onRevert();
    }

    // "全部列" are the columns the page lists: a text held only by a column kept out of sight
    // leaves every row out.
    void filterOfAllColumnsSearchesTheColumnsInSight()
    {
        QStringList tags;
        OrvDbDesign().getOneColumnResult(QStringLiteral("SELECT TAG_NAME FROM analog ORDER BY TAG_NAME"), tags);
        QCOMPARE(runOnLink({QStringLiteral("UPDATE analog SET RAW_CODE = 'ZQXJ-7' WHERE TAG_NAME = '%1'").arg(tags.value(0))}), QString());
        OrvPropertyPage page({QStringLiteral("ANALOG.xml")}, nullptr);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        OrvTableModel *model = page.currentModel();
        const int raw = model->findCol(QStringLiteral("RAW_CODE"));
        QVERIFY(page.view()->isColumnHidden(raw));
        auto *columns = page.findChild<QComboBox *>();
        QCOMPARE(columns->currentText(), QStringLiteral("全部列"));
        QCOMPARE(columns->findData(raw), -1);
        page.findChild<QLineEdit *>()->setText(QStringLiteral("zqxj-7"));
        QTRY_VERIFY(!model->isReading() && model->filterText() == QStringLiteral("zqxj-7") && model->matchingRows() >= 0);
        QCOMPARE(page.view()->model()->rowCount(), 0);
    }

    // The type box narrows the points of a search to that type, rather than throwing the search away.
    void pointBrowserTypeNarrowsTheSearch()
    {
        orvDevPointWidget browser;
        browser.setPointValueEnable(false);
        browser.findChild<QLineEdit *>()->setText(QStringLiteral("QF01"));
        browser.onSearch();
        QTableWidget *points = browser.pointTable();
        const int all = points->rowCount();
        QStringList analogs;
        for (int row = 0; row < all; ++row)
            if (points->item(row, 0)->data(Qt::UserRole).toInt() == 1)
                analogs << points->item(row, 1)->text();
        QVERIFY(!analogs.isEmpty() && analogs.size() < all);
        auto *type = browser.findChild<QComboBox *>();
        type->setCurrentIndex(type->findData(1));
        QStringList shown;
        for (int row = 0; row < points->rowCount(); ++row)
            shown << points->item(row, 1)->text();
        QCOMPARE(shown, analogs);
    }

    // The search finds a tag or description whatever the letter case typed, on every database.
    void pointBrowserSearchIgnoresLetterCase_data() { addBackendRows(); }
    void pointBrowserSearchIgnoresLetterCase()
    {
        QFETCH(Backend, backend);
        QCOMPARE(openDemo(backend, QStringLiteral("mainwindow_browser"), *m_root), QString());
        orvDevPointWidget browser;
        browser.setPointValueEnable(false);
        QStringList found;
        for (const char *text : {"QF01.I", "qf01.i", "Qf01.I"}) {
            browser.findChild<QLineEdit *>()->setText(QLatin1String(text));
            browser.onSearch();
            found << QStringLiteral("%1=%2").arg(QLatin1String(text)).arg(browser.pointTable()->rowCount());
        }
        QCOMPARE(found, (QStringList{"QF01.I=18", "qf01.i=18", "Qf01.I=18"}));
    }

    // Another order or filter shows its rows from the top: the place the page had scrolled to
    // belongs to the rows of before, and the first rows read of the new ones are the first.
    void newOrderOrFilterShowsItsFirstRows()
    {
        QString error;
        const std::unique_ptr<OrvPropertyPage> page = longAnalogPage(Backend::SQLite, QStringLiteral("mainwindow_top"), &error);
        QVERIFY2(page, qPrintable(error));
        OrvTableModel *model = page->currentModel();
        QTableView *view = page->view();
        // change() until taken() says the model has it.
        const auto shownFromBottomThen = [&](const std::function<void()> &change, const std::function<bool()> &taken) {
            view->scrollToBottom();
            if (view->rowAt(0) <= OrvTableModel::WindowRows)
                return QStringLiteral("not scrolled down: row %1 on top").arg(view->rowAt(0));
            change();
            if (!QTest::qWaitFor([&] { return taken() && !model->isReading() && model->matchingRows() >= 0; }, 10000))
                return QStringLiteral("still reading");
            return QStringLiteral("row %1 on top").arg(view->rowAt(0));
        };
        const int desc = model->findCol(QStringLiteral("DESCRIPTION"));
        QCOMPARE(shownFromBottomThen([&] { view->sortByColumn(desc, Qt::DescendingOrder); }, [&] { return model->sortColumn() == desc; }),
                 QStringLiteral("row 0 on top"));
        QCOMPARE(shownFromBottomThen([&] { page->findChild<QLineEdit *>()->setText(QStringLiteral("A")); },
                                     [&] { return model->filterText() == QLatin1String("A"); }),
                 QStringLiteral("row 0 on top"));
        QVERIFY(model->matchingRows() > 3 * OrvTableModel::WindowRows);
    }

    // Saved at the end of a long table, the page stays where it was: the edited row in sight
    // and still the current cell, showing the value stored.
    void saveKeepsTheEditedRowInSight_data() { addBackendRows(); }
    void saveKeepsTheEditedRowInSight()
    {
        QFETCH(Backend, backend);
        QString error;
        const std::unique_ptr<OrvPropertyPage> page = longAnalogPage(backend, QStringLiteral("mainwindow_far"), &error);
        QVERIFY2(page, qPrintable(error));
        OrvTableModel *model = page->currentModel();
        QTableView *view = page->view();
        QAbstractItemModel *proxy = view->model();
        const int tag = model->findCol(QStringLiteral("TAG_NAME"));
        const int desc = model->findCol(QStringLiteral("DESCRIPTION"));
        const int last = proxy->rowCount() - 1;
        view->scrollToBottom();
        const QString key = shownData(proxy->index(last, tag)).toString();
        view->setCurrentIndex(proxy->index(last, desc));
        QVERIFY(proxy->setData(proxy->index(last, desc), QStringLiteral("末行改过")));
        page->onSave();
        QVERIFY2(page->statusText().contains(QStringLiteral("已保存")), qPrintable(page->statusText()));
        QTRY_VERIFY(!model->isReading() && model->matchingRows() == last + 1);
        QTest::qWait(50);
        const int top = view->rowAt(0);
        const int bottom = view->rowAt(view->viewport()->height() - 1);
        QVERIFY2(top <= last && (bottom < 0 || bottom >= last) && view->currentIndex() == proxy->index(last, desc),
                 qPrintable(QStringLiteral("rows %1 to %2 in sight, current row %3; the edited one is row %4")
                                .arg(top).arg(bottom).arg(view->currentIndex().row()).arg(last)));
        QCOMPARE(shownData(proxy->index(last, tag)).toString(), key);
        QCOMPARE(shownData(proxy->index(last, desc)).toString(), QStringLiteral("末行改过"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
