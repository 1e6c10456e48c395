// The data layer: the statement object, the engine's Like, the connection's
// checks of the file, and the messages engine failures turn into.
#include "TestSupport.h"
#include "common/Errors.h"
#include "data/Connection.h"
#include "data/DataSet.h"
#include "data/EngineErrors.h"
#include "data/Like.h"
#include "data/Query.h"
#include "data/Schema.h"

#include <QApplication>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

using namespace testsupport;

class TestData : public QObject {
    Q_OBJECT
private slots:
    void parameterNamesComeFromTheText();
    void unknownParameterIsAnError();
    void statementsAreIssuedExactly();
    void likeMatching_data();
    void likeMatching();
    void likeInStatements();
    void equalsStaysExact();
    void recordCountAndWalk();
    void openResultHoldsNoLock();
    void keysAreNeverReused();
    void courseFileOfAnEarlierBuildKeepsWorking();
    void postDoesNotOverwriteAnotherCopysChange_data();
    void postDoesNotOverwriteAnotherCopysChange();
    void readTransactionSeesOneSnapshot();
    void fileChecks_data();
    void fileChecks();
    void connectionNeverCreatesTheFile();
    void missingTableReadsInRussian();
    void lockedFileTimesOutWithMessage();
    void errorBoxTextRule_data();
    void errorBoxTextRule();
    void runActionKeepsEarlierSteps();
};

void TestData::parameterNamesComeFromTheText()
{
    CourseDir course;
    data::Connection c;
    c.open();
    data::Query q(c);
    q.addLine(QStringLiteral("insert into Пользователи(Логин, Пароль, Группа) values (:a1,:a2,:a3 )"));
    QCOMPARE(q.parameterNames(), (QStringList{"a1", "a2", "a3"}));
    q.clearSQL();
    q.addLine(QStringLiteral("select * from Тесты"));
    q.addLine(QStringLiteral("where Пользователь= :a"));
    QCOMPARE(q.parameterNames(), QStringList{"a"});
    // A colon inside a quoted literal is text, not a parameter.
    QCOMPARE(data::parseParameterNames(QStringLiteral("select ':x' , \":y\" from t where a=:b")), QStringList{"b"});
    q.clearParameters();
    QVERIFY(q.parameterNames().isEmpty());
}

void TestData::unknownParameterIsAnError()
{
    CourseDir course;
    data::Connection c;
    c.open();
    data::Query q(c);
    q.addLine(QStringLiteral("select * from Тесты"));
    q.addLine(QStringLiteral("where Пользователь= :a"));
    QVERIFY_THROWS_EXCEPTION(AppError, q.setParameter(QStringLiteral("a1"), QStringLiteral("x")));
    q.setParameter(QStringLiteral("a"), QStringLiteral("x"));
    q.clearParameters();
    QVERIFY_THROWS_EXCEPTION(AppError, q.setParameter(QStringLiteral("a"), QStringLiteral("x")));
}

void TestData::statementsAreIssuedExactly()
{
    CourseDir course;
    data::Connection c;
    c.open();
    StatementLog log;
    data::Query q(c);
    q.addLine(QStringLiteral("Insert into Тесты(Пользователь,Верно)"));
    q.addLine(QStringLiteral("values(:a1,:a2)"));
    q.setParameter(QStringLiteral("a1"), QStringLiteral("Иванов"));
    q.setParameter(QStringLiteral("a2"), QVariant::fromValue<quint8>(17));
    q.ExecSQL();
    QCOMPARE(log.entries.size(), 1);
    QCOMPARE(log.entries[0].text, QStringLiteral("Insert into Тесты(Пользователь,Верно)\nvalues(:a1,:a2)"));
    QCOMPARE(log.entries[0].params.value("a1").toString(), QStringLiteral("Иванов"));
    QCOMPARE(log.entries[0].params.value("a2").toInt(), 17);
    const auto stored = course.rows(QStringLiteral("select Пользователь, Верно, typeof(Верно), Дата from Тесты"));
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0][0].toString(), QStringLiteral("Иванов"));
    QCOMPARE(stored[0][1].toInt(), 17);
    QCOMPARE(stored[0][2].toString(), QStringLiteral("integer"));
    QVERIFY(!stored[0][3].toString().isEmpty()); // the engine dates the result
}

