// The data layer: the statement object, the engine's Like, the connection's
// checks of the file, and the messages engine failures turn into.
#include "TestSupport.h"
#include "common/Errors.h"
#include "data/Connection.h"
#include "data/EngineErrors.h"
#include "data/Like.h"
#include "data/Query.h"

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
    QFile jet(QStringLiteral(ETEXTBOOK_SOURCE_DIR "/tests/fixtures/access/testUnicodeCompV2003.mdb"));
    QByteArray access = jet.open(QIODevice::ReadOnly) ? jet.readAll() : QByteArray("\0\1\0\0Standard Jet DB\0", 20);
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
