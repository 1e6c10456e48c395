// etextbook-db run as a separate program, the way a teacher runs it: exit codes,
// what lands in the folder, and what the course file holds afterwards.
#include "app/help/CourseHelp.h"
#include "data/Schema.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMediaPlayer>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>
#include <QUuid>
#include <QVideoFrame>
#include <QVideoSink>
#include <QtTest>

#include "ToolRun.h"

namespace {

using toolrun::kTool;
using toolrun::Run;
using toolrun::runTool;
using toolrun::snapshot;
constexpr int kQuestionsPerTest = 30;

bool isUtf8(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// One connection per check, closed before the next run of the tool.
class CourseDb {
public:
    explicit CourseDb(const QString &path) : name_(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        ok_ = QFileInfo::exists(path) && db.open();
    }
    ~CourseDb() { QSqlDatabase::removeDatabase(name_); }
    bool ok() const { return ok_; }
    QSqlDatabase db() const { return QSqlDatabase::database(name_); }

    QList<QVariantList> rows(const QString &sql) const
    {
        QList<QVariantList> out;
        QSqlQuery q(db());
        if (!q.exec(sql)) {
            qWarning() << "query failed:" << sql;
            return out;
        }
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            out << row;
        }
        return out;
    }

private:
    QString name_;
    bool ok_ = false;
};

// The six tables with at least the columns the windows use.
void verifySchema(const CourseDb &db)
{
    QStringList tables;
    for (const QVariantList &r : db.rows(QStringLiteral(
             "select name from sqlite_master where type = 'table' and name not like 'sqlite_%' order by name")))
        tables << r[0].toString();
    QCOMPARE(tables.size(), 6);
    for (const schema::TableColumns &t : schema::requiredTables()) {
        QVERIFY2(tables.contains(t.table), qPrintable(t.table));
        const QSqlRecord rec = db.db().record(t.table);
        for (const QString &c : t.columns)
            QVERIFY2(rec.contains(c), qPrintable(t.table + QLatin1Char('.') + c));
    }
}

} // namespace

class TstEtextbookDb : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void create();
    void rejected_data();
    void rejected();
    void demoDatabase();
    void demoMaterials_data();
    void demoMaterials();
    void demoVideosPlay();
    void helpAndManual();
    void version();

private:
    QTemporaryDir demoRoot_;
    QString demoDir_;
};

void TstEtextbookDb::initTestCase()
{
    QVERIFY2(QFileInfo(kTool).isExecutable(), qPrintable(kTool + QStringLiteral(" is not built")));
    QVERIFY(demoRoot_.isValid());
    // A relative folder with a space and Cyrillic: addresses must still come out
    // absolute, and the content must come from inside the tool, not the cwd.
    const Run r = runTool({QStringLiteral("demo"), QStringLiteral("Демо курс")}, demoRoot_.path());
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(isUtf8(r.out));
    demoDir_ = QDir(demoRoot_.path()).absoluteFilePath(QStringLiteral("Демо курс"));
    QVERIFY2(QString::fromUtf8(r.out).contains(demoDir_), r.out.constData());
}

void TstEtextbookDb::create()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString dir = root.filePath(QStringLiteral("курсы/9 класс"));
    const QString password = QStringLiteral("Пароль 1");
    const Run r = runTool({QStringLiteral("create"), dir, QStringLiteral("--admin-password"), password}, root.path());
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY2(r.err.isEmpty(), r.err.constData());
    QVERIFY(isUtf8(r.out));
    QVERIFY(QString::fromUtf8(r.out).contains(dir));

    // Nothing else: no temporary database, journal or copied demo material.
    const QStringList expected = {QStringLiteral("Clear.htm"), QStringLiteral("db.mdb"), QStringLiteral("help.hlp")};
    QCOMPARE(snapshot(dir).keys(), expected);

    QFile help(QDir(dir).filePath(QStringLiteral("help.hlp")));
    QVERIFY(help.open(QIODevice::ReadOnly));
    QCOMPARE(help.readAll(), help::courseHelpFile());

    QFile blank(QDir(dir).filePath(QStringLiteral("Clear.htm")));
    QVERIFY(blank.open(QIODevice::ReadOnly));
    const QByteArray html = blank.readAll();
    QVERIFY(html.contains("<html"));
    QTextDocument page;
    page.setHtml(QString::fromUtf8(html));
    QVERIFY2(page.toPlainText().trimmed().isEmpty(), qPrintable(page.toPlainText()));

    CourseDb db(QDir(dir).filePath(QStringLiteral("db.mdb")));
    QVERIFY(db.ok());
    verifySchema(db);
    const QList<QVariantList> users = db.rows(QStringLiteral("select Логин, Пароль, Группа from Пользователи"));
    QCOMPARE(users.size(), 1);
    QCOMPARE(users[0][0].toString(), QStringLiteral("Admin"));
    QCOMPARE(users[0][1].toString(), password);
    QCOMPARE(users[0][2].toString(), QString());
    for (const char *table : {"БДТест", "Тесты", "Лекции", "Лабы", "Видео"}) {
        const QString t = QString::fromUtf8(table);
        QCOMPARE(db.rows(QStringLiteral("select count(*) from ") + t).value(0).value(0).toInt(), 0);
    }
}

