// SPDX-License-Identifier: Apache-2.0
#include "stringtable.h"

#include <QFile>
#include <QHash>

namespace ql5 {

namespace {

QHash<int, QString> readStringTable()
{
    QHash<int, QString> table;
    QFile file(QStringLiteral(":/stringtable.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return table;
    const QString content = QString::fromUtf8(file.readAll());
    for (const QString& line : content.split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab <= 0)
            continue;
        bool isNumber = false;
        const int id = QStringView(line).left(tab).toInt(&isNumber);
        if (isNumber)
            table.insert(id, line.mid(tab + 1));
    }
    return table;
}

}  // namespace

QString stringTableText(int id)
{
    static const QHash<int, QString> kTable = readStringTable();
    return kTable.value(id);
}

}  // namespace ql5
