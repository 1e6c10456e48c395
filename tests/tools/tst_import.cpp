// The converter for courses of the old Windows version: reading a real Access file
// (Cyrillic in Jet 4's compressed Unicode), the rules that carry the six old tables
// into a course file (through rows made up here), whole old courses written at test
// time by our own Jet writer and converted by `etextbook-db import` run as a
// program, and the rewriting of Windows material paths. mdbtools' own programs
// read the written files too, as a check of the writer independent of our reader.
#include "AccessReader.h"
#include "OldCourse.h"
#include "PathMap.h"
#include "common/Errors.h"
#include "data/Schema.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include "JetWriter.h"
#include "ToolRun.h"

using course::OldTable;

namespace {

using toolrun::kTool;
using toolrun::Run;
using toolrun::runTool;
using toolrun::snapshot;
const QString kFixture = QStringLiteral(ETEXTBOOK_SOURCE_DIR "/tests/fixtures/access/testUnicodeCompV2003.mdb");
const QString kCreatedAdminPassword = QStringLiteral("новый-admin");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The old course as Access keeps it, with the columns the old program used; a
// case replaces whole tables.
class FakeSource final : public course::TableSource {
public:
    FakeSource()
    {
        tables_.insert(QStringLiteral("БДТест"),
                       {{"Код", "Вопрос", "Ответ1", "Ответ2", "Ответ3", "Ответ4", "Ответ5", "ОтветПр"}, {}});
        tables_.insert(QStringLiteral("Пользователи"), {{"Код", "Логин", "Пароль", "Группа"}, {}});
        tables_.insert(QStringLiteral("Тесты"), {{"Код", "Пользователь", "Верно"}, {}});
        tables_.insert(QStringLiteral("Лекции"), {{"Код", "НазваниеЛекции", "АдресЛекции"}, {}});
        tables_.insert(QStringLiteral("Лабы"), {{"Код", "НазваниеЛабы", "АдресЛабы"}, {}});
        tables_.insert(QStringLiteral("Видео"), {{"Код", "НазваниеВидео", "АдресВидео"}, {}});
    }
    void set(const QString &name, const OldTable &t) { tables_.insert(name, t); }
    void remove(const QString &name) { tables_.remove(name); }

    QStringList tables() const override { return tables_.keys(); }
    OldTable readTable(const QString &name) const override
    {
        if (!tables_.contains(name))
            throw AppError(QStringLiteral("нет таблицы ") + name);
        return tables_.value(name);
    }

private:
    QMap<QString, OldTable> tables_;
};

// A value as the test tables spell it: NULL, #n for an integer, 'text' for text.
QString render(const QVariant &v)
{
    if (v.isNull())
        return QStringLiteral("NULL");
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
        return QStringLiteral("#") + v.toString();
    return QLatin1Char('\'') + v.toString() + QLatin1Char('\'');
}

QStringList selectRendered(const QString &dbPath, const QString &sql)
{
    QStringList out;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(dbPath);
        if (!db.open())
            return {QStringLiteral("cannot open")};
        QSqlQuery q(db);
        if (!q.exec(sql))
            return {QStringLiteral("query failed: ") + sql};
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << render(q.value(i));
            out << row.join(QStringLiteral(" | "));
        }
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}


// A whole old course as the old program kept it, with what real courses hold:
// Cyrillic names and text, a question longer than 16 KB, NULLs beside empty texts,
// an empty table, a column the new course has no place for, result dates, a
// login twice and Windows paths. coursePath is where the materials were on Windows.
QList<jetwriter::Table> oldCourseTables(const QString &coursePath)
{
    using jetwriter::Type;
    const QVariant null;
    QString longQuestion;
    for (int i = 0; longQuestion.size() < 20000; ++i)
        longQuestion += QStringLiteral("Вопрос №%1 — «длинный» текст; ").arg(i);
    return {
        {QStringLiteral("БДТест"),
         {{"Код", Type::Long}, {"Вопрос", Type::Memo}, {"Ответ1", Type::Text}, {"Ответ2", Type::Text},
          {"Ответ3", Type::Text}, {"Ответ4", Type::Text}, {"Ответ5", Type::Text}, {"ОтветПр", Type::Text},
          {"Картинка", Type::Text}},
         {{10, "Сколько бит в байте?", "8", "16", "4", "2", "1", "1", "байт.bmp"},
          {3, longQuestion, "Да", "Нет", "", null, "Ёлка", "3", null},
          {7, "Столица России?", "Москва", "Киев", "Минск", "Рига", "Вильнюс", "два", null}}},
        {QStringLiteral("Пользователи"),
         {{"Код", Type::Long}, {"Логин", Type::Text}, {"Пароль", Type::Text}, {"Группа", Type::Text}},
         {{1, "Admin", "старый", ""}, {2, "Иванов", "1111", "9А"}, {3, "Иванов", "2222", null},
          {5, "Петрова", "", "9Б"}}},
        {QStringLiteral("Тесты"),
         {{"Код", Type::Long}, {"Пользователь", Type::Text}, {"Верно", Type::Long}, {"Дата", Type::DateTime}},
         {{4, "Иванов", 27, QDateTime(QDate(2004, 5, 17), QTime(10, 30, 15))}, {6, "Петрова", 30, null},
          {9, "Иванов", null, QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))}}},
        {QStringLiteral("Лекции"),
         {{"Код", Type::Long}, {"НазваниеЛекции", Type::Text}, {"АдресЛекции", Type::Text}},
         {{1, "Лекция 1. Введение", coursePath + "Лекции\\лек1.htm"},
          {2, "Лекция 2", coursePath.toLower() + "ЛЕКЦИИ\\лек2.doc"}, {3, "Без адреса", null}}},
        {QStringLiteral("Лабы"), {{"Код", Type::Long}, {"НазваниеЛабы", Type::Text}, {"АдресЛабы", Type::Text}}, {}},
        {QStringLiteral("Видео"),
         {{"Код", Type::Long}, {"НазваниеВидео", Type::Text}, {"АдресВидео", Type::Text}},
         {{1, "Фильм", "\\\\server\\видео\\1.avi"}}},
    };
}

QString longQuestionText()
{
    return oldCourseTables(QString())[0].rows[1][1].toString();
}

} // namespace

