#include "ImportColumns.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ImportColumns", text);
}

QString columnLabel(const ColMgrData &column)
{
    return QStringLiteral("%1(%2)").arg(column.description, column.sqlName);
}

// The column a header text names, -1 for none, -2 when it is a description several columns share.
int columnNamed(const ColMgrDataList &columns, const QString &header, bool namesOnly)
{
    const QString text = header.trimmed();
    const int byName = columns.findCol(text);
    if (byName >= 0 || namesOnly || text.isEmpty())
        return byName;
    int found = -1;
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).description != text)
            continue;
        if (found >= 0)
            return -2;
        found = i;
    }
    return found;
}

// A second header row gives every column the first one named, by its name.
bool isNamesRow(const ColMgrDataList &columns, const QStringList &first, const QStringList &second)
{
    if (second.size() != first.size())
        return false;
    bool any = false;
    for (int f = 0; f < second.size(); ++f) {
        if (second.at(f).trimmed().isEmpty())
            continue;
        const int named = columns.findCol(second.at(f).trimmed());
        const int above = columnNamed(columns, first.at(f), false);
        if (named < 0 || (above >= 0 && above != named))
            return false;
        any = true;
    }
    return any;
}

// Whether a field is empty in every data record: a column without a header and without values.
bool emptyEverywhere(const QVector<CsvRecord> &records, int from, int field)
{
    for (int r = from; r < records.size(); ++r)
        if (!records.at(r).fields.value(field).isEmpty())
            return false;
    return true;
}

QString missingKeys(const ColMgrDataList &columns, const QVector<int> &ofField)
{
    QStringList missing;
    for (int key : columns.primaryKeyCols())
        if (!ofField.contains(key))
            missing.append(columnLabel(columns.at(key)));
    return missing.isEmpty() ? QString() : QCoreApplication::translate("ImportColumns", "文件中没有关键字列 %1").arg(missing.join(QStringLiteral("、")));
}

} // namespace

ImportColumns ImportColumns::match(const TableDefinition &definition, const QVector<CsvRecord> &records)
{
    ImportColumns result;
    const ColMgrDataList &columns = definition.columns;
    if (columns.primaryKeyCols().isEmpty()) {
        result.error = tr("表 %1 没有主键，无法按关键字导入").arg(definition.tableName);
        return result;
    }
    if (records.isEmpty()) {
        result.error = tr("文件中没有表头");
        return result;
    }
    const QStringList &first = records.first().fields;
    const bool names = records.size() > 1 && isNamesRow(columns, first, records.at(1).fields);
    const QStringList &header = names ? records.at(1).fields : first;
    result.headerRows = names ? 2 : 1;
    for (int f = 0; f < header.size(); ++f) {
        const int col = columnNamed(columns, header.at(f), names);
        if (col == -2) {
            result.error = tr("第 %1 列的表头“%2”是多个列的描述，请改用列名").arg(f + 1).arg(header.at(f));
            return result;
        }
        const int earlier = col >= 0 ? result.ofField.indexOf(col) : -1;
        if (earlier >= 0) {
            result.error = tr("列 %1 在文件中出现两次（第 %2 列和第 %3 列）").arg(columnLabel(columns.at(col))).arg(earlier + 1).arg(f + 1);
            return result;
        }
        if (col < 0 && !(header.at(f).trimmed().isEmpty() && emptyEverywhere(records, result.headerRows, f)))
            result.unknown.append(header.at(f).trimmed().isEmpty() ? tr("第 %1 列（没有表头）").arg(f + 1) : header.at(f).trimmed());
        result.ofField.append(col);
    }
    result.error = missingKeys(columns, result.ofField);
    if (!result.ok() && header.size() == 1 && (header.first().contains(QLatin1Char('\t')) || header.first().contains(QLatin1Char(';'))))
        result.error += tr("；第一行没有逗号：用制表符或分号分隔的文件请另存为逗号分隔的 CSV");
    return result;
}
