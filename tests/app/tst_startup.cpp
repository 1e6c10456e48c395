// Start-up: the nine windows in their order, and the two ways start-up fails.
#include "TestSupport.h"
#include "app/Unit1.h"
#include "app/Unit9.h"
#include "access/Unit3.h"
#include "materials/Unit7.h"
#include "testing/Unit2.h"
#include "testing/Unit4.h"
#include "testing/Unit6.h"
#include "testing/Unit8.h"
#include "users/Unit5.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

using namespace testsupport;

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void windowsAreCreatedInOrder();
    void noDatabaseFile();
    void missingTable_data();
    void missingTable();
    void programExitsWithCodeOne_data();
    void programExitsWithCodeOne();
    void programHasNoHiddenAnsweringMode();
};

namespace {
QList<QWidget *> visibleTopLevels()
{
    QList<QWidget *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            out << w;
    return out;
}
} // namespace

void TestStartup::windowsAreCreatedInOrder()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    StatementLog log;
    Forms forms;
    QVERIFY(forms.ok());
    QVERIFY(dialogs.boxes.isEmpty());
    const QList<QWidget *> windows{Form1, Form2, Form3, Form4, Form5, Form6, Form7, Form8, Form9};
    for (QWidget *w : windows)
        QVERIFY(w && !w->isVisible());
    // Each window's start-up statements come after those of the windows before it.
    const QStringList order{
        QStringLiteral("select Вопрос from БДТест"),  QStringLiteral("select Ответ1 from БДТест"),
        QStringLiteral("select Ответ5 from БДТест"),  QStringLiteral("select ОтветПр from БДТест"),
        QStringLiteral("select Логин from Пользователи"), QStringLiteral("select Пароль from Пользователи"),
        QStringLiteral("select * from БДТест"),       QStringLiteral("select * from Пользователи"),
        QStringLiteral("select * from Тесты"),        QStringLiteral("select * from Лекции"),
        QStringLiteral("select * from Лабы"),         QStringLiteral("select * from Видео"),
    };
    const QStringList texts = log.texts();
    qsizetype last = -1;
    for (const QString &s : order) {
        const qsizetype at = texts.indexOf(s);
        QVERIFY2(at > last, qPrintable(s));
        last = at;
    }
    QCOMPARE(Form1->sPanel1->text(), QStringLiteral("ghg"));
    for (TSpeedButton *b : {Form1->sSpeedButton1, Form1->sSpeedButton2, Form1->sSpeedButton3,
                            Form1->sSpeedButton4, Form1->sSpeedButton5})
        QVERIFY(!b->Down());
    QVERIFY(!Form7->sGroupBox1->isVisibleTo(Form7));
}

void TestStartup::noDatabaseFile()
{
    CourseDir course(QString(), false);
    ScriptedDialogs dialogs;
    {
        Forms forms;
        QVERIFY(!forms.ok());
        QVERIFY(visibleTopLevels().isEmpty());
        QVERIFY(!Form1 && !Form2 && !Form9);
    }
    // First the connection, then the tester window's first statement.
    QCOMPARE(dialogs.boxes.size(), 2);
    QVERIFY2(dialogs.boxes[0].text.contains(QStringLiteral("db.mdb не найден")), qPrintable(dialogs.boxes[0].text));
    QVERIFY2(dialogs.boxes[1].text.startsWith(QStringLiteral("Нет соединения с базой данных")),
             qPrintable(dialogs.boxes[1].text));
    // The program is ending already: the box says what to check, not to close it.
    QVERIFY2(!dialogs.boxes[1].text.contains(QStringLiteral("Закройте")), qPrintable(dialogs.boxes[1].text));
    QVERIFY2(dialogs.boxes[1].text.contains(QStringLiteral("db.mdb")), qPrintable(dialogs.boxes[1].text));
    for (const auto &b : dialogs.boxes) {
        QCOMPARE(b.icon, ui::Icon::Error);
        QCOMPARE(b.title, QStringLiteral("Электронный учебник"));
    }
    QVERIFY(!QFile::exists(course.dbPath()));
}

void TestStartup::missingTable_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("expected");
    QTest::newRow("question bank") << "БДТест" << "нет таблицы «БДТест»";
    QTest::newRow("accounts") << "Пользователи" << "нет таблицы «Пользователи»";
    QTest::newRow("results") << "Тесты" << "нет таблицы «Тесты»";
    QTest::newRow("videos") << "Видео" << "нет таблицы «Видео»";
}

void TestStartup::missingTable()
{
    QFETCH(QString, table);
    QFETCH(QString, expected);
    CourseDir course;
    course.exec(QStringLiteral("drop table ") + table);
    course.closeOwnConnection();
    const QByteArray before = [&] {
        QFile f(course.dbPath());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    ScriptedDialogs dialogs;
    {
        Forms forms;
        QVERIFY(!forms.ok());
        QVERIFY(visibleTopLevels().isEmpty());
    }
    QCOMPARE(dialogs.boxes.size(), 1);
    QVERIFY2(dialogs.boxes[0].text.contains(expected), qPrintable(dialogs.boxes[0].text));
    QFile f(course.dbPath());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestStartup::programExitsWithCodeOne_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("errorBoxes");
    QTest::newRow("no file") << "none" << 2;
    QTest::newRow("missing table") << "drop" << 1;
}

void TestStartup::programExitsWithCodeOne()
{
    QFETCH(QString, damage);
    QFETCH(int, errorBoxes);
    CourseDir course(QStringLiteral("admin"), damage != QLatin1String("none"));
    if (damage == QLatin1String("drop"))
        course.exec(QStringLiteral("drop table Лабы"));
    course.closeOwnConnection();
    // The program's own start-up and exit, with its boxes written out by the driver.
    QProcess p;
    p.setWorkingDirectory(course.path());
    p.start(QStringLiteral(ETEXTBOOK_BINARY_DIR "/tests/etextbook-driver"), {QStringLiteral("run"), course.path()});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 1);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(err.count(QStringLiteral("[error]")), errorBoxes);
}

// Boxes answered without a person belong to the test driver, which installs its
// own; the installed program has no setting that would confirm deletions unseen.
void TestStartup::programHasNoHiddenAnsweringMode()
{
    QFile program(QStringLiteral(ETEXTBOOK_BINARY_DIR "/src/etextbook"));
    QVERIFY(program.open(QIODevice::ReadOnly));
    const QByteArray bytes = program.readAll();
    QVERIFY(bytes.size() > 100000);
    QVERIFY(!bytes.contains("HEADLESS"));
}

ETEXTBOOK_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