Q_DECLARE_METATYPE(course::OldTable)
Q_DECLARE_METATYPE(jetwriter::Version)

class TstImport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void readsCompressedUnicode();
    void unreadableFile_data();
    void unreadableFile();

    void copy_data();
    void copy();
    void oldCourseRefused_data();
    void oldCourseRefused();
    void failedCopyLeavesCreatedFile();

    void toolRefuses_data();
    void toolRefuses();

    void writtenFileReadByMdbtools_data();
    void writtenFileReadByMdbtools();
    void importWholeCourse_data();
    void importWholeCourse();
    void jet3Charset();

    void mapAddress_data();
    void mapAddress();
    void badPathRule_data();
    void badPathRule();
    void mapPathsCommand();
};

void TstImport::initTestCase()
{
    QVERIFY2(QFileInfo(kTool).isExecutable(), qPrintable(kTool + QStringLiteral(" is not built")));
    QVERIFY2(QFileInfo::exists(kFixture), qPrintable(kFixture));
}

// The fixture was written by Access 2003; its text column mixes ASCII with
// Cyrillic, which Jet 4 stores as compressed runs switching to full UTF-16.
void TstImport::readsCompressedUnicode()
{
    course::AccessReader reader(kFixture);
    QCOMPARE(reader.format(), QStringLiteral("Jet 4"));
    QCOMPARE(reader.tables(), QStringList{QStringLiteral("Table")});

    // Access compares names without regard to case, so must we.
    const OldTable t = reader.readTable(QStringLiteral("table"));
    QCOMPARE(t.columns, (QStringList{QStringLiteral("ID"), QStringLiteral("Unicode")}));

    // Spelled with code points so that an editor's encoding cannot fake a pass.
    auto text = [](std::initializer_list<char32_t> cps) {
        QString s;
        for (char32_t c : cps)
            s += QString::fromUcs4(&c, 1);
        return s;
    };
    QString everyByte;
    for (char32_t c = 1; c <= 0xFF; ++c)
        everyByte += QChar(c);
    const QStringList expected = {
        QStringLiteral("only ascii chars"),
        text({0xE4, 0xE4, 'k', 'k', 0xF6, 's', 'i', 0xE4}),
        text({0x41C, 0x438, 0x440}), // Мир
        text({0x3F0, 0x3B1, 0x1F76, ' ', 0x3C4, 0x1F79, 0x3C4, '\'', ' ', 0x1F10, 0x3B3, 0x1F7C, ' ', 0x39A, 0x1F7B,
              0x3F0, 0x3BB, 0x3C9, 0x3C0, 0x3B1}),
        text({0x6F22, 0x5B57, 0x4EEE, 0x540D, 0x4EA4, 0x3058, 0x308A, 0x6587}),
        text({'3', 'L', '9', 0x1D, '5', '2', 0x02, '_', 'A', 'B', '(', 0xA5, 0x05, '!', '!', 'V'}),
        text({0xFC, 'm', 'l', 'a', 'u', 't'}),
        everyByte,
    };
    QCOMPARE(t.rows.size(), expected.size());
    for (qsizetype i = 0; i < t.rows.size(); ++i) {
        QCOMPARE(t.rows[i].size(), 2);
        QCOMPARE(t.rows[i][0].toString(), QString::number(i + 1));
        QCOMPARE(t.rows[i][1].toString(), expected[i]);
    }
    QCOMPARE(t.rows[2][1].toString(), QStringLiteral("Мир"));
}

void TstImport::unreadableFile_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: the path is a folder; "-": no file at all
    QTest::addColumn<QString>("reason");

    const QByteArray access = readAll(kFixture);
    QVERIFY(access.size() > 8192);
    QTest::newRow("no file") << QByteArray("-") << QStringLiteral("не найден");
    QTest::newRow("folder") << QByteArray() << QStringLiteral("папка");
    QTest::newRow("text file") << QByteArray("Вопрос;Ответ\n") << QStringLiteral("не является базой данных Microsoft Access");
    QTest::newRow("course of the new version")
        << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0') << QStringLiteral("уже курс новой версии");
    QTest::newRow("cut inside the header") << access.left(1000) << QStringLiteral("повреждён");
    QTest::newRow("only the header page") << access.left(4096) << QStringLiteral("повреждён");
    QByteArray noCatalog = access;
    noCatalog.replace(2 * 4096, 4096, QByteArray(4096, '\0'));
    QTest::newRow("catalog page wiped") << noCatalog << QStringLiteral("повреждён");
}

void TstImport::unreadableFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db.mdb"));
    if (bytes.isEmpty())
        QVERIFY(QDir().mkdir(path));
    else if (bytes != "-")
        QVERIFY(writeFile(path, bytes));
    try {
        course::AccessReader reader(path);
        reader.readTable(QStringLiteral("Table"));
        QFAIL("the file was read");
    } catch (const AppError &e) {
        QVERIFY2(e.text().contains(reason), qPrintable(e.text()));
        QVERIFY2(e.text().contains(QDir::toNativeSeparators(path)), qPrintable(e.text()));
    }
}

