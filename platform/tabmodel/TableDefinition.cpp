#include "TableDefinition.h"

#include "DefinitionText.h"
#include "OrvLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QXmlStreamReader>

namespace {

bool boolAttribute(const QXmlStreamAttributes &attrs, const char *name, bool fallback)
{
    const QStringRef value = attrs.value(QLatin1String(name));
    return value.isEmpty() ? fallback : value == QLatin1String("true");
}

ColMgrData readColumn(const QXmlStreamAttributes &attrs, QString *disagreement)
{
    ColMgrData col;
    col.sqlName = attrs.value(QLatin1String("name")).toString();
    col.sqlType = attrs.value(QLatin1String("sqlType")).toString();
    col.valueType = attrs.value(QLatin1String("valueType")).toString();
    col.kind = ColumnKind::of(col.sqlType, col.valueType, disagreement);
    if (col.valueType.isEmpty())
        col.valueType = QStringLiteral("String");
    col.editable = boolAttribute(attrs, "editable", true);
    col.primaryKey = boolAttribute(attrs, "primaryKey", false);
    col.description = orv_public::definitionText("tables", attrs.value(QLatin1String("desc")).toString());
    if (col.description.isEmpty())
        col.description = col.sqlName;
    col.shown = boolAttribute(attrs, "show", true);
    col.indexed = boolAttribute(attrs, "index", false);
    return col;
}

} // namespace

QString TableDefinition::selectStatement(const QString &condition) const
{
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(columns.getSqlName().join(QLatin1Char(',')), tableName);
    if (!condition.isEmpty())
        sql += QStringLiteral(" WHERE ") + condition;
    QStringList order;
    for (int col : columns.primaryKeyCols())
        order.append(columns.at(col).sqlName);
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(QLatin1Char(','));
    return sql;
}

TableDefinition TableDefinition::readFile(const QString &path, QString *error)
{
    TableDefinition def;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QCoreApplication::translate("TableDefinition", "无法打开表定义文件 %1: %2").arg(path, file.errorString());
        return TableDefinition();
    }
    def.fileName = QFileInfo(path).fileName();
    QXmlStreamReader xml(&file);
    QSet<QString> names;
    QString twice;
    while (!xml.atEnd() && !xml.hasError()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("tableDefinition")) {
            def.tableName = xml.attributes().value(QLatin1String("name")).toString();
            def.description = orv_public::definitionText("tables", xml.attributes().value(QLatin1String("desc")).toString());
        } else if (xml.name() == QLatin1String("column")) {
            QString disagreement;
            const ColMgrData col = readColumn(xml.attributes(), &disagreement);
            if (!disagreement.isEmpty())
                ORV_LOG_WARN(QStringLiteral("%1 %2: %3").arg(def.fileName, col.sqlName, disagreement));
            if (col.sqlName.isEmpty())
                continue;
            // Columns are found by name, letter case ignored as the databases do: a second one of a
            // name would be shown and compared apart from the first, yet both are one column.
            if (!names.contains(col.sqlName.toLower()))
                names.insert(col.sqlName.toLower());
            else if (twice.isEmpty())
                twice = col.sqlName;
            def.columns.append(col);
        }
    }
    if (xml.hasError()) {
        if (error)
            *error = QCoreApplication::translate("TableDefinition", "表定义文件 %1 格式错误(第%2行): %3")
                         .arg(path).arg(xml.lineNumber()).arg(xml.errorString());
        return TableDefinition();
    }
    if (!twice.isEmpty()) {
        if (error)
            *error = QCoreApplication::translate("TableDefinition", "表定义文件 %1 中列 %2 出现了两次").arg(path, twice);
        return TableDefinition();
    }
    if (!def.isValid()) {
        if (error)
            *error = QCoreApplication::translate("TableDefinition", "表定义文件 %1 缺少表名或列").arg(path);
        return TableDefinition();
    }
    return def;
}

QList<TableDefinition> TableDefinition::readDirectory(const QString &dir, QStringList *errors)
{
    QList<TableDefinition> defs;
    const QStringList files = QDir(dir).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        QString error;
        const TableDefinition def = readFile(QDir(dir).filePath(name), &error);
        if (def.isValid())
            defs.append(def);
        else if (errors)
            errors->append(error);
    }
    return defs;
}