void TestData::likeMatching_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("match");
    QTest::newRow("contains") << "%лек%" << "Вторая лекция" << true;
    QTest::newRow("cyrillic case") << "%ЛЕКЦИЯ%" << "лекция 1" << true;
    QTest::newRow("cyrillic case ё") << "%ЁЖ%" << "ёж" << true;
    QTest::newRow("latin case") << "%html%" << "Intro HTML" << true;
    QTest::newRow("no match") << "%видео%" << "лекция" << false;
    QTest::newRow("underscore one char") << "л_к" << "лук" << true;
    QTest::newRow("underscore not two") << "л_к" << "лупк" << false;
    QTest::newRow("percent empty run") << "%%" << "" << true;
    QTest::newRow("typed percent is a wildcard") << "%50%%" << "50 на 50" << true;
    QTest::newRow("anchored") << "abc" << "abcd" << false;
    QTest::newRow("backtracking") << "%a%b%c" << "xxaxxbxxbxc" << true;
    QTest::newRow("emoji one char") << "_" << QString::fromUtf8("😀") << true;
    QTest::newRow("line break inside") << "%a\nb%" << "xa\nbx" << true;
    QTest::newRow("nul inside") << QString("%a") + QChar(0) + "b%" << QString("a") + QChar(0) + "b" << true;
}

void TestData::likeMatching()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, match);
    QCOMPARE(data::likeMatch(pattern, text), match);
}

void TestData::likeInStatements()
{
    CourseDir course;
    course.exec(QStringLiteral("insert into Лекции(НазваниеЛекции, АдресЛекции) values ('Системы Счисления', '/a'),"
                               "('ЛОГИКА', '/b'), ('Логика_2', '/c'), (NULL, '/d')"));
    data::Connection c;
    c.open();
    data::Query q(c);
    q.addLine(QStringLiteral("select * from Лекции"));
    q.addLine(QStringLiteral("where НазваниеЛекции  Like :a "));
    auto count = [&](const QString &typed) {
        q.setParameter(QStringLiteral("a"), QStringLiteral("%") + typed + QStringLiteral("%"));
        q.Open();
        return q.RecordCount();
    };
    QCOMPARE(count(QStringLiteral("логика")), 2);
    QCOMPARE(count(QStringLiteral("счисления")), 1);
    QCOMPARE(count(QStringLiteral("_")), 3); // "_" is a wildcard: every non-null name
    QCOMPARE(count(QString()), 3);           // "%%" skips the null name
    // A long typed text is no problem for the matcher.
    QCOMPARE(count(QString(100000, u'я')), 0);
}

void TestData::equalsStaysExact()
{
    CourseDir course;
    course.addUser(QStringLiteral("Петров"), QStringLiteral("1"));
    data::Connection c;
    c.open();
    data::Query q(c);
    q.addLine(QStringLiteral("select * from Пользователи"));
    q.addLine(QStringLiteral("where Логин= :a"));
    q.setParameter(QStringLiteral("a"), QStringLiteral("петров"));
    q.Open();
    QCOMPARE(q.RecordCount(), 0);
    q.setParameter(QStringLiteral("a"), QStringLiteral("Петров"));
    q.Open();
    QCOMPARE(q.RecordCount(), 1);
}

void TestData::recordCountAndWalk()
{
    CourseDir course;
    for (int i = 0; i < 5; ++i)
        course.addUser(QStringLiteral("u%1").arg(i), QStringLiteral("p"));
    course.exec(QStringLiteral("update Пользователи set Пароль = NULL where Логин = 'u3'"));
    data::Connection c;
    c.open();
    data::Query q(c);
    q.addLine(QStringLiteral("select Пароль from Пользователи"));
    q.Open();
    QCOMPARE(q.RecordCount(), 6);
    QStringList seen;
    for (q.First(); !q.Eof(); q.Next())
        seen << q.fieldAsText(0);
    QCOMPARE(seen, (QStringList{"admin", "p", "p", "p", "", "p"}));
    q.Close();
    QVERIFY(q.Eof());
    q.addLine(QStringLiteral("where 1 = 0"));
    q.Open();
    QCOMPARE(q.RecordCount(), 0);
    QVERIFY(q.Eof()); // end of data at once
}

void TestData::openResultHoldsNoLock()
{
    CourseDir course;
    for (int i = 0; i < 200; ++i)
        course.addUser(QStringLiteral("u%1").arg(i), QStringLiteral("p"));
    data::Connection reader;
    reader.open();
    data::Query q(reader);
    q.addLine(QStringLiteral("select * from Пользователи"));
    q.Open();
    q.Next();
    // A second program writes while the result is open and half read.
    data::Connection writer;
    writer.open();
    writer.setBusyTimeout(200);
    data::Query w(writer);
    w.addLine(QStringLiteral("delete from Пользователи where Логин = 'u5'"));
    w.ExecSQL();
    QCOMPARE(course.count(QStringLiteral("Пользователи")), 200);
    QCOMPARE(q.RecordCount(), 201); // the open result is a snapshot
}

