#pragma once
// Test results as a teacher's spreadsheet sees them: one row per result with the
// group taken from the accounts, per-group figures, and the CSV form. QtCore only.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace results {

// Questions in one test: the percentage is of this.
constexpr int kQuestionsPerTest = 30;

struct StoredResult {
    qint64 code = 0;
    QString login;
    std::optional<int> score; // null or not a whole number: none
    QString date;             // as stored, "YYYY-MM-DD HH:MM:SS"
};

struct Account {
    QString login;
    QString group;
};

// Where a result goes when its login does not name exactly one group.
enum class GroupKind { Known, NoAccount, Ambiguous };

struct Row {
    qint64 code = 0;
    QString login;
    GroupKind kind = GroupKind::Known;
    QString group;            // Known only
    std::optional<int> score;
    QDateTime date;           // invalid when the stored text is no date
    QString dateText;         // the stored text
    QString note;             // why the group is not known
    std::optional<double> percent() const; // 0.0 … 1.0 of kQuestionsPerTest
    // The name the row is summarised under.
    QString groupLabel() const;
};

// Logins are matched exactly, as at sign-in. A login with no account or with
// accounts in different groups is marked, never given a guessed group.
QList<Row> joinGroups(const QList<StoredResult> &stored, const QList<Account> &accounts);

// "2026-12-11 13:40:52" (or with "T") as local time; invalid otherwise.
QDateTime parseStoredDate(const QString &text);

struct GroupSummary {
    QString label;
    int results = 0;  // rows in the group
    int scored = 0;   // rows with a score
    double mean = 0;
    double median = 0;
    int best = 0;
    int worst = 0;
    QList<int> distribution; // results per score, index 0 … max(30, best)
};

// Groups by name, then the rows without a known group.
QList<GroupSummary> summarize(const QList<Row> &rows);

// UTF-8 with a byte-order mark, ";" between fields, CRLF, decimal comma: what a
// Russian spreadsheet program opens right by double-click.
QByteArray toCsv(const QList<Row> &rows);

// A text that a spreadsheet would run as a formula (starts with = + - @) gets a
// leading apostrophe in the CSV.
QString csvField(const QString &text);

} // namespace results
