// The converter for courses of the old Windows version: reading a real Access file
// (Cyrillic in Jet 4's compressed Unicode), the rules that carry the six old tables
// into a course file (through rows made up here, since no Access file with those
// tables can be made on this system), and `etextbook-db import` run as a program.
#include "AccessReader.h"
#include "OldCourse.h"
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
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include "ToolRun.h"

using course::OldTable;

namespace {

using toolrun::kTool;
using toolrun::Run;
using toolrun::runTool;
using toolrun::snapshot;
const QString kFixture = QStringLiteral(ETEXTBOOK_SHARED_DIR "/fixtures/testUnicodeCompV2003.mdb");
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

} // namespace

Q_DECLARE_METATYPE(course::OldTable)

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

QTEST_MAIN(TstImport)
#include "tst_import.moc"
