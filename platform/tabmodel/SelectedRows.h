#pragma once

#include <QVector>

class QItemSelectionModel;

// The rows a selection covers, as ranges of model rows: top to bottom, disjoint and none adjacent
// to the next. Nothing is listed row by row: a selection of a million rows stays cheap.
namespace SelectedRows {

struct Range
{
    int first;
    int last;
    int size() const { return last - first + 1; }
};

QVector<Range> ranges(const QItemSelectionModel *selection);
int count(const QVector<Range> &ranges);

} // namespace SelectedRows