namespace {

// One copy of the program's question editor: its own connection and data set.
struct EditorCopy {
    data::Connection connection;
    data::DataSet set{connection};
    EditorCopy()
    {
        connection.open();
        set.setUpdateTable(QStringLiteral("БДТест"), QStringLiteral("Код"));
        set.query().addLine(QStringLiteral("select * from БДТест"));
        set.Open();
    }
    int column(const char *name) const { return set.fieldIndex(QString::fromUtf8(name)); }
};

void addQuestions(CourseDir &course, int n)
{
    for (int i = 1; i <= n; ++i)
        course.addQuestion(QStringLiteral("Вопрос %1").arg(i), {"a", "b", "c", "d", QString()}, 1);
}

} // namespace

void TestData::keysAreNeverReused()
{
    CourseDir course;
    QCOMPARE(course.rows(QStringLiteral("select count(*) from sqlite_master where type = 'table' and "
                                        "sql like '%AUTOINCREMENT%'")).value(0).value(0).toInt(),
             6);
    addQuestions(course, 3);
    EditorCopy a;
    EditorCopy b;
    const qint64 lastKey = course.rows(QStringLiteral("select max(Код) from БДТест")).value(0).value(0).toLongLong();

    // Copy A has the last question in editing while copy B deletes it and adds one.
    a.set.Last();
    a.set.setFieldValue(a.column("Вопрос"), QStringLiteral("правка копии A"));
    b.set.Last();
    b.set.Delete();
    b.set.Append();
    b.set.setFieldValue(b.column("Вопрос"), QStringLiteral("новый вопрос копии B"));
    b.set.Post();
    const qint64 newKey = course.rows(QStringLiteral("select max(Код) from БДТест")).value(0).value(0).toLongLong();
    QVERIFY2(newKey > lastKey, qPrintable(QStringLiteral("key %1 handed out again").arg(newKey)));

    // A's change and A's delete find their row gone; B's new row is left alone.
    QVERIFY_THROWS_EXCEPTION(AppError, a.set.Post());
    QCOMPARE(a.set.state(), data::DataSet::State::Edit);
    a.set.Cancel();
    a.set.Delete();
    QCOMPARE(course.rows(QStringLiteral("select Вопрос from БДТест where Код = ?"), {newKey}).value(0).value(0),
             QVariant(QStringLiteral("новый вопрос копии B")));
    QCOMPARE(course.count(QStringLiteral("БДТест")), 3);
}

