// Several copies of the program on one file, and copies killed at random
// moments: nothing acknowledged is lost, nothing is stored twice, and the file
// stays sound.
#include "TestSupport.h"
#include "data/Connection.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>

using namespace testsupport;

namespace {

const QString kDriver = QStringLiteral(ETEXTBOOK_BINARY_DIR "/tests/etextbook-driver");

void seedCourse(CourseDir &course, const QStringList &logins)
{
    for (const QString &l : logins)
        course.addUser(l, QStringLiteral("pw"));
    for (int i = 0; i < 40; ++i)
        course.addQuestion(QStringLiteral("Вопрос %1").arg(i),
                           {QStringLiteral("а"), QStringLiteral("б"), QStringLiteral("в"), QStringLiteral("г"),
                            QStringLiteral("д")},
                           1 + i % 5);
    course.closeOwnConnection();
}

QString integrity(CourseDir &course)
{
    const QString r = course.rows(QStringLiteral("PRAGMA integrity_check")).value(0).value(0).toString();
    course.closeOwnConnection();
    return r;
}

} // namespace

class TestReliability : public QObject {
    Q_OBJECT
private slots:
    void concurrentCopies();
    void killedAtRandomMoments();
};

void TestReliability::concurrentCopies()
{
    const int processes = 5;
    const int ops = 40;
    CourseDir course;
    QStringList logins;
    for (int i = 0; i < processes; ++i)
        logins << QStringLiteral("w%1").arg(i);
    seedCourse(course, logins);

    QList<QProcess *> procs;
    for (int i = 0; i < processes; ++i) {
        auto *p = new QProcess(this);
        p->setProcessChannelMode(QProcess::SeparateChannels);
        QStringList args{QStringLiteral("worker"), course.path(), QString::number(i), QString::number(ops),
                         QString::number(1000 + i)};
        if (i == 0)
            args << QStringLiteral("passwd");
        p->start(kDriver, args);
        procs << p;
    }
    QMap<QString, QList<int>> scores;
    QSet<QString> accounts, materials;
    QString adminPassword = QStringLiteral("admin");
    int slowest = 0;
    QMap<QString, int> slowestByKind;
    int acknowledged = 0;
    for (QProcess *p : procs) {
        QVERIFY(p->waitForFinished(300000));
        const QString out = QString::fromUtf8(p->readAllStandardOutput());
        QVERIFY2(p->exitCode() == 0, qPrintable(out.right(2000) + QString::fromUtf8(p->readAllStandardError())));
        QVERIFY2(!out.contains(QStringLiteral("ERROR")), qPrintable(out));
        for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList w = line.split(QLatin1Char(' '));
            if (w.value(0) == QLatin1String("DONE")) {
                slowest = qMax(slowest, w.value(1).section(QLatin1Char('='), 1).chopped(2).toInt());
                for (const QString &k : w.mid(3)) {
                    const QString kind = k.section(QLatin1Char('='), 0, 0);
                    slowestByKind[kind] = qMax(slowestByKind.value(kind), k.section(QLatin1Char('='), 1).chopped(2).toInt());
                }
                continue;
            }
            if (w.value(0) != QLatin1String("OK"))
                continue;
            ++acknowledged;
            const QString kind = w.value(1);
            if (kind == QLatin1String("handin"))
                scores[w.value(2)] << w.value(3).toInt();
            else if (kind == QLatin1String("adduser"))
                accounts.insert(w.value(2));
            else if (kind == QLatin1String("deluser"))
                accounts.remove(w.value(2));
            else if (kind == QLatin1String("addmat"))
                materials.insert(w.value(2));
            else if (kind == QLatin1String("delmat"))
                materials.remove(w.value(2));
            else if (kind == QLatin1String("passwd"))
                adminPassword = w.value(2);
        }
    }
    qDeleteAll(procs);

    for (const QString &login : logins) {
        QList<int> stored;
        for (const auto &r : course.rows(QStringLiteral("select Верно from Тесты where Пользователь = ?"), {login}))
            stored << r.value(0).toInt();
        QList<int> expected = scores.value(login);
        std::sort(stored.begin(), stored.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(stored, expected);
    }
    QSet<QString> storedAccounts;
    for (const auto &r : course.rows(QStringLiteral("select Логин from Пользователи where Логин like 'w%-u%'"))) {
        QVERIFY2(!storedAccounts.contains(r.value(0).toString()), "an account stored twice");
        storedAccounts.insert(r.value(0).toString());
    }
    QCOMPARE(storedAccounts, accounts);
    QSet<QString> storedMaterials;
    for (const auto &r : course.rows(QStringLiteral("select НазваниеЛекции from Лекции"))) {
        QVERIFY2(!storedMaterials.contains(r.value(0).toString()), "a material stored twice");
        storedMaterials.insert(r.value(0).toString());
    }
    QCOMPARE(storedMaterials, materials);
    const auto admins = course.rows(QStringLiteral("select Пароль from Пользователи where Логин = 'Admin'"));
    QCOMPARE(admins.size(), 1);
    QCOMPARE(admins[0][0].toString(), adminPassword);
    QCOMPARE(integrity(course), QStringLiteral("ok"));
    QStringList kinds;
    for (auto it = slowestByKind.cbegin(); it != slowestByKind.cend(); ++it)
        kinds << QStringLiteral("%1 %2 ms").arg(it.key()).arg(it.value());
    qInfo("concurrent use: %d processes x %d operations, %d acknowledged, slowest operation %d ms (by kind: %s)",
          processes, ops, acknowledged, slowest, qPrintable(kinds.join(QStringLiteral(", "))));
}

