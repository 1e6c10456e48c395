#include "DataSet.h"
#include "Connection.h"
#include "common/Errors.h"

namespace data {

bool parseFilterExpression(const QString &expr, QString *field, QString *value)
{
    const QString s = expr.trimmed();
    const qsizetype eq = s.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    const QString name = s.left(eq).trimmed();
    QString rest = s.mid(eq + 1).trimmed();
    if (name.isEmpty() || rest.size() < 2 || !rest.startsWith(u'\'') || !rest.endsWith(u'\''))
        return false;
    QString text;
    for (qsizetype i = 1; i < rest.size() - 1; ++i) {
        const QChar c = rest.at(i);
        if (c == u'\'') {
            if (i + 1 < rest.size() - 1 && rest.at(i + 1) == u'\'') {
                text += c;
                ++i;
                continue;
            }
            return false; // a lone quote ends the literal before the end
        }
        text += c;
    }
    *field = name;
    *value = text;
    return true;
}

QString filterExpression(const QString &field, const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1String("'"), QLatin1String("''"));
    return field + QStringLiteral(" = '") + quoted + QLatin1Char('\'');
}

DataSet::DataSet(Connection &connection, QObject *parent)
    : QObject(parent), query_(connection), write_(connection)
{
}

void DataSet::setUpdateTable(const QString &table, const QString &keyField)
{
    table_ = table;
    keyField_ = keyField;
}

void DataSet::setState(State s)
{
    if (state_ == s)
        return;
    state_ = s;
    emit stateChanged();
}

void DataSet::Open()
{
    Close();
    query_.Open();
    rows_ = query_.rows();
    applyFilter();
    cur_ = visible_.isEmpty() ? -1 : 0;
    setState(State::Browse);
    emit dataChanged();
    emit currentChanged();
}

void DataSet::Close()
{
    const bool was = query_.Active();
    query_.Close();
    rows_.clear();
    visible_.clear();
    buffer_.clear();
    modified_ = false;
    cur_ = -1;
    setState(State::Inactive);
    if (was) {
        emit dataChanged();
        emit currentChanged();
    }
}

void DataSet::applyFilter()
{
    visible_.clear();
    QString field, value;
    int col = -1;
    if (filtered_ && !filterText_.isEmpty()) {
        if (!parseFilterExpression(filterText_, &field, &value))
            throw AppError(QStringLiteral("Условие отбора записей «%1» записано неверно").arg(filterText_));
        col = query_.fieldIndex(field);
        if (col < 0)
            throw AppError(QStringLiteral("Условие отбора называет поле «%1», которого нет в таблице").arg(field));
    }
    for (int i = 0; i < rows_.size(); ++i) {
        if (col >= 0) {
            const QVariant v = rows_.at(i).at(col);
            if (v.isNull() || v.toString() != value)
                continue;
        }
        visible_ << i;
    }
}

void DataSet::setFilterText(const QString &expr)
{
    filterText_ = expr;
    if (Active() && filtered_) {
        postOrThrow();
        applyFilter();
        cur_ = visible_.isEmpty() ? -1 : 0;
        emit dataChanged();
        emit currentChanged();
    }
}

void DataSet::setFiltered(bool on)
{
    if (filtered_ == on && !on)
        return;
    filtered_ = on;
    if (Active()) {
        postOrThrow();
        applyFilter();
        cur_ = visible_.isEmpty() ? -1 : 0;
        emit dataChanged();
        emit currentChanged();
    }
}

bool DataSet::Locate(const QString &field, const QVariant &value)
{
    if (!Active())
        throw AppError(QStringLiteral("Записи не удалось прочитать из базы данных, искать пока не в чем. "
                                      "Повторите действие ещё раз"));
    const int col = query_.fieldIndex(field);
    if (col < 0)
        throw AppError(QStringLiteral("В таблице нет поля «%1»").arg(field));
    const QString wanted = value.toString();
    for (int r = 0; r < visible_.size(); ++r) {
        const QVariant v = rows_.at(visible_.at(r)).at(col);
        if (!v.isNull() && v.toString() == wanted && !(value.isNull() != v.isNull())) {
            setRecNo(r);
            return true;
        }
    }
    return false;
}