void TestData::courseFileOfAnEarlierBuildKeepsWorking()
{
    // Earlier builds declared the keys without AUTOINCREMENT.
    CourseDir course(QString(), false);
    {
        const QString name = QStringLiteral("old-build");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(course.dbPath());
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (QString stmt : schema::createStatements()) {
                stmt.replace(QStringLiteral(" AUTOINCREMENT"), QString());
                QVERIFY2(q.exec(stmt), qPrintable(q.lastError().text()));
            }
            QVERIFY(q.exec(QStringLiteral("insert into Пользователи(Логин, Пароль, Группа) values ('Admin', 'admin', '')")));
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    QCOMPARE(course.rows(QStringLiteral("select count(*) from sqlite_master where sql like '%AUTOINCREMENT%'"))
                 .value(0).value(0).toInt(),
             0);
    addQuestions(course, 2);
    EditorCopy a;
    a.set.Append();
    a.set.setFieldValue(a.column("Вопрос"), QStringLiteral("третий"));
    a.set.Post();
    a.set.First();
    a.set.setFieldValue(a.column("Ответ1"), QStringLiteral("правка"));
    a.set.Post();
    a.set.Last();
    a.set.Delete();
    data::Query insert(a.connection);
    insert.addLine(QStringLiteral("Insert into Тесты(Пользователь,Верно)"));
    insert.addLine(QStringLiteral("values(:a1,:a2)"));
    insert.setParameter(QStringLiteral("a1"), QStringLiteral("Admin"));
    insert.setParameter(QStringLiteral("a2"), QVariant::fromValue<quint8>(7));
    insert.ExecSQL();
    QCOMPARE(course.rows(QStringLiteral("select Вопрос, Ответ1 from БДТест order by Код")),
             (QList<QVariantList>{{QStringLiteral("Вопрос 1"), QStringLiteral("правка")},
                                  {QStringLiteral("Вопрос 2"), QStringLiteral("a")}}));
    QCOMPARE(course.count(QStringLiteral("Тесты")), 1);
}

void TestData::postDoesNotOverwriteAnotherCopysChange_data()
{
    QTest::addColumn<QString>("otherColumn"); // changed by the other copy meanwhile
    QTest::addColumn<QVariant>("otherValue");
    QTest::addColumn<QString>("myColumn");    // changed here
    QTest::addColumn<bool>("refused");
    QTest::newRow("same column") << "Вопрос" << QVariant(QStringLiteral("чужая правка")) << "Вопрос" << true;
    QTest::newRow("same column, was null") << "Ответ5" << QVariant(QStringLiteral("чужая правка")) << "Ответ5"
                                           << true;
    QTest::newRow("same column, now null") << "Ответ1" << QVariant() << "Ответ1" << true;
    QTest::newRow("same number column") << "ОтветПр" << QVariant(4) << "ОтветПр" << true;
    QTest::newRow("another column") << "Ответ1" << QVariant(QStringLiteral("чужая правка")) << "Вопрос" << false;
    QTest::newRow("written back unchanged") << "Вопрос" << QVariant(QStringLiteral("Вопрос 2")) << "Вопрос"
                                            << false;
}

void TestData::postDoesNotOverwriteAnotherCopysChange()
{
    QFETCH(QString, otherColumn);
    QFETCH(QVariant, otherValue);
    QFETCH(QString, myColumn);
    QFETCH(bool, refused);
    CourseDir course;
    addQuestions(course, 3);
    EditorCopy a;
    a.set.Next();
    const qint64 key = a.set.fieldValue(a.column("Код")).toLongLong();
    course.exec(QStringLiteral("update БДТест set %1 = ? where Код = ?").arg(otherColumn), {otherValue, key});

    const QVariant mine = myColumn == QStringLiteral("ОтветПр") ? QVariant(2) : QVariant(QStringLiteral("моя правка"));
    a.set.setFieldValue(a.set.fieldIndex(myColumn), mine);
    if (!refused) {
        a.set.Post();
        QCOMPARE(course.rows(QStringLiteral("select %1, %2 from БДТест where Код = ?").arg(otherColumn, myColumn),
                             {key}).value(0),
                 otherColumn == myColumn ? (QVariantList{mine, mine}) : (QVariantList{otherValue, mine}));
        return;
    }
    try {
        a.set.Post();
        QFAIL("another copy's change was overwritten");
    } catch (const AppError &e) {
        QVERIFY2(e.text().contains(QStringLiteral("другой копии программы")), qPrintable(e.text()));
    }
    // The row stays in editing with what was typed; the file keeps the other change.
    QCOMPARE(a.set.state(), data::DataSet::State::Edit);
    QCOMPARE(a.set.fieldValue(a.set.fieldIndex(myColumn)), mine);
    const QVariant stored = course.rows(QStringLiteral("select %1 from БДТест where Код = ?").arg(myColumn), {key})
                                .value(0).value(0);
    QCOMPARE(stored.isNull(), otherValue.isNull());
    if (!otherValue.isNull())
        QCOMPARE(stored.toString(), otherValue.toString());
    // Once read again, the same change goes through.
    a.set.Cancel();
    a.set.Refresh();
    a.set.setFieldValue(a.set.fieldIndex(myColumn), mine);
    a.set.Post();
    QCOMPARE(course.rows(QStringLiteral("select %1 from БДТест where Код = ?").arg(myColumn), {key})
                 .value(0).value(0).toString(),
             mine.toString());
}

// Reads that pair rows by position must see one state of the file, and keep no
// lock once they are done.
void TestData::readTransactionSeesOneSnapshot()
{
    CourseDir course;
    addQuestions(course, 3);
    data::Connection reader;
    reader.open();
    data::Connection writer;
    writer.open();
    writer.setBusyTimeout(100);
    auto write = [&writer] {
        data::Query w(writer);
        w.addLine(QStringLiteral("delete from БДТест where Вопрос = 'Вопрос 1'"));
        w.ExecSQL();
    };
    data::Query first(reader), second(reader);
    first.addLine(QStringLiteral("select Вопрос from БДТест"));
    second.addLine(QStringLiteral("select Ответ1 from БДТест"));
    bool refused = false;
    reader.readTransaction([&] {
        first.Open();
        try {
            write();
        } catch (const AppError &) {
            refused = true;
        }
        second.Open();
    });
    QVERIFY2(refused, "another copy wrote between two reads of one group");
    QCOMPARE(first.RecordCount(), second.RecordCount());
    // Nothing stays locked: the same write goes through at once afterwards.
    write();
    QCOMPARE(course.count(QStringLiteral("БДТест")), 2);
    // Inside a write transaction the reads simply join it.
    reader.transaction([&] { reader.readTransaction([&] { first.Open(); }); });
    QCOMPARE(first.RecordCount(), 2);
}

void TestData::fileChecks_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("asFolder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing") << QByteArray() << false << "не найден";
    QTest::newRow("folder") << QByteArray() << true << "папка";
    QTest::newRow("empty") << QByteArray("") << false << "пуст";
    QTest::newRow("random") << QByteArray("\x13\x37 random bytes that are no database at all", 44) << false
                            << "не является базой данных";
    // A file Access itself wrote, not a header made up to match the check.
    const QByteArray access = readFixture(QStringLiteral("access/testUnicodeCompV2003.mdb"));
    QVERIFY2(!access.isEmpty(), qPrintable(fixturePath(QStringLiteral("access/testUnicodeCompV2003.mdb"))));
    QTest::newRow("access") << access << false << "Microsoft Access";
}

