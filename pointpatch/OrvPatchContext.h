#pragma once

#include <QString>

class OrvTableModel;
class QTableView;

// What a batch operation works on, asked of the owning editor each time an operation runs:
// the view the user selected in, the table model of the rows it shows and the column whose
// value keys a row. A null or empty answer stops the operation silently.
class OrvPatchContext
{
public:
    virtual ~OrvPatchContext() = default;

    virtual QTableView *patchView() const = 0;
    virtual OrvTableModel *patchTableModel() const = 0;
    virtual QString patchKeyColumn() const = 0;
};