int DataSet::RecordCount() const { return int(visible_.size()); }

void DataSet::setRecNo(int row)
{
    if (!Active() || row < 0 || row >= RecordCount() || row == cur_)
        return;
    const bool dropsNewRow = state_ == State::Insert && !modified_;
    const int newRow = cur_;
    postOrThrow();
    // The untouched new row was dropped: the rows below it moved up by one.
    if (dropsNewRow && row > newRow)
        --row;
    cur_ = row;
    emit currentChanged();
}

// The moves count from the row that is current once a pending row is settled, so
// that leaving an untouched new row first brings back the row it had pushed down.
void DataSet::First()
{
    postOrThrow();
    setRecNo(0);
}

void DataSet::Prior()
{
    postOrThrow();
    setRecNo(cur_ - 1);
}

void DataSet::Next()
{
    postOrThrow();
    setRecNo(cur_ + 1);
}

void DataSet::Last()
{
    postOrThrow();
    setRecNo(RecordCount() - 1);
}

int DataSet::keyColumn() const { return keyField_.isEmpty() ? -1 : query_.fieldIndex(keyField_); }

void DataSet::Edit()
{
    if (!Active() || state_ != State::Browse)
        return;
    if (!canModify())
        throw AppError(QStringLiteral("Эти записи можно только просматривать"));
    if (cur_ < 0) {
        Append();
        return;
    }
    buffer_ = rows_.at(visible_.at(cur_));
    modified_ = false;
    setState(State::Edit);
}

void DataSet::Insert()
{
    if (!Active())
        return;
    if (!canModify())
        throw AppError(QStringLiteral("Эти записи можно только просматривать"));
    postOrThrow();
    insertBlank(cur_ < 0 ? 0 : cur_);
}

void DataSet::Append()
{
    if (!Active())
        return;
    if (!canModify())
        throw AppError(QStringLiteral("Эти записи можно только просматривать"));
    postOrThrow();
    insertBlank(int(visible_.size()));
}

void DataSet::insertBlank(int at)
{
    const int rowIndex = at < visible_.size() ? visible_.at(at) : int(rows_.size());
    rows_.insert(rowIndex, QVector<QVariant>(query_.fieldCount()));
    for (int &v : visible_)
        if (v >= rowIndex)
            ++v;
    visible_.insert(at, rowIndex);
    cur_ = at;
    buffer_ = QVector<QVariant>(query_.fieldCount());
    modified_ = false;
    setState(State::Insert);
    emit dataChanged();
    emit currentChanged();
}

QVariant DataSet::value(int row, int column) const
{
    if (row < 0 || row >= visible_.size() || column < 0 || column >= query_.fieldCount())
        return QVariant();
    if (row == cur_ && (state_ == State::Edit || state_ == State::Insert))
        return buffer_.at(column);
    return rows_.at(visible_.at(row)).at(column);
}

void DataSet::setFieldValue(int column, const QVariant &value)
{
    if (column < 0 || column >= query_.fieldCount())
        return;
    if (state_ == State::Browse)
        Edit();
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    if (buffer_.at(column) == value && buffer_.at(column).isNull() == value.isNull())
        return;
    buffer_[column] = value;
    modified_ = true;
    emit dataChanged();
}