void TestData::fileChecks()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, asFolder);
    QFETCH(QString, expected);
    CourseDir course(QString(), false);
    if (asFolder)
        QVERIFY(QDir(course.path()).mkdir(QStringLiteral("db.mdb")));
    else if (QByteArray(QTest::currentDataTag()) != "missing") {
        QFile f(course.dbPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    data::Connection c;
    try {
        c.open();
        QFAIL("the connection opened");
    } catch (const AppError &e) {
        QVERIFY2(e.text().contains(expected), qPrintable(e.text()));
    }
    QVERIFY(!c.isOpen());
    if (!asFolder && QByteArray(QTest::currentDataTag()) != "missing") {
        QFile f(course.dbPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), content); // untouched
    }
}

void TestData::connectionNeverCreatesTheFile()
{
    CourseDir course(QString(), false);
    data::Connection c;
    QVERIFY_THROWS_EXCEPTION(AppError, c.open());
    QVERIFY(!QFile::exists(course.dbPath()));
    // The file is looked up in the working directory at the moment of opening.
    CourseDir other;
    c.open();
    QCOMPARE(c.filePath(), other.dbPath());
}

void TestData::missingTableReadsInRussian()
{
    CourseDir course;
    course.exec(QStringLiteral("drop table БДТест"));
    data::Connection c;
    c.open();
    data::Query q(c);
    q.addLine(QStringLiteral("select Вопрос from БДТест"));
    try {
        q.Open();
        QFAIL("opened");
    } catch (const AppError &e) {
        QVERIFY2(e.text().startsWith(QStringLiteral("В базе данных нет таблицы «БДТест»")), qPrintable(e.text()));
    }
}

void TestData::lockedFileTimesOutWithMessage()
{
    CourseDir course;
    course.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    data::Connection c;
    c.setBusyTimeout(300);
    try {
        c.open();
        data::Query q(c);
        q.addLine(QStringLiteral("insert into Тесты(Пользователь,Верно) values('x', 1)"));
        q.ExecSQL();
        QFAIL("wrote through an exclusive lock");
    } catch (const AppError &e) {
        QVERIFY2(e.text().contains(QStringLiteral("занята")), qPrintable(e.text()));
    }
    course.exec(QStringLiteral("ROLLBACK"));
}

void TestData::errorBoxTextRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Ошибка" << "Ошибка.";
    QTest::newRow("digit sorts after full stop") << "List index out of bounds (0" << "List index out of bounds (0.";
    QTest::newRow("closing bracket") << "List index out of bounds (0)" << "List index out of bounds (0)";
    QTest::newRow("already full stop") << "Готово." << "Готово.";
    QTest::newRow("exclamation") << "Не указано имя файла!" << "Не указано имя файла!";
    QTest::newRow("quote") << "'x' is not a valid integer value" << "'x' is not a valid integer value.";
    QTest::newRow("empty") << "" << "";
}

void TestData::errorBoxTextRule()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(ui::errorBoxText(text), shown);
}

void TestData::runActionKeepsEarlierSteps()
{
    ScriptedDialogs dialogs;
    int steps = 0;
    const bool ok = ui::runAction(nullptr, [&] {
        ++steps;
        throw AppError(QStringLiteral("Сбой"));
    });
    QVERIFY(!ok);
    QCOMPARE(steps, 1);
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes[0].title, QStringLiteral("Электронный учебник"));
    QCOMPARE(dialogs.boxes[0].text, QStringLiteral("Сбой."));
    QCOMPARE(dialogs.boxes[0].icon, ui::Icon::Error);
}

ETEXTBOOK_TEST_MAIN(TestData)
#include "tst_data.moc"
