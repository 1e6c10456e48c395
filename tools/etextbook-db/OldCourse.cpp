#include "OldCourse.h"

#include "common/Errors.h"
#include "data/Schema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSet>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>

namespace course {
namespace {

const QString kAdmin = QStringLiteral("Admin");
const QString kKey = QStringLiteral("Код");
const QString kDate = QStringLiteral("Дата");
constexpr int kQuestions = 0; // indexes into schema::requiredTables()
constexpr int kUsers = 1;
constexpr int kResults = 2;
constexpr qint64 kAnyMin = std::numeric_limits<qint64>::min();
constexpr qint64 kAnyMax = std::numeric_limits<qint64>::max();

QString quoted(const QStringList &names)
{
    QStringList out;
    for (const QString &n : names)
        out << QStringLiteral("«%1»").arg(n);
    return out.join(QStringLiteral(", "));
}

qsizetype indexOf(const QStringList &names, const QString &name)
{
    for (qsizetype i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// Old files keep these numbers as Number or as Text, and libmdb prints doubles in
// the C library's locale, so "3", " 3 ", "3.0" and "3,000000" all mean 3.
std::optional<qint64> wholeNumber(const QVariant &v, qint64 min, qint64 max)
{
    if (v.isNull())
        return std::nullopt;
    double d = 0;
    bool ok = false;
    const int type = v.typeId();
    if (type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::UInt ||
        type == QMetaType::ULongLong) {
        const qint64 n = v.toLongLong(&ok);
        if (ok && n >= min && n <= max)
            return n;
        return std::nullopt;
    }
    if (type == QMetaType::Double || type == QMetaType::Float) {
        d = v.toDouble(&ok);
    } else {
        const QString text = v.toString().trimmed();
        const qint64 n = text.toLongLong(&ok);
        if (ok)
            return n >= min && n <= max ? std::optional<qint64>(n) : std::nullopt;
        d = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    }
    // Beyond 2^53 a double is no exact whole number of anything a course counts,
    // and beyond 2^63 the cast would be undefined.
    constexpr double kExact = 9007199254740992.0;
    if (!ok || !std::isfinite(d) || d != std::floor(d) || std::fabs(d) > kExact)
        return std::nullopt;
    const qint64 n = qint64(d);
    if (n < min || n > max)
        return std::nullopt;
    return n;
}

// Not bound as a value: table and column names come from our own schema.
QString insertStatement(const QString &table, const QStringList &columns)
{
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("insert into %1(%2) values (%3)")
        .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
}

} // namespace

OldCourse readOldCourse(const TableSource &source, const QString &fileName)
{
    const QList<schema::TableColumns> &required = schema::requiredTables();
    const QStringList present = source.tables();
    QStringList missing;
    for (const schema::TableColumns &t : required)
        if (indexOf(present, t.table) < 0)
            missing << t.table;
    if (!missing.isEmpty()) {
        QStringList all;
        for (const schema::TableColumns &t : required)
            all << t.table;
        if (missing.size() == all.size())
            throw AppError(QStringLiteral("В файле «%1» нет таблиц курса прежней версии учебника (%2): видимо, это "
                                          "другая база данных")
                               .arg(fileName, quoted(all)));
        throw AppError(QStringLiteral("В файле «%1» нет %2 %3, а курс прежней версии учебника состоит из таблиц %4: "
                                      "файл неполный или это другая база данных")
                           .arg(fileName, missing.size() == 1 ? QStringLiteral("таблицы") : QStringLiteral("таблиц"),
                                quoted(missing), quoted(all)));
    }

    OldCourse course;
    for (const schema::TableColumns &t : required) {
        const QString stored = present[indexOf(present, t.table)];
        const OldTable table = source.readTable(stored);
        QList<qsizetype> where;
        QStringList absent;
        for (const QString &c : t.columns) {
            where << indexOf(table.columns, c);
            if (where.last() < 0)
                absent << c;
        }
        if (!absent.isEmpty())
            throw AppError(QStringLiteral("В таблице «%1» файла «%2» нет %3 %4")
                               .arg(stored, fileName,
                                    absent.size() == 1 ? QStringLiteral("столбца") : QStringLiteral("столбцов"),
                                    quoted(absent)));

        QList<QVariantList> rows = table.rows;
        QStringList names = t.columns;
        const qsizetype key = indexOf(table.columns, kKey);
        bool keepKeys = false;
        if (key >= 0) {
            QList<qint64> keys;
            for (const QVariantList &r : rows) {
                const auto k = r.size() > key ? wholeNumber(r[key], kAnyMin, kAnyMax) : std::nullopt;
                if (!k)
                    break;
                keys << *k;
            }
            keepKeys = keys.size() == rows.size() && QSet<qint64>(keys.begin(), keys.end()).size() == keys.size();
            if (keepKeys) {
                for (qsizetype i = 0; i < rows.size(); ++i)
                    rows[i][key] = keys[i];
                where << key;
                names << kKey;
            } else {
                course.renumbered << t.table;
            }
            if (keys.size() == rows.size()) {
                QList<qsizetype> order(rows.size());
                std::iota(order.begin(), order.end(), 0);
                std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) { return keys[a] < keys[b]; });
                QList<QVariantList> sorted;
                for (qsizetype i : order)
                    sorted << rows[i];
                rows = sorted;
            }
        }

        // The results' date, as Access gave it; a NULL stays NULL rather than
        // becoming the time of the import.
        const qsizetype date = t.table == QStringLiteral("Тесты") ? indexOf(table.columns, kDate) : -1;
        if (date >= 0) {
            where << date;
            names << kDate;
        }
        QStringList extra;
        for (qsizetype c = 0; c < table.columns.size(); ++c)
            if (!where.contains(c) && c != key)
                extra << table.columns[c];

        QList<QVariantList> picked;
        for (const QVariantList &r : rows) {
            QVariantList values;
            for (qsizetype w : where)
                values << r.value(w);
            picked << values;
        }
        course.tables << picked;
        course.columns << names;
        course.extraColumns << extra;
    }
    for (const QVariantList &u : course.tables[kUsers])
        if (!u[0].isNull() && u[0].toString() == kAdmin)
            ++course.adminRows;
    return course;
}

CopyCounts copyOldCourse(const OldCourse &course, const QString &dbPath)
{
    const QList<schema::TableColumns> &required = schema::requiredTables();
    Q_ASSERT(course.tables.size() == required.size());

    // The file refuses longer logins, passwords and groups; say which row it is
    // rather than pass on the engine's complaint.
    const QStringList userFields = {QStringLiteral("логин"), QStringLiteral("пароль"), QStringLiteral("группа")};
    for (qsizetype r = 0; r < course.tables[kUsers].size(); ++r)
        for (qsizetype c = 0; c < userFields.size(); ++c)
            if (course.tables[kUsers][r][c].toString().size() > schema::kTextFieldLimit)
                throw AppError(QStringLiteral("В таблице «Пользователи» запись %1 (логин «%2»): %3 длиннее %4 "
                                              "символов. Сократите его в Microsoft Access и повторите")
                                   .arg(r + 1)
                                   .arg(course.tables[kUsers][r][0].toString(), userFields[c])
                                   .arg(schema::kTextFieldLimit));

    CopyCounts counts;
    QList<QList<QVariantList>> tables = course.tables;
    for (QVariantList &q : tables[kQuestions]) {
        const auto n = wholeNumber(q[6], kAnyMin, kAnyMax);
        if (!n)
            ++counts.answerNotNumber;
        q[6] = n ? QVariant(*n) : QVariant();
    }
    for (QVariantList &t : tables[kResults]) {
        const auto n = wholeNumber(t[1], 0, 255);
        if (!n)
            ++counts.scoreNotNumber;
        t[1] = n ? QVariant(*n) : QVariant();
    }

    const QString name = QStringLiteral("import-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(dbPath);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery q(db);
            bool ok = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
            if (ok && course.adminRows > 0) {
                ok = q.prepare(QStringLiteral("delete from Пользователи where Логин = ?"));
                q.addBindValue(kAdmin);
                ok = ok && q.exec();
            } else if (ok) {
                // The created Admin must not take a key an old row keeps.
                const qsizetype key = course.columns[kUsers].indexOf(kKey);
                if (key >= 0 && !tables[kUsers].isEmpty()) {
                    QSet<qint64> taken;
                    qint64 last = 0;
                    for (const QVariantList &u : tables[kUsers]) {
                        taken << u[key].toLongLong();
                        last = std::max(last, u[key].toLongLong());
                    }
                    ok = q.prepare(QStringLiteral("select Код from Пользователи where Логин = ?"));
                    q.addBindValue(kAdmin);
                    ok = ok && q.exec();
                    QList<qint64> created;
                    while (ok && q.next())
                        created << q.value(0).toLongLong();
                    for (qint64 k : created) {
                        if (!ok || !taken.contains(k))
                            continue;
                        ok = q.prepare(QStringLiteral("update Пользователи set Код = ? where Код = ?"));
                        q.addBindValue(++last);
                        q.addBindValue(k);
                        ok = ok && q.exec();
                    }
                }
            }
            for (qsizetype t = 0; ok && t < required.size(); ++t) {
                ok = q.prepare(insertStatement(required[t].table, course.columns[t]));
                for (qsizetype r = 0; ok && r < tables[t].size(); ++r) {
                    for (qsizetype c = 0; c < tables[t][r].size(); ++c)
                        q.bindValue(int(c), tables[t][r][c]);
                    ok = q.exec();
                    if (!ok)
                        failure = QStringLiteral("таблица «%1», запись %2: %3")
                                      .arg(required[t].table)
                                      .arg(r + 1)
                                      .arg(q.lastError().text());
                }
                counts.rows << int(tables[t].size());
            }
            ok = ok && q.exec(QStringLiteral("COMMIT"));
            if (!ok) {
                if (failure.isEmpty())
                    failure = q.lastError().text();
                q.finish();
                q.exec(QStringLiteral("ROLLBACK"));
            }
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw AppError(QStringLiteral("Не удалось перенести записи в новую базу данных: %1").arg(failure));
    return counts;
}

} // namespace course
