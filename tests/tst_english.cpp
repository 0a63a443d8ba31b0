// The English interface: chosen by the switch, every dialog speaks English and no text is cut off.
// With MODEL_SCREENSHOT_DIR set, each window is also saved there as a picture to look at.
#include "TestSupport.h"

#include "CLoginDlg.h"
#include "CfgCheckTypes.h"
#include "Common.h"
#include "LoginDlg.h"
#include "MainWindow.h"
#include "OrvBackPointPatch.h"
#include "OrvFesPointDlg.h"
#include "OrvFesPointPatch.h"
#include "OrvInputDlg.h"
#include "OrvPropertyPage.h"
#include "OrvReplaceDlg.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "ImportPreviewModel.h"
#include "SheetImportDlg.h"
#include "TableSheet.h"
#include "orvConfigCheckDlg.h"
#include "orvDevPointWidget.h"
#include "orvErrorListDlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QVBoxLayout>

namespace {

bool hasChinese(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    return text.contains(han);
}

QString visibleText(const QWidget *w)
{
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        return button->text();
    if (const auto *box = qobject_cast<const QGroupBox *>(w))
        return box->title();
    return QString();
}

// Texts of the window that are Chinese or do not fit their widget; data read from the demo
// database (Chinese names of stations and devices) sits in lists and tables, not in these.
QStringList problems(QWidget *window)
{
    QStringList found;
    if (hasChinese(window->windowTitle()))
        found << QStringLiteral("title: ") + window->windowTitle();
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisible())
            continue;
        const QString text = visibleText(w);
        if (hasChinese(text))
            found << QStringLiteral("Chinese: ") + text;
        const auto *label = qobject_cast<const QLabel *>(w);
        const bool wraps = label && label->wordWrap();
        if (!text.isEmpty() && !wraps && w->width() < w->minimumSizeHint().width())
            found << QStringLiteral("cut off (%1 < %2 px): %3").arg(w->width()).arg(w->minimumSizeHint().width()).arg(text);
        if (auto *tabs = qobject_cast<QTabBar *>(w))
            for (int i = 0; i < tabs->count(); ++i)
                if (hasChinese(tabs->tabText(i)))
                    found << QStringLiteral("tab: ") + tabs->tabText(i);
        if (auto *bar = qobject_cast<QMenuBar *>(w))
            for (const QAction *menu : bar->actions()) {
                const QList<QAction *> entries = menu->menu() ? menu->menu()->actions() : QList<QAction *>();
                for (const QAction *a : QList<const QAction *>{menu} + QList<const QAction *>(entries.cbegin(), entries.cend()))
                    if (hasChinese(a->text()))
                        found << QStringLiteral("menu: ") + a->text();
            }
    }
    return found;
}

} // namespace

class EnglishTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestRoot> m_root;

    void look(QWidget *window, const QString &name)
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::qWait(50);
        const QString dir = qEnvironmentVariable("MODEL_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            window->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
        const QStringList found = problems(window);
        QVERIFY2(found.isEmpty(), qPrintable(name + QStringLiteral(": ") + found.join(QStringLiteral("; "))));
    }

    // Looks at the next message box the way look() looks at a window, then presses button in it;
    // what it found goes to *found.
    void lookAtNextBox(const QString &name, QMessageBox::StandardButton button, QStringList *found)
    {
        answerModal<QMessageBox>([=](QMessageBox *box) {
            QTest::qWait(50);
            const QString dir = qEnvironmentVariable("MODEL_SCREENSHOT_DIR");
            if (!dir.isEmpty())
                box->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
            *found << problems(box);
            if (hasChinese(box->text()))
                *found << QStringLiteral("Chinese: ") + box->text();
            (box->button(button) ? box->button(button) : box->escapeButton())->click();
        });
    }