// Each case fills one old table; the rest stay empty. "select" reads the new file.
void TstImport::copy_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<OldTable>("old");
    QTest::addColumn<QString>("select");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("answerNulls");
    QTest::addColumn<int>("scoreNulls");

    const QVariant null;
    const QString questions = QStringLiteral("select Вопрос, Ответ1, Ответ5, ОтветПр from БДТест order by Код");
    const QStringList qCols = {"Вопрос", "Ответ1", "Ответ2", "Ответ3", "Ответ4", "Ответ5", "ОтветПр"};
    auto question = [](const QString &text, const QVariant &right, const QVariant &fifth = QStringLiteral("д")) {
        return QVariantList{text, QStringLiteral("а"), QStringLiteral("б"), QStringLiteral("в"), QStringLiteral("г"),
                            fifth, right};
    };

    QTest::newRow("ОтветПр: whole numbers in any spelling, else NULL")
        << "БДТест"
        << OldTable{qCols,
                    {question("q1", "3"), question("q2", " 4 "), question("q3", "2.0"), question("q4", "5,000000"),
                     question("q5", 1), question("q6", "2.5"), question("q7", "два"), question("q8", ""),
                     question("q9", null), question("q10", "1e400"), question("q11", "-2")}}
        << questions
        << QStringList{"'q1' | 'а' | 'д' | #3", "'q2' | 'а' | 'д' | #4", "'q3' | 'а' | 'д' | #2",
                       "'q4' | 'а' | 'д' | #5", "'q5' | 'а' | 'д' | #1", "'q6' | 'а' | 'д' | NULL",
                       "'q7' | 'а' | 'д' | NULL", "'q8' | 'а' | 'д' | NULL", "'q9' | 'а' | 'д' | NULL",
                       "'q10' | 'а' | 'д' | NULL", "'q11' | 'а' | 'д' | #-2"}
        << 5 << 0;
    QTest::newRow("empty and NULL answers stay apart, text kept byte for byte")
        << "БДТест"
        << OldTable{qCols,
                    {question("Сколько бит в байте?", "1", ""), question("  пробелы  ", "1", null),
                     question("Строка 1\r\nСтрока 2 «ёЁ» — ‘’ 😀", "1", "Ответ с 'кавычкой'; drop table БДТест")}}
        << questions
        << QStringList{"'Сколько бит в байте?' | 'а' | '' | #1", "'  пробелы  ' | 'а' | NULL | #1",
                       "'Строка 1\r\nСтрока 2 «ёЁ» — ‘’ 😀' | 'а' | 'Ответ с 'кавычкой'; drop table БДТест' | #1"}
        << 0 << 0;
    QTest::newRow("rows follow Код, not the file, when every row has one")
        << "БДТест"
        << OldTable{QStringList{"Код"} + qCols,
                    {QVariantList{"30"} + question("третий", "1"), QVariantList{"2"} + question("первый", "1"),
                     QVariantList{"10"} + question("второй", "1"), QVariantList{"10"} + question("второй-б", "1")}}
        << questions
        << QStringList{"'первый' | 'а' | 'д' | #1", "'второй' | 'а' | 'д' | #1", "'второй-б' | 'а' | 'д' | #1",
                       "'третий' | 'а' | 'д' | #1"}
        << 0 << 0;
    QTest::newRow("file order kept when a Код is missing")
        << "БДТест"
        << OldTable{QStringList{"Код"} + qCols,
                    {QVariantList{"3"} + question("один", "1"), QVariantList{null} + question("два", "1"),
                     QVariantList{"1"} + question("три", "1")}}
        << questions << QStringList{"'один' | 'а' | 'д' | #1", "'два' | 'а' | 'д' | #1", "'три' | 'а' | 'д' | #1"}
        << 0 << 0;
    QTest::newRow("columns found whatever their case and place, extras ignored")
        << "БДТест"
        << OldTable{{"отВЕТпр", "Картинка", "ответ5", "Ответ4", "Ответ3", "Ответ2", "ОТВЕТ1", "вопрос"},
                    {{"2", "pic.bmp", "five", "four", "three", "two", "one", "Что?"}}}
        << QStringLiteral("select Вопрос, Ответ1, Ответ2, Ответ3, Ответ4, Ответ5, ОтветПр from БДТест")
        << QStringList{"'Что?' | 'one' | 'two' | 'three' | 'four' | 'five' | #2"} << 0 << 0;

    QTest::newRow("keys kept when every row has its own")
        << "БДТест"
        << OldTable{QStringList{"Код"} + qCols,
                    {QVariantList{"30"} + question("третий", "1"), QVariantList{"2"} + question("первый", "1"),
                     QVariantList{10} + question("второй", "1")}}
        << QStringLiteral("select Код, Вопрос from БДТест")
        << QStringList{"#2 | 'первый'", "#10 | 'второй'", "#30 | 'третий'"} << 0 << 0;
    QTest::newRow("repeated keys: new ones, old order")
        << "БДТест"
        << OldTable{QStringList{"Код"} + qCols,
                    {QVariantList{"7"} + question("а", "1"), QVariantList{"7"} + question("б", "1"),
                     QVariantList{"5"} + question("в", "1")}}
        << QStringLiteral("select Код, Вопрос from БДТест")
        << QStringList{"#1 | 'в'", "#2 | 'а'", "#3 | 'б'"} << 0 << 0;

    const QString users = QStringLiteral("select Логин, Пароль, Группа from Пользователи order by Код");
    const QStringList uCols = {"Логин", "Пароль", "Группа"};
    QTest::newRow("old Admin replaces the created one")
        << "Пользователи"
        << OldTable{uCols, {{"Иванов", "1111", "9А"}, {"Admin", "старый пароль", null}, {"Петрова", "", "9Б"}}}
        << users << QStringList{"'Иванов' | '1111' | '9А'", "'Admin' | 'старый пароль' | NULL", "'Петрова' | '' | '9Б'"}
        << 0 << 0;
    QTest::newRow("every old Admin row kept")
        << "Пользователи" << OldTable{uCols, {{"Admin", "1", ""}, {"Admin", "2", ""}}} << users
        << QStringList{"'Admin' | '1' | ''", "'Admin' | '2' | ''"} << 0 << 0;
    QTest::newRow("no old Admin: the created one stays first")
        << "Пользователи" << OldTable{uCols, {{"admin", "x", ""}, {"Admin ", "y", ""}, {null, null, null}}} << users
        << QStringList{"'Admin' | '" + kCreatedAdminPassword + "' | ''", "'admin' | 'x' | ''", "'Admin ' | 'y' | ''",
                       "NULL | NULL | NULL"}
        << 0 << 0;
    QTest::newRow("old keys kept; the created Admin moves past them")
        << "Пользователи"
        << OldTable{{"Код", "Логин", "Пароль", "Группа"}, {{"1", "Иванов", "1", ""}, {"4", "Петрова", "2", null}}}
        << QStringLiteral("select Код, Логин, Группа from Пользователи")
        << QStringList{"#1 | 'Иванов' | ''", "#4 | 'Петрова' | NULL", "#5 | 'Admin' | ''"} << 0 << 0;
    QTest::newRow("fields at the length limit")
        << "Пользователи"
        << OldTable{uCols,
                    {{QString(schema::kTextFieldLimit, QChar(0x0416)), QString(schema::kTextFieldLimit, 'p'),
                      QString(schema::kTextFieldLimit, 'g')}}}
        << QStringLiteral("select length(Логин), length(Пароль), length(Группа) from Пользователи where Логин <> 'Admin'")
        << QStringList{"#50 | #50 | #50"} << 0 << 0;

    const QString results = QStringLiteral("select Пользователь, Верно from Тесты order by Код");
    QTest::newRow("Верно: whole numbers from 0 to 255, else NULL")
        << "Тесты"
        << OldTable{{"Пользователь", "Верно", "Дата"},
                    {{"Иванов", "27", "2004-05-01"}, {"Иванов", "0", null}, {"Петрова", "255", null},
                     {"Петрова", "256", null}, {"Сидоров", "-1", null}, {"Сидоров", "12,5", null},
                     {"Кузнецова", null, null}, {"Кузнецова", "30.0", null}}}
        << results
        << QStringList{"'Иванов' | #27", "'Иванов' | #0", "'Петрова' | #255", "'Петрова' | NULL", "'Сидоров' | NULL",
                       "'Сидоров' | NULL", "'Кузнецова' | NULL", "'Кузнецова' | #30"}
        << 0 << 4;

    QTest::newRow("dates and keys of results kept, NULL apart from empty")
        << "Тесты"
        << OldTable{{"Код", "Пользователь", "Верно", "Дата", "Оценка"},
                    {{"3", "Иванов", "27", "2004-05-01 10:30:15", "5"},
                     {"8", "Петрова", "12", null, null},
                     {"9", "", "0", "", "2"}}}
        << QStringLiteral("select Код, Пользователь, Верно, Дата from Тесты")
        << QStringList{"#3 | 'Иванов' | #27 | '2004-05-01 10:30:15'", "#8 | 'Петрова' | #12 | NULL", "#9 | '' | #0 | ''"}
        << 0 << 0;
    QTest::newRow("material addresses kept as stored")
        << "Лекции"
        << OldTable{{"НазваниеЛекции", "АдресЛекции"},
                    {{"Лекция 1. Введение", "C:\\Курс\\lec1.htm"}, {"Без адреса", null}, {"", ""}}}
        << QStringLiteral("select НазваниеЛекции, АдресЛекции from Лекции order by Код")
        << QStringList{"'Лекция 1. Введение' | 'C:\\Курс\\lec1.htm'", "'Без адреса' | NULL", "'' | ''"} << 0 << 0;
    QTest::newRow("labs")
        << "Лабы" << OldTable{{"НазваниеЛабы", "АдресЛабы"}, {{"Лаба 2", "D:\\labs\\2.doc"}, {"Лаба 1", "1.doc"}}}
        << QStringLiteral("select НазваниеЛабы, АдресЛабы from Лабы order by Код")
        << QStringList{"'Лаба 2' | 'D:\\labs\\2.doc'", "'Лаба 1' | '1.doc'"} << 0 << 0;
    QTest::newRow("videos")
        << "Видео" << OldTable{{"НазваниеВидео", "АдресВидео"}, {{"Фильм", "\\\\server\\видео\\1.avi"}}}
        << QStringLiteral("select НазваниеВидео, АдресВидео from Видео order by Код")
        << QStringList{"'Фильм' | '\\\\server\\видео\\1.avi'"} << 0 << 0;
}

