#pragma once
// Material addresses of a course moved from Windows: "C:\Курс\Лекции\лек1.htm"
// rewritten to where the files are now, by prefix rules FROM=TO, and a check of
// which addresses point at no file.
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace course {

struct PathRule {
    QString from;
    QString to;
};

// "FROM=TO", split at the first "=". Throws AppError with a Russian text.
PathRule parsePathRule(const QString &text);

// The address rewritten by the rule with the longest matching FROM, or nothing
// when no rule matches. FROM matches as Windows compares paths: letter case
// ignored, "\" and "/" alike, and only up to a folder boundary ("C:\Курс" does not
// match "C:\Курсы\1.htm"). The rest of the address is appended to TO with its
// backslashes turned into slashes.
std::optional<QString> mapAddress(const QString &address, const QList<PathRule> &rules);

// How many addresses name no existing file (relative ones are taken from base, the
// course folder the program runs in), as lines for a summary with the first few.
QStringList missingFilesReport(const QStringList &addresses, const QString &base);

// `etextbook-db map-paths DIR FROM=TO…`: rewrites the addresses of the course in
// dir in one transaction; with dryRun nothing is written and every change is
// listed. Returns the summary lines. Throws AppError.
QStringList mapCoursePaths(const QString &dir, const QList<PathRule> &rules, bool dryRun);

// The three material tables: table, name column, address column.
struct MaterialTable {
    QString table;
    QString name;
    QString address;
};
const QList<MaterialTable> &materialTables();

} // namespace course