// Every refusal: exit 1, nothing on stdout, a Russian reason on stderr, and the
// whole folder (including the working directory) byte-for-byte as before.
void TstEtextbookDb::rejected_data()
{
    QTest::addColumn<QStringList>("args");       // %D stands for the course folder
    QTest::addColumn<QStringList>("existing");   // files there beforehand; "*demo*" = a finished demo course
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("usage");

    const QString pass = QStringLiteral("--admin-password");
    const QString taken = QStringLiteral("уже существует");
    QTest::newRow("create over db.mdb") << QStringList{"create", "%D", pass, "x"} << QStringList{"db.mdb"} << taken << false;
    QTest::newRow("demo over db.mdb") << QStringList{"demo", "%D"} << QStringList{"db.mdb"} << taken << false;
    QTest::newRow("create over someone's Clear.htm")
        << QStringList{"create", "%D", pass, "x"} << QStringList{"Clear.htm"} << taken << false;
    QTest::newRow("demo over someone's lecture")
        << QStringList{"demo", "%D"} << QStringList{"lectures/lecture1.html"} << taken << false;
    QTest::newRow("demo twice") << QStringList{"demo", "%D"} << QStringList{"*demo*"} << taken << false;
    QTest::newRow("folder is a file")
        << QStringList{"create", "%D/notes.txt", pass, "x"} << QStringList{"notes.txt"} << QStringLiteral("не папка") << false;
    QTest::newRow("empty password")
        << QStringList{"create", "%D/new", pass, ""} << QStringList{} << QStringLiteral("Пароль администратора") << false;
    QTest::newRow("password over the field limit")
        << QStringList{"create", "%D/new", pass, QString(schema::kTextFieldLimit + 1, QLatin1Char('a'))}
        << QStringList{} << QStringLiteral("Пароль администратора") << false;

    QTest::newRow("no command") << QStringList{} << QStringList{} << QStringLiteral("не указана команда") << true;
    QTest::newRow("unknown command") << QStringList{"open", "%D"} << QStringList{} << QStringLiteral("неизвестная команда") << true;
    QTest::newRow("create without folder") << QStringList{"create", pass, "x"} << QStringList{} << QStringLiteral("не указана папка") << true;
    QTest::newRow("create without password") << QStringList{"create", "%D"} << QStringList{} << QStringLiteral("не указан пароль") << true;
    QTest::newRow("password option without value")
        << QStringList{"create", "%D", pass} << QStringList{} << QStringLiteral("нужно указать пароль") << true;
    QTest::newRow("password twice")
        << QStringList{"create", "%D", pass, "a", pass + "=b"} << QStringList{} << QStringLiteral("дважды") << true;
    QTest::newRow("demo with two folders") << QStringList{"demo", "%D", "%D/2"} << QStringList{} << QStringLiteral("лишний") << true;
    QTest::newRow("unknown option") << QStringList{"demo", "--force", "%D"} << QStringList{} << QStringLiteral("неизвестный параметр") << true;
    QTest::newRow("password option for demo")
        << QStringList{"demo", "%D", pass, "x"} << QStringList{} << QStringLiteral("неизвестный параметр") << true;
}