void TstImport::copy()
{
    QFETCH(QString, table);
    QFETCH(OldTable, old);
    QFETCH(QString, select);
    QFETCH(QStringList, expected);
    QFETCH(int, answerNulls);
    QFETCH(int, scoreNulls);

    FakeSource source;
    source.set(table, old);
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("db.mdb"));
    schema::createCourseFile(db, kCreatedAdminPassword);
    const course::OldCourse oldCourse = course::readOldCourse(source, QStringLiteral("old.mdb"));
    const course::CopyCounts counts = course::copyOldCourse(oldCourse, db);

    QCOMPARE(selectRendered(db, select), expected);
    // A converted course never hands a deleted row's key to a new row either.
    QCOMPARE(selectRendered(db, QStringLiteral("select count(*) from sqlite_master where type = 'table' and "
                                               "sql like '%Код INTEGER PRIMARY KEY AUTOINCREMENT%'")),
             QStringList{QStringLiteral("#6")});
    QCOMPARE(counts.answerNotNumber, answerNulls);
    QCOMPARE(counts.scoreNotNumber, scoreNulls);
    const QList<schema::TableColumns> &tables = schema::requiredTables();
    QCOMPARE(counts.rows.size(), tables.size());
    for (qsizetype t = 0; t < tables.size(); ++t) {
        const int copied = tables[t].table == table ? int(old.rows.size()) : 0;
        QCOMPARE(counts.rows[t], copied);
        // Пользователи also holds the created Admin unless the old course had its own.
        const int extra = tables[t].table == QStringLiteral("Пользователи") && oldCourse.adminRows == 0 ? 1 : 0;
        QCOMPARE(selectRendered(db, QStringLiteral("select count(*) from ") + tables[t].table),
                 QStringList{QStringLiteral("#%1").arg(copied + extra)});
    }
}

void TstImport::oldCourseRefused_data()
{
    QTest::addColumn<QString>("removeTable");
    QTest::addColumn<QString>("table");
    QTest::addColumn<OldTable>("old");
    QTest::addColumn<QStringList>("reason");

    QTest::newRow("missing table") << "Видео" << QString() << OldTable{}
                                   << QStringList{"нет таблицы «Видео»", "old.mdb"};
    QTest::newRow("missing column")
        << QString() << "Тесты" << OldTable{{"Пользователь", "Дата"}, {}}
        << QStringList{"В таблице «Тесты»", "нет столбца «Верно»"};
    QTest::newRow("missing columns")
        << QString() << "Лабы" << OldTable{{"Код"}, {}} << QStringList{"нет столбцов «НазваниеЛабы», «АдресЛабы»"};
    QTest::newRow("login over the limit")
        << QString() << "Пользователи"
        << OldTable{{"Логин", "Пароль", "Группа"},
                    {{"Иванов", "1", ""}, {QString(schema::kTextFieldLimit + 1, 'x'), "1", ""}}}
        << QStringList{"запись 2", "логин длиннее 50"};
    QTest::newRow("group over the limit")
        << QString() << "Пользователи"
        << OldTable{{"Логин", "Пароль", "Группа"}, {{"Иванов", "1", QString(schema::kTextFieldLimit + 1, 'g')}}}
        << QStringList{"запись 1 (логин «Иванов»)", "группа длиннее"};
}

