#pragma once
// A statement object as the windows use it: text built line by line, parameters
// bound by name, a result read whole when it opens. Reading the whole result and
// finishing the engine statement at once means an open result never holds a lock
// on the file, so other copies of the program can write meanwhile.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

class QSqlQuery;

namespace data {

class Connection;

// Sees every statement as issued: its text and its bound values by name.
using StatementHook = std::function<void(const QString &text, const QVariantMap &params)>;
void setStatementHook(StatementHook hook);

class Query {
public:
    explicit Query(Connection &connection);

    void Close();
    bool Active() const { return active_; }

    // The statement text: lines joined by line breaks. Each change closes the
    // query and rebuilds its parameter list from the colon-prefixed names.
    void clearSQL();
    void addLine(const QString &line);
    void setSQL(const QString &text);
    QString sqlText() const { return lines_.join(QLatin1Char('\n')); }

    void clearParameters();
    QStringList parameterNames() const;
    // Binds a parameter by name; a name not in the statement is an error.
    void setParameter(const QString &name, const QVariant &value);

    // Runs the select; the result is on its first row.
    void Open();
    // Runs an insert, update or delete once, in its own write transaction unless
    // the connection already has one.
    void ExecSQL();

    int RecordCount() const { return int(rows_.size()); }
    void First();
    void Next();
    bool Eof() const;
    int RecNo() const { return cur_; }
    void setRecNo(int row);

    int fieldCount() const { return int(fields_.size()); }
    const QStringList &fieldNames() const { return fields_; }
    int fieldIndex(const QString &name) const;
    // The current row's field as text; null reads as empty text.
    QString fieldAsText(int column) const;
    QString fieldAsText(const QString &name) const;
    QVariant fieldValue(int column) const;
    // Throws AppError naming the first of fields the result lacks.
    void requireFields(const QStringList &fields, const QString &table) const;

    const QVector<QVector<QVariant>> &rows() const { return rows_; }
    Connection &connection() const { return *conn_; }

private:
    struct Param {
        QString name;
        QVariant value;
    };
    void rebuildParameters();
    // Prepares text on q, binds the parameters and executes it; throws AppError.
    void run(QSqlQuery &q, const QString &text) const;
    QVariantMap boundValues() const;

    Connection *conn_;
    QStringList lines_;
    QVector<Param> params_;
    bool active_ = false;
    QStringList fields_;
    QVector<QVector<QVariant>> rows_;
    int cur_ = 0;
};

// Parameter names of a statement text, in order of first appearance; text inside
// single or double quotes is skipped.
QStringList parseParameterNames(const QString &text);

} // namespace data
