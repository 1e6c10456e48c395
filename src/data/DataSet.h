#pragma once
// A result that bound controls show and edit: one current row, a browse/edit/
// insert state, a client-side filter and locate, and write-back of single rows to
// their table through its row key. Nothing is locked while a row is edited; the
// row is written when it is posted.
#include "Query.h"

#include <QObject>
#include <QVariant>

namespace data {

class DataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit DataSet(Connection &connection, QObject *parent = nullptr);

    // The statement that fills the set; windows build it like any other query.
    Query &query() { return query_; }
    // Where posted rows go; without it the set is read-only.
    void setUpdateTable(const QString &table, const QString &keyField);
    bool canModify() const { return !table_.isEmpty(); }

    void Open();
    void Close();
    bool Active() const { return query_.Active(); }
    State state() const { return state_; }

    // Filter: an expression "Field = 'text'" (quotes inside doubled) and a switch;
    // both stay in force when the set is closed and opened again.
    void setFilterText(const QString &expr);
    QString filterText() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }

    // Moves to the first visible row whose field equals value as a whole; false,
    // and the current row unchanged, when there is none.
    bool Locate(const QString &field, const QVariant &value);

    int RecordCount() const;
    // Current visible row, -1 when there is none.
    int RecNo() const { return cur_; }
    // Moves to row (posting a pending change first).
    void setRecNo(int row);
    bool Bof() const { return cur_ <= 0; }
    bool Eof() const { return cur_ < 0 || cur_ >= RecordCount() - 1; }
    bool isEmpty() const { return RecordCount() == 0; }

    void First();
    void Prior();
    void Next();
    void Last();
    void Insert();
    // Appends a new empty row after the last one.
    void Append();
    void Edit();
    void Post();
    void Cancel();
    // Deletes the current row from the table (no question asked here).
    void Delete();
    // Reads the set again with its statement, keeping the current row where it can.
    void Refresh();

    const QStringList &fieldNames() const { return query_.fieldNames(); }
    int fieldIndex(const QString &name) const { return query_.fieldIndex(name); }
    // Value shown for visible row and column, the edit buffer included.
    QVariant value(int row, int column) const;
    QVariant fieldValue(int column) const { return value(cur_, column); }
    // Sets a field of the current row; starts editing when browsing.
    void setFieldValue(int column, const QVariant &value);
    bool isModified() const { return modified_; }

signals:
    void dataChanged();
    void currentChanged();
    void stateChanged();

private:
    void applyFilter();
    // A new empty row at visible position at, in insert state.
    void insertBlank(int at);
    void setState(State s);
    void postOrThrow();
    void writeRow();
    int keyColumn() const;

    Query query_;
    Query write_;
    QString table_;
    QString keyField_;
    QString filterText_;
    bool filtered_ = false;
    QVector<QVector<QVariant>> rows_; // all rows of the result, inserted ones too
    QVector<int> visible_;            // indexes into rows_ that the filter lets through
    int cur_ = -1;
    State state_ = State::Inactive;
    QVector<QVariant> buffer_;
    bool modified_ = false;
};

// Parses "Field = 'text'" with quotes inside doubled; false when it is not of that form.
bool parseFilterExpression(const QString &expr, QString *field, QString *value);
// "Field = 'text'" with every single quote of text doubled.
QString filterExpression(const QString &field, const QString &text);

} // namespace data