// A refused old course changes nothing in the new file: no rows, the created Admin.
void TstImport::oldCourseRefused()
{
    QFETCH(QString, removeTable);
    QFETCH(QString, table);
    QFETCH(OldTable, old);
    QFETCH(QStringList, reason);

    FakeSource source;
    if (!removeTable.isEmpty())
        source.remove(removeTable);
    if (!table.isEmpty())
        source.set(table, old);
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("db.mdb"));
    schema::createCourseFile(db, kCreatedAdminPassword);
    try {
        course::copyOldCourse(course::readOldCourse(source, QStringLiteral("old.mdb")), db);
        QFAIL("the old course was accepted");
    } catch (const AppError &e) {
        for (const QString &r : reason)
            QVERIFY2(e.text().contains(r), qPrintable(e.text()));
    }
    QCOMPARE(selectRendered(db, QStringLiteral("select Логин, Пароль from Пользователи")),
             QStringList{"'Admin' | '" + kCreatedAdminPassword + "'"});
}

// A row the file refuses part-way rolls the whole copy back, the Admin deletion too.
void TstImport::failedCopyLeavesCreatedFile()
{
    FakeSource source;
    source.set(QStringLiteral("Пользователи"), {{"Логин", "Пароль", "Группа"}, {{"Admin", "старый", ""}}});
    source.set(QStringLiteral("Лекции"), {{"НазваниеЛекции", "АдресЛекции"}, {{"Л1", "a.htm"}, {"Л2", "b.htm"}}});
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("db.mdb"));
    schema::createCourseFile(db, kCreatedAdminPassword);
    {
        const QString name = QUuid::createUuid().toString();
        {
            QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            c.setDatabaseName(db);
            QVERIFY(c.open());
            QSqlQuery q(c);
            QVERIFY(q.exec(QStringLiteral("create trigger no_b before insert on Лекции when new.АдресЛекции = 'b.htm' "
                                          "begin select raise(abort, 'refused'); end")));
        }
        QSqlDatabase::removeDatabase(name);
    }
    try {
        course::copyOldCourse(course::readOldCourse(source, QStringLiteral("old.mdb")), db);
        QFAIL("the copy succeeded");
    } catch (const AppError &e) {
        QVERIFY2(e.text().contains(QStringLiteral("«Лекции», запись 2")), qPrintable(e.text()));
    }
    QCOMPARE(selectRendered(db, QStringLiteral("select Логин, Пароль from Пользователи")),
             QStringList{"'Admin' | '" + kCreatedAdminPassword + "'"});
    QCOMPARE(selectRendered(db, QStringLiteral("select count(*) from Лекции")), QStringList{"#0"});
}

// Every refusal of the command: exit 1, nothing on stdout, a Russian reason on
// stderr, and the folder byte for byte as before.
void TstImport::toolRefuses_data()
{
    QTest::addColumn<QStringList>("args");     // %D: the course folder, %F: the Access fixture
    QTest::addColumn<QStringList>("existing"); // files in %D beforehand; "db.mdb=fixture" copies the fixture
    QTest::addColumn<QStringList>("reason");

    const QString pass = QStringLiteral("--admin-password");
    QTest::newRow("fixture lacks the six tables")
        << QStringList{"import", "%F", "%D/новый курс", pass, "x"} << QStringList{}
        << QStringList{"нет таблиц курса прежней версии учебника («БДТест», «Пользователи», «Тесты», «Лекции», "
                       "«Лабы», «Видео»)",
                       "testUnicodeCompV2003.mdb"};
    QTest::newRow("fixture in place lacks the six tables")
        << QStringList{"import", "%D/db.mdb", "%D", pass, "x"} << QStringList{"db.mdb=fixture", "Clear.htm"}
        << QStringList{"нет таблиц курса"};
    QTest::newRow("in place through another spelling of the path")
        << QStringList{"import", "%D/./sub/../db.mdb", "%D"} << QStringList{"db.mdb=fixture", "sub/x"}
        << QStringList{"нет таблиц"};
    QTest::newRow("never over a course file")
        << QStringList{"import", "%F", "%D", pass, "x"} << QStringList{"db.mdb"}
        << QStringList{"уже существует", "не будет перезаписан"};
    QTest::newRow("never over an earlier backup")
        << QStringList{"import", "%D/db.mdb", "%D", pass, "x"}
        << QStringList{"db.mdb=fixture", "db.mdb.access-backup"} << QStringList{"db.mdb.access-backup", "уже существует"};
    QTest::newRow("old file missing") << QStringList{"import", "%D/нет.mdb", "%D/new", pass, "x"} << QStringList{}
                                      << QStringList{"не найден"};
    QTest::newRow("old file not Access")
        << QStringList{"import", "%D/old.mdb", "%D/new", pass, "x"} << QStringList{"old.mdb"}
        << QStringList{"не является базой данных Microsoft Access"};
    QTest::newRow("folder is a file")
        << QStringList{"import", "%F", "%D/notes.txt", pass, "x"} << QStringList{"notes.txt"}
        << QStringList{"не папка"};

    QTest::newRow("no arguments") << QStringList{"import"} << QStringList{} << QStringList{"не указан файл курса"};
    QTest::newRow("no folder") << QStringList{"import", "%F"} << QStringList{} << QStringList{"не указана папка"};
    QTest::newRow("password option alone") << QStringList{"import", pass} << QStringList{}
                                           << QStringList{"нужно указать пароль"};
    QTest::newRow("three paths") << QStringList{"import", "%F", "%D", "%D/2"} << QStringList{}
                                 << QStringList{"лишний параметр"};
    QTest::newRow("password twice") << QStringList{"import", "%F", "%D/new", pass, "a", pass + "=b"}
                                    << QStringList{} << QStringList{"дважды"};
    QTest::newRow("unknown option") << QStringList{"import", "--force", "%F", "%D/new"} << QStringList{}
                                    << QStringList{"неизвестный параметр «--force»"};
}