void TstEtextbookDb::rejected()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, existing);
    QFETCH(QString, reason);
    QFETCH(bool, usage);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString dir = root.filePath(QStringLiteral("курс"));
    for (const QString &f : existing) {
        if (f == QLatin1String("*demo*")) {
            const Run first = runTool({QStringLiteral("demo"), dir}, root.path());
            QVERIFY2(first.code == 0, first.err.constData());
        } else {
            writeFile(QDir(dir).filePath(f), "работа учителя, не трогать\n");
            if (QTest::currentTestFailed())
                return;
        }
    }
    for (QString &a : args)
        a.replace(QLatin1String("%D"), dir);

    const QMap<QString, QByteArray> before = snapshot(root.path());
    const Run r = runTool(args, root.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.out.isEmpty(), r.out.constData());
    QVERIFY(isUtf8(r.err));
    QVERIFY2(r.errText().contains(reason), r.err.constData());
    QCOMPARE(r.errText().contains(QStringLiteral("Использование:")), usage);
    QCOMPARE(snapshot(root.path()), before);
}

void TstEtextbookDb::demoDatabase()
{
    CourseDb db(QDir(demoDir_).filePath(QStringLiteral("db.mdb")));
    QVERIFY(db.ok());
    verifySchema(db);

    const QList<QVariantList> questions = db.rows(QStringLiteral(
        "select Вопрос, Ответ1, Ответ2, Ответ3, Ответ4, Ответ5, ОтветПр, typeof(ОтветПр) from БДТест"));
    // Enough for two different 30-question draws.
    QVERIFY2(questions.size() >= 2 * kQuestionsPerTest, qPrintable(QString::number(questions.size())));
    QMap<int, int> byAnswer;
    QSet<QString> texts;
    for (const QVariantList &q : questions) {
        const QString text = q[0].toString();
        QVERIFY2(!text.trimmed().isEmpty(), "empty question");
        QVERIFY2(!texts.contains(text), qPrintable(text));
        texts.insert(text);
        QSet<QString> options;
        for (int i = 1; i <= 5; ++i) {
            QVERIFY2(!q[i].toString().trimmed().isEmpty(), qPrintable(text));
            options.insert(q[i].toString());
        }
        QVERIFY2(options.size() == 5, qPrintable(text));
        QCOMPARE(q[7].toString(), QStringLiteral("integer"));
        const int right = q[6].toInt();
        QVERIFY2(right >= 1 && right <= 5, qPrintable(text));
        ++byAnswer[right];
    }
    // A student who always picks the same letter must not do well.
    for (int a = 1; a <= 5; ++a) {
        const int n = byAnswer.value(a);
        QVERIFY2(n * 10 >= questions.size() && n * 10 <= questions.size() * 3,
                 qPrintable(QStringLiteral("answer %1: %2 of %3").arg(a).arg(n).arg(questions.size())));
    }

    QMap<QString, QString> passwords;
    int withGroup = 0;
    for (const QVariantList &u : db.rows(QStringLiteral("select Логин, Пароль, Группа from Пользователи"))) {
        QVERIFY2(!passwords.contains(u[0].toString()), qPrintable(u[0].toString()));
        passwords.insert(u[0].toString(), u[1].toString());
        withGroup += u[2].toString().isEmpty() ? 0 : 1;
    }
    QCOMPARE(passwords.value(QStringLiteral("Admin")), QStringLiteral("admin"));
    QCOMPARE(passwords.value(QStringLiteral("student")), QStringLiteral("student"));
    QCOMPARE(passwords.value(QStringLiteral("Иванов")), QStringLiteral("1111"));
    QVERIFY(withGroup >= 3);

    const QList<QVariantList> results = db.rows(QStringLiteral("select Пользователь, Верно from Тесты"));
    QVERIFY(results.size() >= 3);
    for (const QVariantList &r : results) {
        const QString who = r[0].toString();
        QVERIFY2(passwords.contains(who) && who != QLatin1String("Admin"), qPrintable(who));
        QVERIFY(r[1].toInt() >= 0 && r[1].toInt() <= kQuestionsPerTest);
    }
}

void TstEtextbookDb::demoMaterials_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("titleColumn");
    QTest::addColumn<QString>("addressColumn");
    QTest::addColumn<int>("atLeast");
    QTest::addColumn<QStringList>("kinds"); // suffixes that must each occur at least once

    QTest::newRow("lectures") << "Лекции" << "НазваниеЛекции" << "АдресЛекции" << 4 << QStringList{"html"};
    QTest::newRow("labs") << "Лабы" << "НазваниеЛабы" << "АдресЛабы" << 3 << QStringList{"html", "pdf"};
    QTest::newRow("videos") << "Видео" << "НазваниеВидео" << "АдресВидео" << 2 << QStringList{"avi", "mpg"};
}

