#pragma once

#include <QString>

// A view is a table definition narrowed by an SQL condition: "<definition>?<condition>".
namespace orv_view {

inline QString make(const QString &definition, const QString &condition)
{
    return definition + QLatin1Char('?') + condition;
}

inline bool parse(const QString &name, QString *definition, QString *condition)
{
    const int mark = name.indexOf(QLatin1Char('?'));
    if (mark < 0)
        return false;
    *definition = name.left(mark);
    *condition = name.mid(mark + 1);
    return true;
}

} // namespace orv_view