void TstImport::toolRefuses()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, existing);
    QFETCH(QStringList, reason);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString dir = root.filePath(QStringLiteral("курс"));
    QVERIFY(QDir().mkpath(dir));
    for (const QString &e : existing) {
        if (e == QLatin1String("db.mdb=fixture"))
            QVERIFY(QFile::copy(kFixture, QDir(dir).filePath(QStringLiteral("db.mdb"))));
        else
            QVERIFY(writeFile(QDir(dir).filePath(e), "прежнее содержимое " + e.toUtf8()));
    }
    for (QString &a : args)
        a.replace(QLatin1String("%D"), dir).replace(QLatin1String("%F"), kFixture);
    const auto before = snapshot(root.path());

    const Run r = runTool(args, root.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.out.isEmpty(), r.out.constData());
    QVERIFY2(r.errText().startsWith(QStringLiteral("etextbook-db: ")), r.err.constData());
    for (const QString &text : reason)
        QVERIFY2(r.errText().contains(text), r.err.constData());
    // libmdb's own English notes do not reach the user.
    QVERIFY2(!r.errText().contains(QStringLiteral("Couldn't")) && !r.errText().contains(QStringLiteral("error:")),
             r.err.constData());
    QCOMPARE(snapshot(root.path()), before);
}

// mdbtools' command-line programs read what the writer wrote, so the fixtures are
// Access files as a reader other than ours sees them.
void TstImport::writtenFileReadByMdbtools_data()
{
    QTest::addColumn<jetwriter::Version>("version");
    QTest::newRow("Jet 4") << jetwriter::Version::Jet4;
    QTest::newRow("Jet 3") << jetwriter::Version::Jet3;
}

