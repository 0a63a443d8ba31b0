#include "SelectedRows.h"

#include <QItemSelectionModel>

#include <algorithm>

namespace SelectedRows {

QVector<Range> ranges(const QItemSelectionModel *selection)
{
    QVector<Range> spans;
    if (!selection)
        return spans;
    for (const QItemSelectionRange &range : selection->selection())
        spans.append({range.top(), range.bottom()});
    std::sort(spans.begin(), spans.end(), [](const Range &a, const Range &b) { return a.first < b.first; });
    // A whole-row selection holds a range per block of columns, and ranges may overlap.
    QVector<Range> merged;
    for (const Range &span : qAsConst(spans)) {
        if (!merged.isEmpty() && span.first <= merged.last().last + 1)
            merged.last().last = std::max(merged.last().last, span.last);
        else
            merged.append(span);
    }
    return merged;
}

int count(const QVector<Range> &ranges)
{
    int rows = 0;
    for (const Range &range : ranges)
        rows += range.size();
    return rows;
}

} // namespace SelectedRows
