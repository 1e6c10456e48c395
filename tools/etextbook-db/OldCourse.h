#pragma once
// A course of the old Windows version, as its six tables, and its copy into a
// course file of ours. Reading the Access file itself is AccessReader's job; this
// part sees only rows, so its rules can be checked with rows made up in a test.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace course {

// A table as stored: column names in file order, each value a QString (what the
// reader gives), a number, or a null QVariant.
struct OldTable {
    QStringList columns;
    QList<QVariantList> rows;
};

class TableSource {
public:
    virtual ~TableSource() = default;
    virtual QStringList tables() const = 0;
    // Throws AppError when the table cannot be read.
    virtual OldTable readTable(const QString &name) const = 0;
};

// The six tables reduced to the columns a course file has, in
// schema::requiredTables() order. Each row holds the program's columns first, in
// that order, then those of "Код" and "Дата" the old table has (see columns).
struct OldCourse {
    QList<QList<QVariantList>> tables;
    // Per table: the names of the values in each row.
    QList<QStringList> columns;
    // Per table: old columns that a course file has no place for (not copied).
    QList<QStringList> extraColumns;
    // Tables whose "Код" could not be kept (a key missing, not a whole number or
    // repeated): their rows get new keys in the old order.
    QStringList renumbered;
    // How many rows of "Пользователи" have the login "Admin".
    int adminRows = 0;
};

// Finds the six tables and their columns (Access compares names without regard
// to case), and puts rows in the order of the autonumber "Код" when the table has
// one, since that is the order Access shows them in. The keys themselves are kept
// when every row has its own, so rows keep their identity; the results' "Дата" is
// kept as stored. fileName names the file in messages. Throws AppError naming
// every missing table or column.
OldCourse readOldCourse(const TableSource &source, const QString &fileName);

struct CopyCounts {
    QList<int> rows;       // per table, in schema::requiredTables() order
    int answerNotNumber = 0; // БДТест rows whose ОтветПр became NULL
    int scoreNotNumber = 0;  // Тесты rows whose Верно became NULL
};

// Copies the rows into dbPath, a file just made by schema::createCourseFile, in
// one transaction, keys included. When the old course has its own Admin, the
// created one is deleted in that transaction; otherwise it moves past the old
// keys if one of them is its own. ОтветПр and Верно become integers when they hold a
// whole number (Верно: 0 to 255, as the file allows), else NULL. Throws AppError;
// on failure the file holds what createCourseFile left.
CopyCounts copyOldCourse(const OldCourse &course, const QString &dbPath);

} // namespace course
