#include "PointCatalogue.h"

#include <QCoreApplication>

namespace {

using PointType = PointCatalogue::PointType;

// In list order.
const PointType kTypes[] = {
    {1, QT_TRANSLATE_NOOP("PointCatalogue", "模拟量"), "fes_analog", "FES_ANALOG.xml", "analog", "analog_map_to_fes",
     {"ANALOG.xml", "ANALOG_MAP_TO_FES.xml", "ANALOG_LIMIT_INFO.xml", "ANALOG_CONTROL.xml"}},
    {2, QT_TRANSLATE_NOOP("PointCatalogue", "数字量"), "fes_digital", "FES_DIGITAL.xml", "digital", "digital_map_to_fes",
     {"DIGITAL.xml", "DIGITAL_MAP_TO_FES.xml", nullptr, "DIGITAL_CONTROL.xml"}},
    {0, QT_TRANSLATE_NOOP("PointCatalogue", "累积量"), "fes_accuml", "FES_ACCUML.xml", "accuml", "accuml_map_to_fes",
     {"ACCUML.xml", "ACCUML_MAP_TO_FES.xml", nullptr, nullptr}},
    {3, QT_TRANSLATE_NOOP("PointCatalogue", "混合量"), "fes_mix", "FES_MIX.xml", "mix", "mix_map_to_fes",
     {"MIX.xml", "MIX_MAP_TO_FES.xml", nullptr, "MIX_CONTROL.xml"}},
    {4, QT_TRANSLATE_NOOP("PointCatalogue", "模拟量控制"), "fes_analog_ctrl", "FES_ANALOG_CTRL.xml", nullptr, nullptr, {}},
    {5, QT_TRANSLATE_NOOP("PointCatalogue", "数字量控制"), "fes_digital_ctrl", "FES_DIGITAL_CTRL.xml", nullptr, nullptr, {}},
    {6, QT_TRANSLATE_NOOP("PointCatalogue", "混合量控制"), "fes_mix_ctrl", "FES_MIX_CTRL.xml", nullptr, nullptr, {}},
};

} // namespace

QList<const PointType *> PointCatalogue::backTypes()
{
    QList<const PointType *> types;
    for (const PointType &t : kTypes)
        if (t.backTable)
            types.append(&t);
    return types;
}

QList<const PointType *> PointCatalogue::fesTypes()
{
    QList<const PointType *> types;
    for (const PointType &t : kTypes)
        types.append(&t);
    return types;
}

const PointType *PointCatalogue::find(int number)
{
    for (const PointType &t : kTypes)
        if (t.number == number)
            return &t;
    return nullptr;
}

QString PointCatalogue::name(const PointType &type)
{
    return QCoreApplication::translate("PointCatalogue", type.name);
}

QString PointCatalogue::fesTableOfMap(const QString &mapTable)
{
    for (const PointType &t : kTypes)
        if (t.mapTable && mapTable.compare(QLatin1String(t.mapTable), Qt::CaseInsensitive) == 0)
            return QLatin1String(t.fesTable);
    return QString();
}
