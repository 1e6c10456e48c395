// What a damaged or foreign course file does at start-up: a clear Russian
// message, exit code 1, no window, and the file exactly as it was.
#include "TestSupport.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTest>

using namespace testsupport;

namespace {

const QString kDriver = QStringLiteral(ETEXTBOOK_BINARY_DIR "/tests/etextbook-driver");

QByteArray fingerprint(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<none>");
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

struct Run {
    int code = -1;
    QString errors;
};

// Without arguments: the program's start-up as it is, its boxes written out by the driver.
Run runProgram(const QString &dir, const QString &program = kDriver, QStringList args = {},
               const QStringList &prefix = {})
{
    if (args.isEmpty())
        args = QStringList{QStringLiteral("run"), dir};
    QProcess p;
    p.setWorkingDirectory(dir);
    if (prefix.isEmpty())
        p.start(program, args);
    else
        p.start(prefix.first(), prefix.mid(1) + QStringList{program} + args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError()) + QString::fromUtf8(p.readAllStandardOutput())};
}

} // namespace

class TestBadFiles : public QObject {
    Q_OBJECT
private slots:
    void refusedAtStartup_data();
    void refusedAtStartup();
    void lockedPastTheTimeout();
    void readOnlyFileStartsButWritesFail();
};

void TestBadFiles::refusedAtStartup_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("expected");
    QTest::newRow("missing") << "missing" << "не найден";
    QTest::newRow("empty") << "empty" << "пуст";
    QTest::newRow("random bytes") << "random" << "не является базой данных";
    QTest::newRow("truncated") << "truncated" << "повреждён";
    QTest::newRow("access file") << "access" << "Microsoft Access";
    QTest::newRow("folder") << "folder" << "папка";
    QTest::newRow("table missing") << "table" << "нет таблицы «БДТест»";
    QTest::newRow("column missing") << "column" << "нет поля «Группа»";
}

void TestBadFiles::refusedAtStartup()
{
    QFETCH(QString, damage);
    QFETCH(QString, expected);
    CourseDir course(QStringLiteral("admin"), damage == QLatin1String("truncated") ||
                                                   damage == QLatin1String("table") ||
                                                   damage == QLatin1String("column"));
    const QString db = course.dbPath();
    auto write = [&](const QByteArray &bytes) {
        QFile f(db);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    if (damage == QLatin1String("empty")) {
        write(QByteArray());
    } else if (damage == QLatin1String("random")) {
        QByteArray bytes(8192, Qt::Uninitialized);
        for (char &c : bytes)
            c = char(QRandomGenerator::global()->bounded(256));
        write(bytes);
    } else if (damage == QLatin1String("truncated")) {
        for (int i = 0; i < 300; ++i)
            course.addQuestion(QStringLiteral("Вопрос %1 ").arg(i) + QString(200, u'ж'), {"1", "2", "3", "4", "5"}, 1);
        course.closeOwnConnection();
        QFile f(db);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.size() > 40000);
        f.resize(f.size() / 2);
    } else if (damage == QLatin1String("access")) {
        const QByteArray jet = readFixture(QStringLiteral("access/testUnicodeCompV2003.mdb"));
        QVERIFY2(!jet.isEmpty(), qPrintable(fixturePath(QStringLiteral("access/testUnicodeCompV2003.mdb"))));
        write(jet);
    } else if (damage == QLatin1String("folder")) {
        QVERIFY(QDir(course.path()).mkdir(QStringLiteral("db.mdb")));
    } else if (damage == QLatin1String("table")) {
        course.exec(QStringLiteral("drop table БДТест"));
    } else if (damage == QLatin1String("column")) {
        course.exec(QStringLiteral("alter table Пользователи drop column Группа"));
    }
    course.closeOwnConnection();
    const QByteArray before = fingerprint(db);
    const Run r = runProgram(course.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.errors.contains(expected), qPrintable(r.errors));
    QVERIFY2(r.errors.contains(QStringLiteral("[error] Электронный учебник: ")), qPrintable(r.errors));
    QCOMPARE(fingerprint(db), before);
    QVERIFY(!QFile::exists(db + QStringLiteral("-journal")));
}

void TestBadFiles::lockedPastTheTimeout()
{
    CourseDir course;
    course.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    const Run r = runProgram(course.path());
    course.exec(QStringLiteral("ROLLBACK"));
    QCOMPARE(r.code, 1);
    QVERIFY2(r.errors.contains(QStringLiteral("занята другой копией программы")), qPrintable(r.errors));
    // The box that ends start-up says the file was busy; it does not send the user
    // looking for a file that is there.
    QCOMPARE(r.errors.count(QStringLiteral("[error]")), 2);
    const QString last = r.errors.mid(r.errors.lastIndexOf(QStringLiteral("[error]")));
    QVERIFY2(last.contains(QStringLiteral("был занят")), qPrintable(last));
    QVERIFY2(!last.contains(QStringLiteral("не открыт")) && !last.contains(QStringLiteral("Закройте")), qPrintable(last));
}

void TestBadFiles::readOnlyFileStartsButWritesFail()
{
    // Root writes through any permission, so the program runs as an ordinary user.
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty() || ::geteuid() != 0)
        QSKIP("needs root and setpriv to run the program as an ordinary user");
    CourseDir course;
    course.addUser(QStringLiteral("Иванов"), QStringLiteral("1"));
    course.addQuestion(QStringLiteral("В"), {"1", "2", "3", "4", "5"}, 1);
    course.closeOwnConnection();
    QFile::setPermissions(course.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                             QFileDevice::ReadOther | QFileDevice::ExeOther |
                                             QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    QFile::setPermissions(course.dbPath(), QFileDevice::ReadOwner | QFileDevice::ReadOther | QFileDevice::ReadGroup);
    const QByteArray before = fingerprint(course.dbPath());
    const Run r = runProgram(course.path(), kDriver, {QStringLiteral("startup"), course.path()},
                             {setpriv, QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                              QStringLiteral("--clear-groups")});
    QCOMPARE(r.code, 0); // it starts
    QVERIFY2(r.errors.contains(QStringLiteral("только для чтения")), qPrintable(r.errors));
    QVERIFY(!r.errors.contains(QStringLiteral("OK write")));
    QCOMPARE(fingerprint(course.dbPath()), before);
}

ETEXTBOOK_TEST_MAIN(TestBadFiles)
#include "tst_badfiles.moc"
