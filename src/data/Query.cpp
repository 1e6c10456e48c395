#include "Query.h"
#include "Connection.h"
#include "EngineErrors.h"
#include "common/Errors.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace data {

namespace {
StatementHook g_hook;
}

void setStatementHook(StatementHook hook) { g_hook = std::move(hook); }

QStringList parseParameterNames(const QString &text)
{
    QStringList names;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            continue;
        }
        if (c != u':')
            continue;
        qsizetype j = i + 1;
        while (j < text.size() && (text.at(j).isLetterOrNumber() || text.at(j) == u'_'))
            ++j;
        if (j > i + 1) {
            const QString name = text.mid(i + 1, j - i - 1);
            if (!names.contains(name))
                names << name;
        }
        i = j - 1;
    }
    return names;
}

Query::Query(Connection &connection) : conn_(&connection) {}

void Query::Close()
{
    active_ = false;
    fields_.clear();
    rows_.clear();
    cur_ = 0;
}

void Query::clearSQL()
{
    Close();
    lines_.clear();
    rebuildParameters();
}

void Query::addLine(const QString &line)
{
    Close();
    lines_ << line;
    rebuildParameters();
}

void Query::setSQL(const QString &text)
{
    Close();
    lines_ = text.split(QLatin1Char('\n'));
    rebuildParameters();
}

void Query::rebuildParameters()
{
    QVector<Param> fresh;
    for (const QString &name : parseParameterNames(sqlText())) {
        Param p{name, QVariant()};
        for (const Param &old : params_)
            if (old.name == name)
                p.value = old.value;
        fresh << p;
    }
    params_ = fresh;
}

void Query::clearParameters() { params_.clear(); }

QStringList Query::parameterNames() const
{
    QStringList names;
    for (const Param &p : params_)
        names << p.name;
    return names;
}

namespace {
// The engine knows no one-byte numbers; they go to it as the whole numbers they are.
QVariant engineValue(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::UChar:
    case QMetaType::UShort:
        return QVariant(v.toUInt());
    case QMetaType::SChar:
    case QMetaType::Char:
    case QMetaType::Short:
        return QVariant(v.toInt());
    default:
        return v;
    }
}
} // namespace

void Query::setParameter(const QString &name, const QVariant &value)
{
    for (Param &p : params_) {
        if (p.name == name) {
            p.value = value;
            return;
        }
    }
    throw AppError(QStringLiteral("Внутренняя ошибка программы: в запросе нет параметра «%1». "
                                  "Сообщите об этом разработчикам").arg(name));
}

QVariantMap Query::boundValues() const
{
    QVariantMap map;
    for (const Param &p : params_)
        map.insert(p.name, p.value);
    return map;
}

void Query::run(QSqlQuery &q, const QString &text) const
{
    if (!q.prepare(text))
        throwEngineError(q.lastError());
    for (const Param &p : params_)
        q.bindValue(QLatin1Char(':') + p.name, engineValue(p.value));
    if (!q.exec())
        throwEngineError(q.lastError());
}

void Query::Open()
{
    Close();
    const QString text = sqlText();
    if (g_hook)
        g_hook(text, boundValues());
    QSqlQuery q(conn_->database());
    q.setForwardOnly(true);
    run(q, text);
    const QSqlRecord rec = q.record();
    QStringList fields;
    for (int i = 0; i < rec.count(); ++i)
        fields << rec.fieldName(i);
    QVector<QVector<QVariant>> rows;
    while (q.next()) {
        QVector<QVariant> row(rec.count());
        for (int i = 0; i < rec.count(); ++i)
            row[i] = q.value(i);
        rows << row;
    }
    if (q.lastError().isValid())
        throwEngineError(q.lastError());
    q.finish();
    fields_ = fields;
    rows_ = rows;
    cur_ = 0;
    active_ = true;
}

void Query::ExecSQL()
{
    Close();
    const QString text = sqlText();
    if (g_hook)
        g_hook(text, boundValues());
    conn_->transaction([&] {
        QSqlQuery q(conn_->database());
        run(q, text);
        q.finish();
    });
}

void Query::First() { cur_ = 0; }

void Query::Next()
{
    if (cur_ < rows_.size())
        ++cur_;
}

bool Query::Eof() const { return !active_ || cur_ >= rows_.size(); }

void Query::setRecNo(int row)
{
    if (row >= 0 && row <= rows_.size())
        cur_ = row;
}

int Query::fieldIndex(const QString &name) const
{
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant Query::fieldValue(int column) const
{
    if (!active_ || cur_ < 0 || cur_ >= rows_.size() || column < 0 || column >= fields_.size())
        throw AppError(QStringLiteral("Нет текущей записи для чтения. Выберите запись и повторите"));
    return rows_.at(cur_).at(column);
}

QString Query::fieldAsText(int column) const
{
    const QVariant v = fieldValue(column);
    return v.isNull() ? QString() : v.toString();
}

QString Query::fieldAsText(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw AppError(QStringLiteral("В результате запроса нет поля «%1». Проверьте файл db.mdb").arg(name));
    return fieldAsText(i);
}

void Query::requireFields(const QStringList &fields, const QString &table) const
{
    for (const QString &f : fields)
        if (fieldIndex(f) < 0)
            throw AppError(QStringLiteral("В таблице «%1» базы данных нет поля «%2». Файл db.mdb неполон или "
                                          "создан не этой программой: восстановите его из резервной копии "
                                          "или создайте курс заново").arg(table, f));
}

} // namespace data