void TstEtextbookDb::demoMaterials()
{
    QFETCH(QString, table);
    QFETCH(QString, titleColumn);
    QFETCH(QString, addressColumn);
    QFETCH(int, atLeast);
    QFETCH(QStringList, kinds);

    CourseDb db(QDir(demoDir_).filePath(QStringLiteral("db.mdb")));
    QVERIFY(db.ok());
    const QList<QVariantList> rows =
        db.rows(QStringLiteral("select %1, %2 from %3").arg(titleColumn, addressColumn, table));
    QVERIFY2(rows.size() >= atLeast, qPrintable(QString::number(rows.size())));

    const QString inside = QFileInfo(demoDir_).canonicalFilePath() + QLatin1Char('/');
    QSet<QString> seenKinds, addresses;
    for (const QVariantList &r : rows) {
        const QString title = r[0].toString(), address = r[1].toString();
        QVERIFY2(!title.trimmed().isEmpty(), qPrintable(address));
        QVERIFY2(QDir::isAbsolutePath(address), qPrintable(address));
        QVERIFY2(QFileInfo(address).isFile(), qPrintable(address));
        QVERIFY2(QFileInfo(address).canonicalFilePath().startsWith(inside), qPrintable(address));
        QVERIFY2(!addresses.contains(address), qPrintable(address));
        addresses.insert(address);
        const QString suffix = QFileInfo(address).suffix().toLower();
        seenKinds.insert(suffix);

        QFile f(address);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        if (suffix == QLatin1String("html")) {
            QVERIFY2(isUtf8(bytes) && bytes.contains("charset=\"utf-8\""), qPrintable(address));
            // Each page has a picture, and every picture it names travels with it.
            static const QRegularExpression src(QStringLiteral("<img[^>]*\\ssrc=\"([^\"]+)\""));
            int pictures = 0;
            for (auto m = src.globalMatch(QString::fromUtf8(bytes)); m.hasNext(); ++pictures) {
                const QString ref = m.next().captured(1);
                QVERIFY2(QDir::isRelativePath(ref), qPrintable(address + QStringLiteral(": ") + ref));
                QVERIFY2(QFileInfo(QFileInfo(address).dir().filePath(ref)).isFile(),
                         qPrintable(address + QStringLiteral(": ") + ref));
            }
            QVERIFY2(pictures > 0, qPrintable(address));
        } else if (suffix == QLatin1String("pdf")) {
            QVERIFY2(bytes.startsWith("%PDF-") && bytes.contains("%%EOF"), qPrintable(address));
        } else {
            QVERIFY2(bytes.size() < 300 * 1024, qPrintable(address));
        }
    }
    for (const QString &k : kinds)
        QVERIFY2(seenKinds.contains(k), qPrintable(k));
}

// The videos are only useful if the program's player can show them.
void TstEtextbookDb::demoVideosPlay()
{
    CourseDb db(QDir(demoDir_).filePath(QStringLiteral("db.mdb")));
    QVERIFY(db.ok());
    const QList<QVariantList> rows = db.rows(QStringLiteral("select АдресВидео from Видео"));
    QVERIFY(!rows.isEmpty());
    for (const QVariantList &r : rows) {
        const QString address = r[0].toString();
        QMediaPlayer player;
        QVideoSink sink;
        player.setVideoSink(&sink);
        int frames = 0;
        connect(&sink, &QVideoSink::videoFrameChanged, this, [&frames](const QVideoFrame &f) {
            if (f.isValid())
                ++frames;
        });
        QString error;
        connect(&player, &QMediaPlayer::errorOccurred, this,
                [&error](QMediaPlayer::Error, const QString &text) { error = text; });
        player.setSource(QUrl::fromLocalFile(address));
        player.play();
        QTRY_VERIFY2_WITH_TIMEOUT(frames >= 5 || !error.isEmpty(), qPrintable(address), 20000);
        QVERIFY2(error.isEmpty(), qPrintable(address + QStringLiteral(": ") + error));
        QVERIFY2(player.duration() >= 2000 && player.duration() <= 4000,
                 qPrintable(address + QStringLiteral(": ") + QString::number(player.duration())));
        QVERIFY(sink.videoSize().width() > 0);
        player.stop();
    }
}

