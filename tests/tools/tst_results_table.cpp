// Sheet names and per-group figures of the results workbook, without a database.
#include "formats/ResultsTable.h"
#include "formats/ResultsXlsx.h"

#include <QtTest>

using namespace results;

class TestResultsTable : public QObject {
    Q_OBJECT
private slots:
    void sheetNamesFollowExcelRules_data();
    void sheetNamesFollowExcelRules();
    void scoresAboveThirtyWidenTheChart();
};

void TestResultsTable::sheetNamesFollowExcelRules_data()
{
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("forbidden characters") << QStringList{"9А/Б", "[x]:*?\\"} << QStringList{"9А_Б", "_x_____"};
    QTest::newRow("same without case") << QStringList{"9а", "9А"} << QStringList{"9а", "9А (2)"};
    QTest::newRow("the first sheet's name") << QStringList{"результаты"} << QStringList{"результаты (2)"};
    QTest::newRow("apostrophes and blanks") << QStringList{"'x'", "  ", "''"} << QStringList{"x", "Группа", "Группа (2)"};
    const QString longName = QStringLiteral("Очень длинное название учебной группы");
    QTest::newRow("longer than 31") << QStringList{longName, longName + "!"}
                                    << QStringList{longName.left(31), longName.left(27) + " (2)"};
}

void TestResultsTable::sheetNamesFollowExcelRules()
{
    QFETCH(QStringList, groups);
    QFETCH(QStringList, names);
    QList<GroupSummary> list;
    for (const QString &g : groups) {
        GroupSummary s;
        s.label = g;
        list << s;
    }
    QCOMPARE(sheetNames(list), names);
}

void TestResultsTable::scoresAboveThirtyWidenTheChart()
{
    // Верно holds up to 255 (old data); such a score still has its column.
    QList<StoredResult> stored = {{1, "a", 31, "2026-01-01 10:00:00"}, {2, "a", 0, ""}, {3, "a", std::nullopt, ""}};
    const QList<GroupSummary> s = summarize(joinGroups(stored, {{"a", "1"}}));
    QCOMPARE(s.size(), 1);
    QCOMPARE(s[0].results, 3);
    QCOMPARE(s[0].scored, 2);
    QCOMPARE(s[0].distribution.size(), 32);
    QCOMPARE(s[0].distribution[31], 1);
    QCOMPARE(s[0].distribution[0], 1);
    QCOMPARE(s[0].median, 15.5);
}

QTEST_GUILESS_MAIN(TestResultsTable)
#include "tst_results_table.moc"