void DataSet::writeRow()
{
    const int key = keyColumn();
    const QVector<QVariant> &old = rows_.at(visible_.at(cur_));
    QStringList cols;
    QVector<QVariant> vals;
    QVector<int> edited; // the columns of cols, by index
    for (int c = 0; c < query_.fieldCount(); ++c) {
        if (c == key)
            continue;
        if (state_ == State::Insert) {
            if (buffer_.at(c).isNull())
                continue; // left out, so the column's default applies
        } else if (buffer_.at(c) == old.at(c) && buffer_.at(c).isNull() == old.at(c).isNull()) {
            continue;
        }
        cols << query_.fieldNames().at(c);
        vals << buffer_.at(c);
        edited << c;
    }
    auto quoted = [](const QString &id) { return QLatin1Char('"') + QString(id).replace(u'"', QStringLiteral("\"\"")) + QLatin1Char('"'); };
    write_.clearSQL();
    write_.clearParameters();
    if (state_ == State::Insert) {
        QStringList names, marks;
        for (int i = 0; i < cols.size(); ++i) {
            names << quoted(cols.at(i));
            marks << QStringLiteral(":v%1").arg(i + 1);
        }
        if (cols.isEmpty())
            write_.addLine(QStringLiteral("insert into %1 default values").arg(quoted(table_)));
        else
            write_.addLine(QStringLiteral("insert into %1(%2) values(%3)")
                               .arg(quoted(table_), names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        for (int i = 0; i < vals.size(); ++i)
            write_.setParameter(QStringLiteral("v%1").arg(i + 1), vals.at(i));
        QVariant newKey;
        query_.connection().transaction([&] {
            write_.ExecSQL();
            // Read back the stored row: defaults and the new key become visible.
            Query back(query_.connection());
            back.addLine(QStringLiteral("select * from %1 where rowid = last_insert_rowid()").arg(quoted(table_)));
            back.Open();
            if (back.RecordCount() == 1) {
                QVector<QVariant> stored(query_.fieldCount());
                for (int c = 0; c < query_.fieldCount(); ++c) {
                    const int bc = back.fieldIndex(query_.fieldNames().at(c));
                    stored[c] = bc >= 0 ? back.rows().at(0).at(bc) : buffer_.at(c);
                }
                buffer_ = stored;
            }
        });
        Q_UNUSED(newKey);
    } else {
        if (cols.isEmpty())
            return;
        if (key < 0)
            throw AppError(QStringLiteral("Запись нельзя сохранить: у таблицы «%1» нет ключа записи").arg(table_));
        QStringList sets;
        for (int i = 0; i < cols.size(); ++i)
            sets << QStringLiteral("%1=:v%2").arg(quoted(cols.at(i))).arg(i + 1);
        // Optimistic check: each edited column must still hold what was read, or
        // another copy changed it meanwhile and this change would overwrite it.
        QStringList checks{QStringLiteral("%1=:k").arg(quoted(keyField_))};
        for (int i = 0; i < cols.size(); ++i)
            checks << QStringLiteral("%1 IS :o%2").arg(quoted(cols.at(i))).arg(i + 1);
        write_.addLine(QStringLiteral("update %1 set %2").arg(quoted(table_), sets.join(QLatin1Char(','))));
        write_.addLine(QStringLiteral("where ") + checks.join(QStringLiteral(" and ")));
        for (int i = 0; i < vals.size(); ++i) {
            write_.setParameter(QStringLiteral("v%1").arg(i + 1), vals.at(i));
            write_.setParameter(QStringLiteral("o%1").arg(i + 1), old.at(edited.at(i)));
        }
        write_.setParameter(QStringLiteral("k"), old.at(key));
        query_.connection().transaction([&] {
            write_.ExecSQL();
            Query changed(query_.connection());
            changed.addLine(QStringLiteral("select changes()"));
            changed.Open();
            if (changed.RecordCount() != 1 || changed.fieldValue(0).toInt() != 0)
                return;
            // No lock is held while a row is edited: another copy of the program
            // may have deleted the row or changed what was edited here.
            Query still(query_.connection());
            still.addLine(QStringLiteral("select count(*) from %1 where %2=:k").arg(quoted(table_), quoted(keyField_)));
            still.setParameter(QStringLiteral("k"), old.at(key));
            still.Open();
            if (still.RecordCount() == 1 && still.fieldValue(0).toInt() == 0)
                throw AppError(QStringLiteral("Изменения не сохранены: этой записи больше нет в таблице «%1», "
                                              "её удалили в другой копии программы. Отмените изменения и "
                                              "обновите данные")
                                   .arg(table_));
            throw AppError(QStringLiteral("Изменения не сохранены: эту запись таблицы «%1» уже изменили в другой "
                                          "копии программы, и её изменения пропали бы. Отмените свои изменения, "
                                          "обновите данные и внесите их снова")
                               .arg(table_));
        });
    }
}

void DataSet::postOrThrow()
{
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    if (state_ == State::Insert && !modified_) {
        Cancel(); // an untouched new row is dropped, not stored empty
        return;
    }
    writeRow();
    rows_[visible_.at(cur_)] = buffer_;
    buffer_.clear();
    modified_ = false;
    setState(State::Browse);
    emit dataChanged();
}

void DataSet::Post() { postOrThrow(); }

void DataSet::Cancel()
{
    if (state_ == State::Insert) {
        const int rowIndex = visible_.at(cur_);
        rows_.remove(rowIndex);
        visible_.remove(cur_);
        for (int &v : visible_)
            if (v > rowIndex)
                --v;
        if (cur_ >= visible_.size())
            cur_ = int(visible_.size()) - 1;
    }
    if (state_ == State::Edit || state_ == State::Insert) {
        buffer_.clear();
        modified_ = false;
        setState(State::Browse);
        emit dataChanged();
        emit currentChanged();
    }
}

void DataSet::Delete()
{
    if (!Active() || cur_ < 0)
        return;
    if (!canModify())
        throw AppError(QStringLiteral("Эти записи можно только просматривать"));
    if (state_ == State::Insert) {
        Cancel();
        return;
    }
    const int key = keyColumn();
    if (key < 0)
        throw AppError(QStringLiteral("Запись нельзя удалить: у таблицы «%1» нет ключа записи").arg(table_));
    const int rowIndex = visible_.at(cur_);
    write_.clearSQL();
    write_.clearParameters();
    write_.addLine(QStringLiteral("delete from \"%1\" where \"%2\"=:k").arg(table_, keyField_));
    write_.setParameter(QStringLiteral("k"), rows_.at(rowIndex).at(key));
    write_.ExecSQL();
    buffer_.clear();
    modified_ = false;
    setState(State::Browse);
    rows_.remove(rowIndex);
    visible_.remove(cur_);
    for (int &v : visible_)
        if (v > rowIndex)
            --v;
    if (cur_ >= visible_.size())
        cur_ = int(visible_.size()) - 1;
    emit dataChanged();
    emit currentChanged();
}

void DataSet::Refresh()
{
    if (!Active())
        return;
    postOrThrow();
    const int key = keyColumn();
    QVariant keyValue;
    if (key >= 0 && cur_ >= 0)
        keyValue = rows_.at(visible_.at(cur_)).at(key);
    const int oldRow = cur_;
    try {
        query_.Open();
    } catch (...) {
        // The query is closed now; so is the set, and no stale row stays on show.
        rows_.clear();
        visible_.clear();
        cur_ = -1;
        setState(State::Inactive);
        emit dataChanged();
        emit currentChanged();
        throw;
    }
    rows_ = query_.rows();
    applyFilter();
    cur_ = visible_.isEmpty() ? -1 : qBound(0, oldRow, int(visible_.size()) - 1);
    if (key >= 0 && keyValue.isValid()) {
        for (int r = 0; r < visible_.size(); ++r)
            if (rows_.at(visible_.at(r)).at(key) == keyValue) {
                cur_ = r;
                break;
            }
    }
    emit dataChanged();
    emit currentChanged();
}

} // namespace data