void TestReliability::killedAtRandomMoments()
{
    CourseDir course;
    seedCourse(course, {QStringLiteral("c0")});
    QRandomGenerator rng(20261210);
    int confirmedHandins = 0;
    QString lastEdit;
    const int rounds = 8;
    for (int round = 0; round < rounds; ++round) {
        QProcess p;
        p.start(kDriver, {QStringLiteral("crashloop"), course.path(), QStringLiteral("0")});
        QVERIFY(p.waitForStarted());
        QString out;
        // Let it acknowledge something, then kill it at a random moment.
        QElapsedTimer t;
        t.start();
        while (!out.contains(QStringLiteral("CONFIRMED")) && t.elapsed() < 60000) {
            p.waitForReadyRead(100);
            out += QString::fromUtf8(p.readAllStandardOutput());
        }
        QTest::qWait(int(rng.bounded(50, 600)));
        ::kill(pid_t(p.processId()), SIGKILL);
        p.waitForFinished(10000);
        out += QString::fromUtf8(p.readAllStandardOutput());
        for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (line.startsWith(QStringLiteral("CONFIRMED handin ")))
                ++confirmedHandins;
            else if (line.startsWith(QStringLiteral("CONFIRMED edit ")))
                lastEdit = line.mid(15);
        }
        // After each kill the file opens, passes the check, and holds every
        // acknowledged result (one more may have been stored just before the kill).
        data::Connection c;
        c.open(course.dbPath());
        c.close();
        QCOMPARE(integrity(course), QStringLiteral("ok"));
        const int stored = course.count(QStringLiteral("Тесты"));
        QVERIFY2(stored >= confirmedHandins, qPrintable(QStringLiteral("%1 < %2").arg(stored).arg(confirmedHandins)));
        QVERIFY(stored <= confirmedHandins + round + 1);
        if (!lastEdit.isEmpty()) {
            const QString text = course.rows(QStringLiteral("select Вопрос from БДТест order by Код limit 1"))
                                     .value(0).value(0).toString();
            // The acknowledged edit, or one made after it that was not yet acknowledged.
            QVERIFY2(text == lastEdit || text.section(QLatin1Char('-'), -1).toInt() >
                                             lastEdit.section(QLatin1Char('-'), -1).toInt(),
                     qPrintable(text + QStringLiteral(" / ") + lastEdit));
        }
        course.closeOwnConnection();
    }
    qInfo("crashes: %d kills, %d acknowledged hand-ins all present", rounds, confirmedHandins);
}

ETEXTBOOK_TEST_MAIN(TestReliability)
#include "tst_reliability.moc"
