#pragma once

#include <QList>
#include <QString>

// The point types of the configuration database and the tables that hold them, known once for
// every dialog: numbers 0 accumulator, 1 analog, 2 digital, 3 mix; 4, 5 and 6 the front-end
// control points of analog, digital and mix.
class PointCatalogue
{
public:
    enum BackTab { BaseTab, FesTab, LimitTab, ControlTab, BackTabCount };

    struct PointType
    {
        int number;
        const char *name;          // untranslated; name() gives the shown text
        const char *fesTable;      // fes_analog ...
        const char *fesDefinition; // FES_ANALOG.xml ...
        const char *backTable;     // analog ...; null for the control types
        const char *mapTable;      // analog_map_to_fes ...; null for the control types
        const char *backDefinitions[BackTabCount]; // per back-stage tab; null where the type has none
    };

    // The four back-stage types in list order: analog, digital, accumulator, mix.
    static QList<const PointType *> backTypes();
    // The seven front-end types in list order: the four, then the three control types.
    static QList<const PointType *> fesTypes();
    // The type of a number; null when there is none.
    static const PointType *find(int number);
    // The shown name of a type.
    static QString name(const PointType &type);
    // The front-end table a link table points into ("analog_map_to_fes" -> "fes_analog", letter
    // case ignored); empty when the table is no link table.
    static QString fesTableOfMap(const QString &mapTable);
};
