#pragma once
// The six tables of a course file. Column names are the program's; types, the row
// key "Код" and the results' date column are ours. Inserts name only the program's
// columns, so every extra column has a default.
#include <QString>
#include <QStringList>

namespace schema {

// Longest login, password and group the file accepts. The sign-in fields take 31
// characters; longer stored values are allowed and can simply never sign in.
constexpr int kTextFieldLimit = 50;

// CREATE TABLE statements, in creation order.
QStringList createStatements();

// The tables and their program columns, as the windows use them; used to check an
// opened file has what the windows need.
struct TableColumns {
    QString table;
    QStringList columns;
};
const QList<TableColumns> &requiredTables();

// Creates a new course file at path with the six tables and the "Admin" account.
// Refuses to touch an existing file. Throws AppError.
void createCourseFile(const QString &path, const QString &adminPassword);

} // namespace schema
