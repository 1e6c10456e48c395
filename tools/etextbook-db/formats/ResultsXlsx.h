#pragma once
// The results workbook (libxlsxwriter): a sheet of every result, then one sheet per
// group with its figures and a column chart of how many results fall on each score.
#include "ResultsTable.h"

#include <QString>
#include <QStringList>

namespace results {

// Sheet names for the groups: Excel's rules (31 characters, none of : \ / ? * [ ],
// unique without regard to case, not the first sheet's name).
QStringList sheetNames(const QList<GroupSummary> &groups);

// Writes the workbook to path. Returns an empty string, or a Russian reason.
QString writeXlsx(const QString &path, const QList<Row> &rows, const QList<GroupSummary> &groups);

} // namespace results
