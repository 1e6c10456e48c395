#include "PathMap.h"

#include "common/Errors.h"
#include "data/Connection.h"
#include "data/EngineErrors.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace course {
namespace {

constexpr int kShownMissing = 5;

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

QString slashes(QString s) { return s.replace(QLatin1Char('\\'), QLatin1Char('/')); }

struct Change {
    QString table;
    qint64 key;
    QString before;
    QString after;
};

} // namespace

const QList<MaterialTable> &materialTables()
{
    static const QList<MaterialTable> tables = {
        {QStringLiteral("Лекции"), QStringLiteral("НазваниеЛекции"), QStringLiteral("АдресЛекции")},
        {QStringLiteral("Лабы"), QStringLiteral("НазваниеЛабы"), QStringLiteral("АдресЛабы")},
        {QStringLiteral("Видео"), QStringLiteral("НазваниеВидео"), QStringLiteral("АдресВидео")},
    };
    return tables;
}

PathRule parsePathRule(const QString &text)
{
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0 || eq == text.size() - 1)
        throw AppError(QStringLiteral("правило замены пути «%1» должно иметь вид ОТКУДА=КУДА, например "
                                      "'C:\\Курс\\=/srv/курс/'")
                           .arg(text));
    return {text.left(eq), text.mid(eq + 1)};
}

std::optional<QString> mapAddress(const QString &address, const QList<PathRule> &rules)
{
    const QString path = slashes(address);
    const PathRule *best = nullptr;
    qsizetype bestLength = -1;
    for (const PathRule &r : rules) {
        const QString from = slashes(r.from);
        if (from.size() <= bestLength || path.size() < from.size())
            continue;
        if (QStringView(path).left(from.size()).compare(from, Qt::CaseInsensitive) != 0)
            continue;
        const bool boundary = from.endsWith(QLatin1Char('/')) || path.size() == from.size() ||
                              path[from.size()] == QLatin1Char('/');
        if (!boundary)
            continue;
        best = &r;
        bestLength = from.size();
    }
    if (!best)
        return std::nullopt;
    QString rest = path.mid(bestLength);
    QString to = best->to;
    if (to.endsWith(QLatin1Char('/')) && rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    else if (!to.endsWith(QLatin1Char('/')) && !rest.isEmpty() && !rest.startsWith(QLatin1Char('/')))
        to += QLatin1Char('/');
    return to + rest;
}

QStringList missingFilesReport(const QStringList &addresses, const QString &base)
{
    const QDir dir(base);
    QStringList missing;
    for (const QString &a : addresses)
        if (a.isEmpty() || !QFileInfo(dir.absoluteFilePath(a)).isFile())
            missing << a;
    QStringList out;
    if (missing.isEmpty()) {
        out << QStringLiteral("  Все адреса материалов (%1) указывают на существующие файлы").arg(addresses.size());
        return out;
    }
    out << QStringLiteral("  Адресов материалов, указывающих на несуществующий файл: %1 из %2%3")
               .arg(missing.size())
               .arg(addresses.size())
               .arg(missing.size() > kShownMissing ? QStringLiteral(" (первые %1):").arg(kShownMissing)
                                                   : QStringLiteral(":"));
    for (qsizetype i = 0; i < missing.size() && i < kShownMissing; ++i)
        out << (missing[i].isEmpty() ? QStringLiteral("    (пустой адрес)") : QStringLiteral("    %1").arg(missing[i]));
    out << QStringLiteral("  Исправьте адреса командой etextbook-db map-paths или в окнах материалов");
    return out;
}

QStringList mapCoursePaths(const QString &dir, const QList<PathRule> &rules, bool dryRun)
{
    const QString base = QDir::cleanPath(QFileInfo(dir).absoluteFilePath());
    const QString dbPath = QDir(base).filePath(QStringLiteral("db.mdb"));
    data::checkDatabaseFile(dbPath);

    QList<Change> changes;
    QStringList addresses;
    data::Connection connection;
    connection.open(dbPath);
    auto check = [](QSqlQuery &q, bool ok) {
        if (!ok)
            data::throwEngineError(q.lastError());
    };
    // Read and written under one write lock, so no copy of the program changes an
    // address between the two; a dry run writes nothing.
    connection.transaction([&] {
        QSqlQuery q(connection.database());
        for (const MaterialTable &t : materialTables()) {
            check(q, q.exec(QStringLiteral("select Код, %1 from %2 order by Код").arg(t.address, t.table)));
            QList<Change> found;
            while (q.next()) {
                const QString before = q.value(1).toString();
                const auto after = q.value(1).isNull() ? std::nullopt : mapAddress(before, rules);
                addresses << (after ? *after : before);
                if (after && *after != before)
                    found << Change{t.table, q.value(0).toLongLong(), before, *after};
            }
            q.finish();
            if (!dryRun)
                for (const Change &c : found) {
                    check(q, q.prepare(QStringLiteral("update %1 set %2 = ? where Код = ?").arg(t.table, t.address)));
                    q.addBindValue(c.after);
                    q.addBindValue(c.key);
                    check(q, q.exec());
                }
            changes += found;
        }
    });
    connection.close();

    QStringList out;
    out << (dryRun ? QStringLiteral("Пробный запуск: курс «%1» не изменён; были бы исправлены адреса: %2")
                   : QStringLiteral("В курсе «%1» исправлены адреса материалов: %2"))
               .arg(shown(base))
               .arg(changes.size());
    for (const MaterialTable &t : materialTables()) {
        int n = 0;
        for (const Change &c : changes)
            n += c.table == t.table ? 1 : 0;
        out << QStringLiteral("    %1: %2").arg(t.table).arg(n);
    }
    if (dryRun)
        for (const Change &c : changes)
            out << QStringLiteral("  %1, запись %2: %3 → %4").arg(c.table).arg(c.key).arg(c.before, c.after);
    out << missingFilesReport(addresses, base);
    return out;
}

} // namespace course
