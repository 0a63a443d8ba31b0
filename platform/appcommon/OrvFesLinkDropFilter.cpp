#include "OrvFesLinkDropFilter.h"

#include "FesLinkWarnings.h"
#include "FesPointDrag.h"
#include "OrvMessage.h"
#include "OrvPropertyPage.h"
#include "OrvTableDataMgr.h"
#include "OrvTableModel.h"
#include "PointCatalogue.h"
#include "PointQuery.h"

#include <QAbstractProxyModel>
#include <QDropEvent>
#include <QMimeData>
#include <QTableView>

namespace {

const char *const kFesTag = "FES_TAG";
const char *const kRtuTag = "RTU_TAG";

QString cell(OrvTableModel *model, int row, const char *column)
{
    return model->getRowData(row).value(model->findCol(QLatin1String(column)));
}

} // namespace

OrvFesLinkDropFilter::OrvFesLinkDropFilter(OrvPropertyPage *page)
    : QObject(page)
    , m_page(page)
{
    QWidget *viewport = page->view()->viewport();
    viewport->setAcceptDrops(true);
    viewport->installEventFilter(this);
}

QString OrvFesLinkDropFilter::fesTableOf(const QString &mapTable)
{
    return PointCatalogue::fesTableOfMap(mapTable);
}

OrvTableModel *OrvFesLinkDropFilter::mapModel() const
{
    OrvTableModel *model = m_page->currentModel();
    return model && !fesTableOf(model->getTableName()).isEmpty() ? model : nullptr;
}

int OrvFesLinkDropFilter::rowAt(OrvTableModel *model, const QPoint &pos) const
{
    const QTableView *view = m_page->view();
    QModelIndex index = view->indexAt(pos);
    if (const auto *proxy = qobject_cast<const QAbstractProxyModel *>(view->model()))
        index = proxy->mapToSource(index);
    return index.isValid() && index.model() == model ? index.row() : -1;
}

bool OrvFesLinkDropFilter::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto *drop = static_cast<QDropEvent *>(event);
    OrvTableModel *model = mapModel();
    const bool ours = model && drop->mimeData()->hasFormat(orv_fes_drag::mimeType());
    const int row = ours ? rowAt(model, drop->pos()) : -1;
    // Entering anywhere keeps the moves coming; only a row takes the drop.
    bool accepted = false;
    if (type == QEvent::DragEnter)
        accepted = ours;
    else if (row >= 0)
        accepted = type == QEvent::DragMove || link(drop->mimeData()->data(orv_fes_drag::mimeType()), model, row);
    if (accepted) {
        drop->setDropAction(Qt::CopyAction); // the search list keeps its items
        drop->accept();
    } else {
        drop->ignore();
    }
    return true;
}

bool OrvFesLinkDropFilter::link(const QByteArray &payload, OrvTableModel *model, int row)
{
    QStringList texts;
    orv_fes_drag::Point point;
    if (!orv_fes_drag::decode(payload, &texts) || texts.isEmpty() || !orv_fes_drag::split(texts.first(), &point)) {
        refuse(tr("拖入的数据不是前置测点"));
        return false;
    }
    if (texts.size() > 1) {
        refuse(tr("一行只能关联一个前置测点，请只拖入一个测点"));
        return false;
    }
    const QString fesTable = fesTableOf(model->getTableName());
    if (point.table.compare(fesTable, Qt::CaseInsensitive) != 0) {
        refuse(tr("前置测点 %1 是%2，“%3”只能关联%4").arg(point.tag, shownName(point.table), shownName(model->getTableName()), shownName(fesTable)));
        return false;
    }
    if (model->hasPendingChanges()) {
        refuse(tr("“%1”有未保存的修改，请先保存或撤销，再关联前置测点").arg(shownName(model->getTableName())));
        return false;
    }
    const int fesCol = model->findCol(QLatin1String(kFesTag));
    const int rtuCol = model->findCol(QLatin1String(kRtuTag));
    for (int col : {fesCol, rtuCol}) {
        const QString refusal = model->editRefusal(col);
        if (!refusal.isEmpty()) {
            refuse(refusal);
            return false;
        }
    }

    const DbRows place = PointQuery::fesPointPlace(fesTable, point.tag);
    if (!place.ok()) {
        refuse(tr("读取前置测点 %1 失败：%2").arg(point.tag, place.error));
        return false;
    }
    if (place.rows.isEmpty()) {
        refuse(tr("前置测点 %1 在%2中不存在").arg(point.tag, shownName(fesTable)));
        return false;
    }
    // The rows may come in another order while the question is up (a header click read off
    // the GUI thread): only the row it named is linked.
    const QStringList named = model->getRowData(row);
    if (!confirm(model, row, point, place))
        return false;
    if (model->getRowData(row) != named) {
        refuse(tr("确认期间表格已重新排列，未关联前置测点 %1，请重新拖入").arg(point.tag));
        return false;
    }

    if (!model->setData(model->index(row, fesCol), point.tag) || !model->setData(model->index(row, rtuCol), place.text(0, 0))) {
        model->revertChanges();
        refuse(tr("关联失败：前置测点 %1 未被接受").arg(point.tag));
        return false;
    }
    const QString error = model->saveChanges();
    if (!error.isEmpty()) {
        // A drop is no typed edit to mend: the row goes back to what is stored.
        model->revertChanges();
        refuse(tr("关联失败：%1").arg(error));
        return false;
    }
    emit sigLinked();
    return true;
}

bool OrvFesLinkDropFilter::confirm(OrvTableModel *model, int row, const orv_fes_drag::Point &point, const DbRows &place) const
{
    const QString key = cell(model, row, "KEY_ID_TAG");
    QString question = tr("确定将 %1（%2）关联到前置测点 %3（%4）？\n当前关联的前置测点：%5")
                           .arg(key, cell(model, row, "DESCRIPTION"), point.tag, point.description, cell(model, row, kFesTag));
    QString error;
    const QStringList warnings = FesLinkWarnings::of(model->getTableName(), key, point.tag, place, &error);
    if (!error.isEmpty())
        question += QStringLiteral("\n\n") + tr("无法核对这个关联：%1").arg(error);
    if (!warnings.isEmpty())
        question += QStringLiteral("\n\n") + tr("请注意：") + QStringLiteral("\n• ") + warnings.join(QStringLiteral("\n• "));
    return orv_ui::information(m_page, tr("消息"), question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString OrvFesLinkDropFilter::shownName(const QString &table)
{
    const QString description = OrvTableDataMgr::getInstance()->definitionOfTable(table).description;
    return description.isEmpty() ? table : description;
}

void OrvFesLinkDropFilter::refuse(const QString &text) const
{
    orv_ui::information(m_page, tr("消息"), text);
}