private slots:
    void initTestCase()
    {
        m_root = std::make_unique<TestRoot>();
        for (const QString &qm : QDir(QStringLiteral(MODEL_TRANSLATIONS_DIR)).entryList({QStringLiteral("*.qm")}))
            QVERIFY(QFile::copy(QStringLiteral(MODEL_TRANSLATIONS_DIR "/") + qm, m_root->file(QStringLiteral("translations/") + qm)));
        m_root->writeFile(QStringLiteral("etc/ModelConfig.ini"), "[ui]\nlanguage=en\nshowBatchEditors=true\n");
        Common::initPath();
        QCOMPARE(Common::uiLanguage(), QStringLiteral("en"));
        Common::installTranslators();
        QCOMPARE(QCoreApplication::translate("LoginDlg", "登录"), QStringLiteral("Log in"));
        DbLinkParams p;
        QCOMPARE(createDemoDatabase(Backend::SQLite, QStringLiteral("english"), *m_root, DemoOptions(), &p), QString());
        QCOMPARE(openLink(p), QString());
    }

    void cleanupTestCase()
    {
        delete OrvTableDataMgr::getInstance();
        m_root.reset();
    }

    void loginDialogs()
    {
        CLoginDlg platform;
        look(&platform, QStringLiteral("platform-login"));
        LoginDlg direct;
        look(&direct, QStringLiteral("direct-login"));
    }

    void mainWindowAndTools()
    {
        MainWindow window;
        window.resize(1280, 720);
        look(&window, QStringLiteral("main-window"));
        // Closing with an unsaved edit asks once, with its three answers.
        if (auto *page = qobject_cast<OrvPropertyPage *>(window.pages()->currentWidget())) {
            OrvTableModel *model = page->currentModel();
            QVERIFY(model->setData(model->index(0, model->findCol(QStringLiteral("DESCRIPTION"))), QStringLiteral("x")));
            QStringList found;
            lookAtNextBox(QStringLiteral("quit-question"), QMessageBox::Cancel, &found);
            QVERIFY(!window.close());
            QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
            model->revertChanges();
        }
        OrvFesPointDlg search(&window);
        look(&search, QStringLiteral("fes-point-search"));
        QDialog browser;
        auto *points = new orvDevPointWidget(&browser);
        (new QVBoxLayout(&browser))->addWidget(points);
        browser.resize(900, 600);
        look(&browser, QStringLiteral("point-browser"));
    }

    void batchEditors()
    {
        OrvBackPointPatch back;
        back.resize(1200, 700);
        look(&back, QStringLiteral("back-point-patch"));
        OrvFesPointPatch fes;
        fes.resize(1200, 700);
        look(&fes, QStringLiteral("fes-point-patch"));
        QString format = QStringLiteral("AI_%1");
        OrvInputDlg input(format, 1, nullptr);
        look(&input, QStringLiteral("input"));
        OrvReplaceDlg replace;
        look(&replace, QStringLiteral("replace"));
    }

    void checkDialogs()
    {
        orvConfigCheckDlg check;
        look(&check, QStringLiteral("check-dialog"));
        ST_CfgCheckItem item;
        item.strDes = QStringLiteral("FES_ANALOG");
        item.bCanRepair = true;
        ST_CfgCheckError error;
        error.strTagName = QStringLiteral("STA01.PSCADA.CH01.RTU01.QF01_Ia");
        error.strReason = QStringLiteral("No front-end point linked");
        item.lstErrors = {error};
        orvErrorListDlg errors(&item, nullptr);
        look(&errors, QStringLiteral("error-list"));

        // The question before a repair deletes.
        item.nRepairRule = 1;
        item.lstParams = QStringList{QStringLiteral("fes_analog"), QStringLiteral("DESCRIPTION"), QStringLiteral("TAG_NAME")};
        item.lstErrors.first().bSelected = true;
        QStringList found;
        lookAtNextBox(QStringLiteral("repair-question"), QMessageBox::Cancel, &found);
        check.OnRepairItem(&item);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
    }

    // The import preview names each row's category in full.
    void importPreview()
    {
        const TableDefinition def = OrvTableDataMgr::getInstance()->definitionOfTable(QStringLiteral("fes_analog"));
        QString error;
        const TableSheet rows = TableSheet::read(def, QString(), &error);
        QVERIFY2(rows.rowCount() >= 2, qPrintable(error));
        const int tag = def.columns.findCol(QStringLiteral("TAG_NAME"));
        const int description = def.columns.findCol(QStringLiteral("DESCRIPTION"));
        const QString file = m_root->file(QStringLiteral("preview.csv"));
        m_root->writeFile(QStringLiteral("preview.csv"),
                          QStringLiteral("TAG_NAME,DESCRIPTION\r\n%1,%2\r\n%3,changed\r\nNEW.POINT,new\r\n")
                              .arg(rows.text(0, tag), rows.text(0, description), rows.text(1, tag))
                              .toUtf8());
        SheetImportDlg dlg(def.tableName, nullptr);
        dlg.resize(1000, 600);
        dlg.findChild<QLineEdit *>(QStringLiteral("lineEditFile"))->setText(file);
        dlg.onRead();
        auto *view = dlg.findChild<QTableView *>(QStringLiteral("tableViewPreview"));
        QVERIFY(view->model()->rowCount() >= 3);
        look(&dlg, QStringLiteral("import-preview"));
        for (int r = 0; r < view->model()->rowCount(); ++r) {
            const QString category = view->model()->index(r, ImportPreviewModel::KindColumn).data().toString();
            QVERIFY2(view->columnWidth(ImportPreviewModel::KindColumn) > view->fontMetrics().horizontalAdvance(category),
                     qPrintable(category));
        }
    }

    // Last: a failed connection drops the link the other windows read.
    void failedConnectionNamesTheField()
    {
        LoginDlg direct;
        direct.findChild<QComboBox *>(QStringLiteral("dbTypeBox"))->setCurrentText(QStringLiteral("Oracle"));
        QStringList found;
        lookAtNextBox(QStringLiteral("direct-login-failed"), QMessageBox::Ok, &found);
        direct.findChild<QPushButton *>(QStringLiteral("loginButton"))->click();
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(EnglishTest)
#include "tst_english.moc"
