#include "PageActions.h"

#include "CellEditHistory.h"
#include "OrvPropertyPage.h"
#include "TableCopy.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

PageActions::PageActions(OrvPropertyPage *page, QPushButton *save, QPushButton *reload, QLineEdit *filter)
    : QObject(page)
    , m_page(page)
    , m_history(new CellEditHistory(page->view()))
{
    page->view()->setContextMenuPolicy(Qt::ActionsContextMenu);
    pair(add(tr("保存"), QKeySequence::Save), save);
    pair(add(tr("刷新"), QKeySequence(Qt::Key_F5)), reload);
    connect(add(tr("筛选"), QKeySequence::Find), &QAction::triggered, filter, [filter] {
        filter->setFocus(Qt::ShortcutFocusReason);
        filter->selectAll();
    });
    filter->setToolTip(tr("筛选 (%1)").arg(QKeySequence(QKeySequence::Find).toString(QKeySequence::NativeText)));
    connect(add(tr("复制"), QKeySequence::Copy), &QAction::triggered, this,
            [this] { TableCopy::copySelection(m_page->view()); });
    connect(add(tr("撤销上次单元格修改"), QKeySequence::Undo), &QAction::triggered, this, [this] { m_history->undoLast(); });
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    page->view()->addAction(separator);
}

QAction *PageActions::add(const QString &text, const QKeySequence &keys)
{
    auto *action = new QAction(text, this);
    action->setShortcut(keys);
    // Only the page in sight answers: the others sit in the same window.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_page->addAction(action);
    m_page->view()->addAction(action);
    return action;
}

void PageActions::pair(QAction *action, QPushButton *button)
{
    button->setToolTip(tr("%1 (%2)").arg(button->text(), action->shortcut().toString(QKeySequence::NativeText)));
    connect(action, &QAction::triggered, button, &QPushButton::click);
}
