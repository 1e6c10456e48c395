#include "ResultsXlsx.h"

#include <QSet>

#include <xlsxwriter.h>

namespace results {
namespace {

const QString kResultsSheet = QStringLiteral("Результаты");
constexpr int kSheetNameLimit = 31;

// The summary sheet's layout: figures in rows 0–6, the score table from row 8.
constexpr lxw_row_t kTableHeader = 8;

QByteArray u8(const QString &s) { return s.toUtf8(); }

} // namespace

QStringList sheetNames(const QList<GroupSummary> &groups)
{
    QSet<QString> taken{kResultsSheet.toCaseFolded()};
    QStringList out;
    for (const GroupSummary &g : groups) {
        QString base;
        for (const QChar c : g.label)
            base += QStringLiteral(":\\/?*[]").contains(c) || c.unicode() < 0x20 ? QLatin1Char('_') : c;
        base = base.trimmed();
        while (base.startsWith(QLatin1Char('\'')))
            base.remove(0, 1);
        while (base.endsWith(QLatin1Char('\'')))
            base.chop(1);
        if (base.isEmpty())
            base = QStringLiteral("Группа");
        base = base.left(kSheetNameLimit);
        QString name = base;
        for (int n = 2; taken.contains(name.toCaseFolded()); ++n) {
            const QString suffix = QStringLiteral(" (%1)").arg(n);
            name = base.left(kSheetNameLimit - suffix.size()) + suffix;
        }
        taken.insert(name.toCaseFolded());
        out << name;
    }
    return out;
}

QString writeXlsx(const QString &path, const QList<Row> &rows, const QList<GroupSummary> &groups)
{
    lxw_workbook *wb = workbook_new(u8(path).constData());
    if (!wb)
        return QStringLiteral("не удалось начать книгу Excel");

    lxw_format *bold = workbook_add_format(wb);
    format_set_bold(bold);
    lxw_format *percent = workbook_add_format(wb);
    format_set_num_format(percent, "0.0%");
    lxw_format *date = workbook_add_format(wb);
    format_set_num_format(date, "dd.mm.yyyy hh:mm:ss");
    lxw_format *oneDecimal = workbook_add_format(wb);
    format_set_num_format(oneDecimal, "0.0");

    lxw_worksheet *all = workbook_add_worksheet(wb, u8(kResultsSheet).constData());
    const QStringList header = {QStringLiteral("Код"),     QStringLiteral("Логин"), QStringLiteral("Группа"),
                                QStringLiteral("Верно"),   QStringLiteral("Процент"), QStringLiteral("Дата"),
                                QStringLiteral("Примечание")};
    for (int c = 0; c < header.size(); ++c)
        worksheet_write_string(all, 0, lxw_col_t(c), u8(header[c]).constData(), bold);
    lxw_row_t r = 1;
    for (const Row &row : rows) {
        worksheet_write_number(all, r, 0, double(row.code), nullptr);
        worksheet_write_string(all, r, 1, u8(row.login).constData(), nullptr);
        if (row.kind == GroupKind::Known)
            worksheet_write_string(all, r, 2, u8(row.group).constData(), nullptr);
        if (row.score) {
            worksheet_write_number(all, r, 3, *row.score, nullptr);
            worksheet_write_number(all, r, 4, *row.percent(), percent);
        }
        if (row.date.isValid()) {
            const QDate d = row.date.date();
            const QTime t = row.date.time();
            lxw_datetime dt{d.year(), d.month(), d.day(), t.hour(), t.minute(), double(t.second())};
            worksheet_write_datetime(all, r, 5, &dt, date);
        } else if (!row.dateText.isEmpty()) {
            worksheet_write_string(all, r, 5, u8(row.dateText).constData(), nullptr);
        }
        if (!row.note.isEmpty())
            worksheet_write_string(all, r, 6, u8(row.note).constData(), nullptr);
        ++r;
    }
    worksheet_set_column(all, 0, 0, 7, nullptr);
    worksheet_set_column(all, 1, 2, 18, nullptr);
    worksheet_set_column(all, 3, 4, 9, nullptr);
    worksheet_set_column(all, 5, 5, 20, nullptr);
    worksheet_set_column(all, 6, 6, 50, nullptr);
    worksheet_freeze_panes(all, 1, 0);
    worksheet_autofilter(all, 0, 0, lxw_row_t(rows.size()), lxw_col_t(header.size() - 1));

    const QStringList names = sheetNames(groups);
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const GroupSummary &s = groups[g];
        const QByteArray sheetName = u8(names[g]);
        lxw_worksheet *ws = workbook_add_worksheet(wb, sheetName.constData());
        worksheet_write_string(ws, 0, 0, "Группа", bold);
        worksheet_write_string(ws, 0, 1, u8(s.label).constData(), bold);
        worksheet_write_string(ws, 1, 0, "Результатов", nullptr);
        worksheet_write_number(ws, 1, 1, s.results, nullptr);
        const char *labels[] = {"Средний балл", "Медиана", "Лучший результат", "Худший результат"};
        const double values[] = {s.mean, s.median, double(s.best), double(s.worst)};
        for (int k = 0; k < 4; ++k) {
            worksheet_write_string(ws, lxw_row_t(2 + k), 0, labels[k], nullptr);
            if (s.scored > 0)
                worksheet_write_number(ws, lxw_row_t(2 + k), 1, values[k], k < 2 ? oneDecimal : nullptr);
        }
        if (s.scored < s.results) {
            worksheet_write_string(ws, 6, 0, "Без числа верных ответов", nullptr);
            worksheet_write_number(ws, 6, 1, s.results - s.scored, nullptr);
        }
        worksheet_write_string(ws, kTableHeader, 0, "Верных ответов", bold);
        worksheet_write_string(ws, kTableHeader, 1, "Результатов", bold);
        for (qsizetype k = 0; k < s.distribution.size(); ++k) {
            worksheet_write_number(ws, kTableHeader + 1 + lxw_row_t(k), 0, double(k), nullptr);
            worksheet_write_number(ws, kTableHeader + 1 + lxw_row_t(k), 1, s.distribution[k], nullptr);
        }
        worksheet_set_column(ws, 0, 0, 26, nullptr);
        worksheet_set_column(ws, 1, 1, 14, nullptr);

        lxw_chart *chart = workbook_add_chart(wb, LXW_CHART_COLUMN);
        lxw_chart_series *series = chart_add_series(chart, nullptr, nullptr);
        const lxw_row_t last = kTableHeader + lxw_row_t(s.distribution.size());
        chart_series_set_categories(series, sheetName.constData(), kTableHeader + 1, 0, last, 0);
        chart_series_set_values(series, sheetName.constData(), kTableHeader + 1, 1, last, 1);
        chart_series_set_name(series, "Результатов");
        chart_title_set_name(chart, u8(QStringLiteral("Распределение баллов: %1").arg(s.label)).constData());
        chart_axis_set_name(chart->x_axis, "Верных ответов");
        chart_axis_set_name(chart->y_axis, "Результатов");
        chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
        lxw_chart_options placement{};
        placement.x_scale = 1.6;
        placement.y_scale = 1.4;
        worksheet_insert_chart_opt(ws, 1, 3, chart, &placement);
    }

    const lxw_error err = workbook_close(wb);
    if (err != LXW_NO_ERROR)
        return QStringLiteral("не удалось записать книгу Excel (%1)").arg(QString::fromUtf8(lxw_strerror(err)));
    return QString();
}

} // namespace results