void TstImport::writtenFileReadByMdbtools()
{
    QFETCH(jetwriter::Version, version);
    const QString tables = QStandardPaths::findExecutable(QStringLiteral("mdb-tables"));
    const QString exporter = QStandardPaths::findExecutable(QStringLiteral("mdb-export"));
    QVERIFY2(!tables.isEmpty() && !exporter.isEmpty(), "mdbtools is not installed (scripts/setup.sh installs it)");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.mdb"));
    QVERIFY(writeFile(path, jetwriter::write(oldCourseTables(QStringLiteral("C:\\Курс\\")), version)));

    auto run = [&](const QString &program, const QStringList &args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MDB_JET3_CHARSET"), QStringLiteral("CP1251"));
        env.insert(QStringLiteral("MDBICONV"), QStringLiteral("UTF-8"));
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    QCOMPARE(run(tables, {QStringLiteral("-1"), path}).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
             (QStringList{"БДТест", "Пользователи", "Тесты", "Лекции", "Лабы", "Видео"}));
    QCOMPARE(run(exporter, {QStringLiteral("-T"), QStringLiteral("%Y-%m-%d %H:%M:%S"), path, QStringLiteral("Тесты")}),
             QStringLiteral("Код,Пользователь,Верно,Дата\n4,\"Иванов\",27,\"2004-05-17 10:30:15\"\n6,\"Петрова\",30,\n"
                            "9,\"Иванов\",,\"1999-12-31 23:59:59\"\n"));
    QCOMPARE(run(exporter, {path, QStringLiteral("Лабы")}), QStringLiteral("Код,НазваниеЛабы,АдресЛабы\n"));
    const QString questions = run(exporter, {QStringLiteral("-b"), QStringLiteral("strip"), path, QStringLiteral("БДТест")});
    QVERIFY2(questions.startsWith(QStringLiteral("Код,Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр,Картинка\n"
                                                  "10,\"Сколько бит в байте?\",\"8\",\"16\",\"4\",\"2\",\"1\",\"1\","
                                                  "\"байт.bmp\"\n3,\"")),
             qPrintable(questions.left(300)));
    QVERIFY(questions.contains(QStringLiteral("\"") + QString(longQuestionText()).replace("\"", "\"\"") + "\""));
}

// The whole command on a whole course: every table as it was, keys and dates
// kept, the addresses mapped, and a summary that says what was not carried.
void TstImport::importWholeCourse_data()
{
    QTest::addColumn<jetwriter::Version>("version");
    QTest::newRow("Jet 4") << jetwriter::Version::Jet4;
    QTest::newRow("Jet 3 (Access 97)") << jetwriter::Version::Jet3;
}

void TstImport::importWholeCourse()
{
    QFETCH(jetwriter::Version, version);
    QTemporaryDir root;
    const QString files = root.filePath(QStringLiteral("курс-файлы"));
    QVERIFY(writeFile(files + QStringLiteral("/Лекции/лек1.htm"), "<p>1</p>"));
    const QString old = root.filePath(QStringLiteral("старый.mdb"));
    QVERIFY(writeFile(old, jetwriter::write(oldCourseTables(QStringLiteral("C:\\Курс\\")), version)));
    const QString dir = root.filePath(QStringLiteral("новый"));

    const Run r = runTool({QStringLiteral("import"), old, dir, QStringLiteral("--map-path"),
                           QStringLiteral("C:\\КУРС\\=") + files + QStringLiteral("/"),
                           QStringLiteral("--map-path=C:\\=/не/то/")},
                          root.path());
    QVERIFY2(r.code == 0, r.err.constData());
    const QString out = QString::fromUtf8(r.out);
    const QString db = QDir(dir).filePath(QStringLiteral("db.mdb"));

    QCOMPARE(selectRendered(db, QStringLiteral("select Код, Вопрос, Ответ3, Ответ4, ОтветПр from БДТест where Код <> 3")),
             (QStringList{"#7 | 'Столица России?' | 'Минск' | 'Рига' | NULL",
                          "#10 | 'Сколько бит в байте?' | '4' | '2' | #1"}));
    QCOMPARE(selectRendered(db, QStringLiteral("select Ответ1, Ответ3, Ответ4, Ответ5, ОтветПр from БДТест where Код = 3")),
             QStringList{"'Да' | '' | NULL | 'Ёлка' | #3"});
    QCOMPARE(selectRendered(db, QStringLiteral("select Вопрос from БДТест where Код = 3")),
             QStringList{QLatin1Char('\'') + longQuestionText() + QLatin1Char('\'')});
    QCOMPARE(selectRendered(db, QStringLiteral("select Код, Логин, Пароль, Группа from Пользователи")),
             (QStringList{"#1 | 'Admin' | 'старый' | ''", "#2 | 'Иванов' | '1111' | '9А'", "#3 | 'Иванов' | '2222' | NULL",
                          "#5 | 'Петрова' | '' | '9Б'"}));
    QCOMPARE(selectRendered(db, QStringLiteral("select * from Тесты")),
             (QStringList{"#4 | 'Иванов' | #27 | '2004-05-17 10:30:15'", "#6 | 'Петрова' | #30 | NULL",
                          "#9 | 'Иванов' | NULL | '1999-12-31 23:59:59'"}));
    QCOMPARE(selectRendered(db, QStringLiteral("select * from Лекции")),
             (QStringList{"#1 | 'Лекция 1. Введение' | '" + files + "/Лекции/лек1.htm'",
                          "#2 | 'Лекция 2' | '" + files + "/ЛЕКЦИИ/лек2.doc'", "#3 | 'Без адреса' | NULL"}));
    QCOMPARE(selectRendered(db, QStringLiteral("select count(*) from Лабы")), QStringList{"#0"});
    QCOMPARE(selectRendered(db, QStringLiteral("select * from Видео")),
             QStringList{"#1 | 'Фильм' | '\\\\server\\видео\\1.avi'"});

    const QStringList expectedLines = {
        version == jetwriter::Version::Jet4 ? QStringLiteral("(Microsoft Access, Jet 4)")
                                            : QStringLiteral("(Microsoft Access, Jet 3, текст в кодировке CP1251)"),
        QStringLiteral("    БДТест (вопросы теста): 3"),
        QStringLiteral("    Пользователи (учётные записи): 4"),
        QStringLiteral("    Лабы (лабораторные работы): 0"),
        QStringLiteral("номер верного ответа (ОтветПр) не целое число и сохранён пустым: 1"),
        QStringLiteral("  Перенесены также: БДТест.Код, Пользователи.Код, Тесты.Код, Тесты.Дата, Лекции.Код, Лабы.Код, "
                       "Видео.Код"),
        QStringLiteral("  Столбцы старого курса, которым нет места в новом, не перенесены: БДТест.Картинка"),
        QStringLiteral("  Адресов материалов исправлено по --map-path: 2"),
        QStringLiteral("  Адресов материалов, указывающих на несуществующий файл: 3 из 4:\n"
                       "    %1/ЛЕКЦИИ/лек2.doc\n    (пустой адрес)\n    \\\\server\\видео\\1.avi\n")
            .arg(files),
    };
    for (const QString &line : expectedLines)
        QVERIFY2(out.contains(line), qPrintable(line + QStringLiteral("\n---\n") + out));
    QVERIFY2(!out.contains(QStringLiteral("Номера записей (Код) не перенесены")), qPrintable(out));
}

// Jet 3 keeps no reliable code page of its own: the option decides, then the
// environment variable, then 1251. Table names are text of that code page too, so
// a wrong one already fails the search for the six tables.
void TstImport::jet3Charset()
{
    QTemporaryDir root;
    const QString old = root.filePath(QStringLiteral("old97.mdb"));
    QVERIFY(writeFile(old, jetwriter::write(oldCourseTables(QStringLiteral("C:\\Курс\\")), jetwriter::Version::Jet3)));
    struct EnvGuard {
        ~EnvGuard() { qunsetenv("MDB_JET3_CHARSET"); }
    } guard;
    qputenv("MDB_JET3_CHARSET", "KOI8-R");

    Run r = runTool({QStringLiteral("import"), old, root.filePath(QStringLiteral("env"))}, root.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.errText().contains(QStringLiteral("нет таблиц курса")), r.err.constData());

    r = runTool({QStringLiteral("import"), old, root.filePath(QStringLiteral("option")), QStringLiteral("--jet3-charset"),
                 QStringLiteral("CP1251")},
                root.path());
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(QString::fromUtf8(r.out).contains(QStringLiteral("Jet 3, текст в кодировке CP1251")));
    QCOMPARE(selectRendered(root.filePath(QStringLiteral("option/db.mdb")), QStringLiteral("select Логин from Пользователи")),
             (QStringList{"'Admin'", "'Иванов'", "'Иванов'", "'Петрова'"}));

    r = runTool({QStringLiteral("import"), old, root.filePath(QStringLiteral("bad")), QStringLiteral("--jet3-charset=НЕТ-ТАКОЙ")},
                root.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.errText().contains(QStringLiteral("кодировка «НЕТ-ТАКОЙ» неизвестна")), r.err.constData());

    r = runTool({QStringLiteral("import"), old, root.filePath(QStringLiteral("e")), QStringLiteral("--jet3-charset")},
                root.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.errText().contains(QStringLiteral("нужно указать значение")), r.err.constData());
    QCOMPARE(QDir(root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{QStringLiteral("option")});
}

void TstImport::mapAddress_data()
{
    QTest::addColumn<QStringList>("rules");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected"); // "-": no rule matches

    const QStringList course = {"C:\\Курс\\=/srv/курс/"};
    QTest::newRow("plain") << course << "C:\\Курс\\Лекции\\лек1.htm" << "/srv/курс/Лекции/лек1.htm";
    QTest::newRow("letter case ignored, the rest kept") << course << "c:\\КУРС\\лекции\\Лек1.HTM"
                                                        << "/srv/курс/лекции/Лек1.HTM";
    QTest::newRow("forward slashes in the address") << course << "C:/Курс/1.htm" << "/srv/курс/1.htm";
    QTest::newRow("only up to a folder boundary") << QStringList{"C:\\Курс=/srv/курс"} << "C:\\Курсы\\1.htm"
                                                  << "-";
    QTest::newRow("rule without separators") << QStringList{"C:\\Курс=/srv/курс"} << "C:\\Курс\\1.htm"
                                             << "/srv/курс/1.htm";
    QTest::newRow("whole address") << QStringList{"C:\\Курс\\1.htm=/srv/1.htm"} << "c:\\курс\\1.htm" << "/srv/1.htm";
    QTest::newRow("TO without a slash after a FROM with one") << QStringList{"C:\\Курс\\=/srv"}
                                                              << "C:\\Курс\\1.htm" << "/srv/1.htm";
    QTest::newRow("longest FROM wins, whatever the order")
        << QStringList{"C:\\Курс\\Видео\\=/video/", "C:\\=/c/", "C:\\Курс\\=/srv/"} << "C:\\Курс\\Видео\\1.avi"
        << "/video/1.avi";
    QTest::newRow("shorter rule for the rest") << QStringList{"C:\\Курс\\Видео\\=/video/", "C:\\=/c/"}
                                               << "C:\\Другое\\1.doc" << "/c/Другое/1.doc";
    QTest::newRow("network share") << QStringList{"\\\\server\\видео\\=/mnt/видео/"} << "\\\\SERVER\\Видео\\1.avi"
                                   << "/mnt/видео/1.avi";
    QTest::newRow("no rule matches") << course << "D:\\Курс\\1.htm" << "-";
    QTest::newRow("relative address") << course << "Лекции\\1.htm" << "-";
    QTest::newRow("Latin letters ignore case too") << QStringList{"C:\\Course\\=/srv/"} << "c:\\COURSE\\a.htm"
                                                   << "/srv/a.htm";
}

void TstImport::mapAddress()
{
    QFETCH(QStringList, rules);
    QFETCH(QString, address);
    QFETCH(QString, expected);
    QList<course::PathRule> parsed;
    for (const QString &r : rules)
        parsed << course::parsePathRule(r);
    const auto mapped = course::mapAddress(address, parsed);
    QCOMPARE(mapped ? *mapped : QStringLiteral("-"), expected);
}

void TstImport::badPathRule_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("reason");
    QTest::newRow("import: no =") << QStringList{"import", "old.mdb", "new", "--map-path", "C:\\Курс"}
                                  << "должно иметь вид ОТКУДА=КУДА";
    QTest::newRow("import: empty FROM") << QStringList{"import", "old.mdb", "new", "--map-path==/srv"}
                                        << "должно иметь вид ОТКУДА=КУДА";
    QTest::newRow("import: no value") << QStringList{"import", "old.mdb", "new", "--map-path"}
                                      << "нужно указать значение";
    QTest::newRow("map-paths: no rule") << QStringList{"map-paths", "курс"} << "ни одного правила";
    QTest::newRow("map-paths: empty TO") << QStringList{"map-paths", "курс", "C:\\="} << "ОТКУДА=КУДА";
    QTest::newRow("map-paths: no folder") << QStringList{"map-paths"} << "не указана папка";
    QTest::newRow("map-paths: not a course") << QStringList{"map-paths", "нет", "C:\\=/"} << "нет";
    QTest::newRow("dry run is for map-paths only") << QStringList{"import", "old.mdb", "new", "--dry-run"}
                                                   << "неизвестный параметр «--dry-run»";
}

void TstImport::badPathRule()
{
    QFETCH(QStringList, args);
    QFETCH(QString, reason);
    QTemporaryDir root;
    const auto before = snapshot(root.path());
    const Run r = runTool(args, root.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.errText().contains(reason), r.err.constData());
    QCOMPARE(snapshot(root.path()), before);
}

// map-paths over a course already converted: a dry run lists and leaves the file
// byte for byte; the real run changes exactly the matching addresses.
void TstImport::mapPathsCommand()
{
    QTemporaryDir root;
    const QString files = root.filePath(QStringLiteral("файлы"));
    QVERIFY(writeFile(files + QStringLiteral("/Лекции/лек1.htm"), "<p>1</p>"));
    QVERIFY(writeFile(files + QStringLiteral("/ЛЕКЦИИ/лек2.doc"), "doc"));
    const QString old = root.filePath(QStringLiteral("old.mdb"));
    QVERIFY(writeFile(old, jetwriter::write(oldCourseTables(QStringLiteral("C:\\Курс\\")))));
    const QString dir = root.filePath(QStringLiteral("курс"));
    Run r = runTool({QStringLiteral("import"), old, dir}, root.path());
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(QString::fromUtf8(r.out).contains(QStringLiteral("несуществующий файл: 4 из 4")), r.out.constData());
    const QString db = QDir(dir).filePath(QStringLiteral("db.mdb"));
    const QByteArray stored = readAll(db);

    const QStringList rules = {QStringLiteral("c:\\курс\\=") + files + QStringLiteral("/"),
                               QStringLiteral("\\\\server\\=/mnt/")};
    r = runTool(QStringList{QStringLiteral("map-paths"), dir} + rules + QStringList{QStringLiteral("--dry-run")},
                root.path());
    QVERIFY2(r.code == 0, r.err.constData());
    QString out = QString::fromUtf8(r.out);
    QCOMPARE(readAll(db), stored);
    for (const QString &line :
         {QStringLiteral("Пробный запуск"), QStringLiteral("были бы исправлены адреса: 3"), QStringLiteral("    Лекции: 2"),
          QStringLiteral("    Видео: 1"),
          QStringLiteral("  Лекции, запись 1: C:\\Курс\\Лекции\\лек1.htm → %1/Лекции/лек1.htm").arg(files),
          QStringLiteral("  Видео, запись 1: \\\\server\\видео\\1.avi → /mnt/видео/1.avi"),
          QStringLiteral("несуществующий файл: 2 из 4")})
        QVERIFY2(out.contains(line), qPrintable(line + QStringLiteral("\n---\n") + out));

    r = runTool(QStringList{QStringLiteral("map-paths"), dir} + rules, root.path());
    QVERIFY2(r.code == 0, r.err.constData());
    out = QString::fromUtf8(r.out);
    QVERIFY2(out.contains(QStringLiteral("исправлены адреса материалов: 3")), qPrintable(out));
    QCOMPARE(selectRendered(db, QStringLiteral("select Код, АдресЛекции from Лекции")),
             (QStringList{"#1 | '" + files + "/Лекции/лек1.htm'", "#2 | '" + files + "/ЛЕКЦИИ/лек2.doc'", "#3 | NULL"}));
    QCOMPARE(selectRendered(db, QStringLiteral("select АдресВидео from Видео")), QStringList{"'/mnt/видео/1.avi'"});
    QVERIFY2(out.contains(QStringLiteral("несуществующий файл: 2 из 4:\n    (пустой адрес)\n    /mnt/видео/1.avi\n")),
             qPrintable(out));

    // Run again: nothing left to change.
    r = runTool(QStringList{QStringLiteral("map-paths"), dir} + rules, root.path());
    QVERIFY2(QString::fromUtf8(r.out).contains(QStringLiteral("исправлены адреса материалов: 0")), r.out.constData());
}

QTEST_MAIN(TstImport)
#include "tst_import.moc"
