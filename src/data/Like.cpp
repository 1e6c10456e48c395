#include "Like.h"

#include <sqlite3.h>

#include <QList>

namespace data {

namespace {

QList<uint> folded(const QString &s)
{
    return s.toCaseFolded().toUcs4();
}

} // namespace

bool likeMatch(const QString &pattern, const QString &text, QChar escape)
{
    const QList<uint> p = folded(pattern);
    const QList<uint> t = folded(text);
    const uint esc = escape.isNull() ? 0xFFFFFFFFu : QString(escape).toCaseFolded().toUcs4().value(0);

    // Iterative matcher with one backtrack point (the last "%"): linear in the
    // common case, bounded by |p|·|t| in the worst, and never recursive, so long
    // typed texts cannot exhaust the stack.
    qsizetype pi = 0, ti = 0;
    qsizetype starP = -1, starT = -1;
    while (ti < t.size()) {
        if (pi < p.size()) {
            uint pc = p[pi];
            if (pc == esc && pi + 1 < p.size()) {
                if (p[pi + 1] == t[ti]) {
                    pi += 2;
                    ++ti;
                    continue;
                }
            } else if (pc == '%') {
                starP = pi++;
                starT = ti;
                continue;
            } else if (pc == '_' || pc == t[ti]) {
                ++pi;
                ++ti;
                continue;
            }
        }
        if (starP < 0)
            return false;
        pi = starP + 1;
        ti = ++starT;
    }
    while (pi < p.size() && p[pi] == '%')
        ++pi;
    return pi == p.size();
}

namespace {

QString valueText(sqlite3_value *v)
{
    const void *data = sqlite3_value_text16(v);
    const int bytes = sqlite3_value_bytes16(v);
    if (!data)
        return QString();
    return QString(static_cast<const QChar *>(data), bytes / 2);
}

void likeFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    QChar escape;
    if (argc == 3) {
        if (sqlite3_value_type(argv[2]) == SQLITE_NULL) {
            sqlite3_result_null(ctx);
            return;
        }
        const QString e = valueText(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e.at(0);
    }
    // like(X, Y) is "Y LIKE X": the pattern comes first.
    sqlite3_result_int(ctx, likeMatch(valueText(argv[0]), valueText(argv[1]), escape) ? 1 : 0);
}

} // namespace

void registerLike(void *sqliteHandle)
{
    auto *db = static_cast<sqlite3 *>(sqliteHandle);
    const int flags = SQLITE_UTF16 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr);
}

} // namespace data