// The general help lists every command; each has its own help naming every option
// of its synopsis, and the manual page built beside the tool describes the same
// commands. Every line fits a terminal of 80 columns.
void TstEtextbookDb::helpAndManual()
{
    const auto fits = [](const QByteArray &text) {
        for (const QString &line : QString::fromUtf8(text).split(QLatin1Char('\n')))
            if (line.size() > 79)
                return line;
        return QString();
    };
    const QString cwd = QDir::tempPath();
    const Run overview = runTool({QStringLiteral("--help")}, cwd);
    QCOMPARE(overview.code, 0);
    QVERIFY(overview.err.isEmpty());
    QVERIFY(isUtf8(overview.out));
    QCOMPARE(fits(overview.out), QString());

    QProcess gunzip;
    gunzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), QStringLiteral(ETEXTBOOK_BINARY_DIR "/packaging/etextbook-db.1.gz")});
    QVERIFY(gunzip.waitForFinished());
    QCOMPARE(gunzip.exitCode(), 0);
    const QString manual = QString::fromUtf8(gunzip.readAllStandardOutput());

    static const QRegularExpression listed(QStringLiteral("^  etextbook-db ([a-z][a-z-]*) (.*)$"), QRegularExpression::MultilineOption);
    QStringList names;
    for (auto it = listed.globalMatch(QString::fromUtf8(overview.out)); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString name = m.captured(1);
        names << name;
        const Run help = runTool({name, QStringLiteral("--help")}, cwd);
        QCOMPARE(help.code, 0);
        const QString text = QString::fromUtf8(help.out);
        QVERIFY2(text.startsWith(QStringLiteral("Использование: etextbook-db %1 ").arg(name)), help.out.constData());
        // The synopsis runs to the one-line summary; it may be wrapped.
        const QString arguments = text.section(QLatin1Char('\n'), 0, 2);
        QCOMPARE(fits(help.out), QString());
        static const QRegularExpression option(QStringLiteral("--[a-z-]+"));
        for (auto o = option.globalMatch(arguments); o.hasNext();) {
            const QString opt = o.next().captured();
            QVERIFY2(text.contains(QStringLiteral("\n  ") + opt), qPrintable(name + QLatin1Char(' ') + opt));
            QVERIFY2(manual.contains(QString(opt).replace(QLatin1Char('-'), QStringLiteral("\\-"))), qPrintable(opt));
        }
        const QString roffName = QString(name).replace(QLatin1Char('-'), QStringLiteral("\\-"));
        QVERIFY2(manual.contains(QStringLiteral(".SS \"%1 ").arg(roffName)), qPrintable(name));
        QVERIFY2(manual.contains(QStringLiteral(".B etextbook\\-db %1\n").arg(roffName)), qPrintable(name));
    }
    QCOMPARE(names, (QStringList{"create", "demo", "import", "map-paths", "export-results", "import-questions",
                                 "export-questions"}));

    // A mistake after a known command reminds of that command only.
    const Run wrong = runTool({QStringLiteral("demo")}, cwd);
    QCOMPARE(wrong.code, 1);
    QVERIFY2(wrong.errText().contains(QStringLiteral("Использование: etextbook-db demo ПАПКА\n")), wrong.err.constData());
    QVERIFY2(!wrong.errText().contains(QStringLiteral("import")), wrong.err.constData());
    // Help for a command that does not exist is a mistake, not help.
    const Run unknown = runTool({QStringLiteral("open"), QStringLiteral("--help")}, cwd);
    QCOMPARE(unknown.code, 1);
    QVERIFY(unknown.out.isEmpty());
    QVERIFY(unknown.errText().contains(QStringLiteral("неизвестная команда")));
}

// One version, from the build, on both programs; neither needs a display for it.
void TstEtextbookDb::version()
{
    const Run tool = runTool({QStringLiteral("--version")}, QDir::tempPath());
    QCOMPARE(tool.code, 0);
    static const QRegularExpression form(QStringLiteral("^etextbook-db (\\d+\\.\\d+\\.\\d+)\n$"));
    const QRegularExpressionMatch m = form.match(QString::fromUtf8(tool.out));
    QVERIFY2(m.hasMatch(), tool.out.constData());

    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(ETEXTBOOK_BINARY_DIR "/src/etextbook"), {QStringLiteral("--version")});
    QVERIFY(app.waitForFinished(30000));
    QCOMPARE(app.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(app.readAllStandardOutput()), QStringLiteral("etextbook %1\n").arg(m.captured(1)));
}

QTEST_MAIN(TstEtextbookDb)
#include "tst_etextbook_db.moc"
