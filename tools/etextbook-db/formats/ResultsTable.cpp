#include "ResultsTable.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <map>

namespace results {

const QString kNoAccount = QStringLiteral("Нет учётной записи");
const QString kAmbiguous = QStringLiteral("Группа не определена");
const QString kNoGroup = QStringLiteral("Без группы");

std::optional<double> Row::percent() const
{
    if (!score)
        return std::nullopt;
    return double(*score) / kQuestionsPerTest;
}

QString Row::groupLabel() const
{
    switch (kind) {
    case GroupKind::NoAccount: return kNoAccount;
    case GroupKind::Ambiguous: return kAmbiguous;
    case GroupKind::Known: break;
    }
    return group.isEmpty() ? kNoGroup : group;
}

QDateTime parseStoredDate(const QString &text)
{
    QString t = text.trimmed();
    if (t.size() > 10 && t[10] == QLatin1Char(' '))
        t[10] = QLatin1Char('T');
    QDateTime d = QDateTime::fromString(t, Qt::ISODate);
    if (!d.isValid())
        d = QDateTime(QDate::fromString(t, Qt::ISODate), QTime(0, 0));
    if (d.isValid())
        d.setTimeSpec(Qt::LocalTime);
    return d;
}

QList<Row> joinGroups(const QList<StoredResult> &stored, const QList<Account> &accounts)
{
    QHash<QString, QStringList> groups;
    for (const Account &a : accounts)
        groups[a.login] << a.group;
    QList<Row> rows;
    rows.reserve(stored.size());
    for (const StoredResult &s : stored) {
        Row r;
        r.code = s.code;
        r.login = s.login;
        r.score = s.score;
        r.dateText = s.date;
        r.date = parseStoredDate(s.date);
        const auto it = groups.constFind(s.login);
        if (it == groups.constEnd()) {
            r.kind = GroupKind::NoAccount;
            r.note = QStringLiteral("нет учётной записи с этим логином");
        } else {
            QStringList distinct = *it;
            distinct.removeDuplicates();
            if (distinct.size() == 1) {
                r.group = distinct.first();
                if (it->size() > 1)
                    r.note = QStringLiteral("учётных записей с этим логином: %1, группа у всех одна").arg(it->size());
            } else {
                r.kind = GroupKind::Ambiguous;
                QStringList shown;
                for (const QString &g : distinct)
                    shown << (g.isEmpty() ? QStringLiteral("без группы") : QStringLiteral("«%1»").arg(g));
                r.note = QStringLiteral("учётных записей с этим логином: %1, в разных группах (%2)")
                             .arg(it->size())
                             .arg(shown.join(QStringLiteral(", ")));
            }
        }
        rows << r;
    }
    return rows;
}

QList<GroupSummary> summarize(const QList<Row> &rows)
{
    // Known groups by name first, then the marked ones in a fixed order.
    auto rank = [](const Row &r) { return r.kind == GroupKind::Known ? (r.group.isEmpty() ? 1 : 0)
                                          : r.kind == GroupKind::NoAccount ? 2 : 3; };
    std::map<std::pair<int, QString>, QList<int>> scores;
    std::map<std::pair<int, QString>, int> counts;
    for (const Row &r : rows) {
        const std::pair<int, QString> key{rank(r), r.kind == GroupKind::Known ? r.group : QString()};
        ++counts[key];
        if (r.score)
            scores[key] << *r.score;
        else
            scores[key];
    }
    QList<GroupSummary> out;
    for (const auto &[key, list] : scores) {
        GroupSummary g;
        Row probe;
        probe.kind = key.first == 2 ? GroupKind::NoAccount : key.first == 3 ? GroupKind::Ambiguous : GroupKind::Known;
        probe.group = key.second;
        g.label = probe.groupLabel();
        g.results = counts[key];
        QList<int> sorted = list;
        std::sort(sorted.begin(), sorted.end());
        g.scored = int(sorted.size());
        if (!sorted.isEmpty()) {
            double sum = 0;
            for (int s : sorted)
                sum += s;
            g.mean = sum / sorted.size();
            const qsizetype mid = sorted.size() / 2;
            g.median = sorted.size() % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2.0;
            g.worst = sorted.first();
            g.best = sorted.last();
        }
        g.distribution = QList<int>(std::max(kQuestionsPerTest, g.best) + 1, 0);
        for (int s : sorted)
            if (s >= 0)
                ++g.distribution[s];
        out << g;
    }
    return out;
}

QString csvField(const QString &text)
{
    QString t = text;
    if (!t.isEmpty() && (t[0] == QLatin1Char('=') || t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-') ||
                         t[0] == QLatin1Char('@') || t[0] == QLatin1Char('\t') || t[0] == QLatin1Char('\r')))
        t.prepend(QLatin1Char('\''));
    if (t.contains(QLatin1Char(';')) || t.contains(QLatin1Char('"')) || t.contains(QLatin1Char('\n')) ||
        t.contains(QLatin1Char('\r')))
        t = QLatin1Char('"') + t.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
    return t;
}

QByteArray toCsv(const QList<Row> &rows)
{
    QString out = QStringLiteral("Код;Логин;Группа;Верно;Процент;Дата;Примечание\r\n");
    for (const Row &r : rows) {
        QStringList f;
        f << QString::number(r.code) << csvField(r.login)
          << csvField(r.kind == GroupKind::Known ? r.group : QString())
          << (r.score ? QString::number(*r.score) : QString())
          << (r.percent() ? QString::number(*r.percent() * 100, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','))
                          : QString())
          << (r.date.isValid() ? r.date.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : csvField(r.dateText))
          << csvField(r.note);
        out += f.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

} // namespace results
