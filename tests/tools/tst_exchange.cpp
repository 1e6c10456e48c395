// export-results, import-questions and export-questions run as a teacher runs
// them. The workbook is read back with openpyxl, which shares nothing with the
// library that wrote it; the CSV by hand; the bank through the engine.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

#include "ToolRun.h"

namespace {

using toolrun::Run;
using toolrun::runTool;

const QString kFixtures = QStringLiteral(ETEXTBOOK_SOURCE_DIR "/tests/tools/fixtures/questions/");
const QString kReader = QStringLiteral(ETEXTBOOK_SOURCE_DIR "/tests/tools/read_xlsx.py");
// Debian's interpreter, where scripts/setup.sh installs python3-openpyxl.
const QString kPython = QStringLiteral("/usr/bin/python3");

// Runs statements on a course file; closed before the tool runs again.
class Db {
public:
    explicit Db(const QString &path) : name_(QUuid::createUuid().toString())
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        ok_ = QFileInfo::exists(path) && db.open();
    }
    ~Db() { QSqlDatabase::removeDatabase(name_); }
    bool ok() const { return ok_; }
    bool exec(const QString &sql, const QVariantList &values = {})
    {
        QSqlQuery q(QSqlDatabase::database(name_));
        if (!q.prepare(sql)) {
            qWarning() << q.lastError().text();
            return false;
        }
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!q.exec())
            qWarning() << sql << q.lastError().text();
        return q.lastError().type() == QSqlError::NoError;
    }
    QList<QStringList> rows(const QString &sql)
    {
        QList<QStringList> out;
        QSqlQuery q(QSqlDatabase::database(name_));
        if (!q.exec(sql))
            return out;
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            out << row;
        }
        return out;
    }

private:
    QString name_;
    bool ok_ = false;
};

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray digest(const QString &path) { return QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha256); }

QString course(const QTemporaryDir &root, const QString &name)
{
    const Run r = runTool({QStringLiteral("create"), name, QStringLiteral("--admin-password"), QStringLiteral("a")},
                          root.path());
    if (r.code != 0)
        qWarning() << r.errText();
    return QDir(root.path()).absoluteFilePath(name);
}

const QString kBank = QStringLiteral("select Вопрос, Ответ1, Ответ2, Ответ3, Ответ4, Ответ5, ОтветПр, "
                                     "typeof(ОтветПр) from БДТест order by Код");

QJsonObject readWorkbook(const QString &path)
{
    QProcess p;
    p.start(kPython, {kReader, path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << "openpyxl reader failed:" << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QJsonArray sheetRows(const QJsonObject &book, const QString &sheet)
{
    for (const QJsonValue &s : book[QStringLiteral("sheets")].toArray())
        if (s[QStringLiteral("name")].toString() == sheet)
            return s[QStringLiteral("rows")].toArray();
    return {};
}

QJsonObject sheet(const QJsonObject &book, const QString &name)
{
    for (const QJsonValue &s : book[QStringLiteral("sheets")].toArray())
        if (s[QStringLiteral("name")].toString() == name)
            return s.toObject();
    return {};
}

QJsonValue at(const QJsonArray &rows, int r, int c) { return rows[r].toArray()[c]; }
double number(const QJsonArray &rows, int r, int c) { return at(rows, r, c)[QStringLiteral("number")].toDouble(-1); }
QString text(const QJsonArray &rows, int r, int c) { return at(rows, r, c)[QStringLiteral("text")].toString(); }

} // namespace

class TstExchange : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void workbook();
    void csv();
    void narrowedAndRefused_data();
    void narrowedAndRefused();
    void importRefusesWholeFile();
    void importSkipAndCheck();
    void importTeachersFile_data();
    void importTeachersFile();
    void importIsOneTransaction();
    void exportThenImportGivesSameBank_data();
    void exportThenImportGivesSameBank();
    void exportRefusesWhatFormatCannotHold();

private:
    QTemporaryDir root_;
    QString results_; // a course with results of every kind
    QString demo_;
};

void TstExchange::initTestCase()
{
    QVERIFY2(QFileInfo(toolrun::kTool).isExecutable(), "etextbook-db is not built");
    QVERIFY2(QFileInfo(kPython).isExecutable(), "/usr/bin/python3 missing: run scripts/setup.sh");
    QProcess probe;
    probe.start(kPython, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
    QVERIFY(probe.waitForFinished(30000));
    QVERIFY2(probe.exitCode() == 0, "python3-openpyxl missing: run scripts/setup.sh");

    QVERIFY(root_.isValid());
    results_ = course(root_, QStringLiteral("результаты"));
    Db db(results_ + QStringLiteral("/db.mdb"));
    QVERIFY(db.ok());
    const QList<QStringList> accounts = {{"Иванов", "9А"}, {"Петрова", "9А"}, {"Сидоров", "9Б"},
                                         {"Дубль", "9А"},  {"Дубль", "9Б"},   {"=1+1", "9А;вечер"}};
    for (const QStringList &a : accounts)
        QVERIFY(db.exec(QStringLiteral("insert into Пользователи(Логин, Пароль, Группа) values (?, 'p', ?)"),
                        {a[0], a[1]}));
    const QList<QVariantList> tests = {
        {"Иванов", 24, "2026-09-01 08:30:00"}, {"Иванов", 27, "2026-09-02 09:00:05"},
        {"Петрова", 29, "2026-09-02 10:15:00"}, {"Сидоров", 18, "2026-09-03 11:00:00"},
        {"гость", 10, "2026-09-03 12:00:00"},   {"Дубль", 20, "2026-09-04 13:00:00"},
        {"=1+1", 12, "2026-09-04 14:00:00"},    {"Петрова", QVariant(), "2026-09-05 15:00:00"},
        {"иванов", 30, "не дата"}};
    for (const QVariantList &t : tests)
        QVERIFY(db.exec(QStringLiteral("insert into Тесты(Пользователь, Верно, Дата) values (?, ?, ?)"), t));

    const Run r = runTool({QStringLiteral("demo"), QStringLiteral("демо")}, root_.path());
    QVERIFY2(r.code == 0, r.err.constData());
    demo_ = QDir(root_.path()).absoluteFilePath(QStringLiteral("демо"));
}

void TstExchange::workbook()
{
    const QString out = root_.filePath(QStringLiteral("итоги.xlsx"));
    const Run r = runTool({QStringLiteral("export-results"), results_, QStringLiteral("-o"), out}, root_.path());
    QVERIFY2(r.code == 0, r.err.constData());
    const QJsonObject book = readWorkbook(out);
    QStringList names;
    for (const QJsonValue &s : book[QStringLiteral("sheets")].toArray())
        names << s[QStringLiteral("name")].toString();
    QCOMPARE(names, QStringList({"Результаты", "9А", "9А;вечер", "9Б", "Нет учётной записи", "Группа не определена"}));

    const QJsonArray all = sheetRows(book, QStringLiteral("Результаты"));
    QCOMPARE(all.size(), 10);
    QCOMPARE(text(all, 0, 0), QStringLiteral("Код"));
    // Stored order, numbers as numbers, dates as dates.
    QCOMPARE(number(all, 1, 0), 1.0);
    QCOMPARE(text(all, 1, 1), QStringLiteral("Иванов"));
    QCOMPARE(text(all, 1, 2), QStringLiteral("9А"));
    QCOMPARE(number(all, 1, 3), 24.0);
    QCOMPARE(number(all, 1, 4), 0.8);
    QCOMPARE(at(all, 1, 5)[QStringLiteral("datetime")].toString(), QStringLiteral("2026-09-01 08:30:00"));
    const QJsonObject formats = sheet(book, QStringLiteral("Результаты"))[QStringLiteral("formats")].toObject();
    QVERIFY(formats[QStringLiteral("E2")].toString().contains(QLatin1Char('%')));
    QVERIFY(formats[QStringLiteral("F2")].toString().contains(QLatin1String("yyyy")));
    QCOMPARE(text(all, 2, 1), QStringLiteral("Иванов"));
    QCOMPARE(at(all, 2, 5)[QStringLiteral("datetime")].toString(), QStringLiteral("2026-09-02 09:00:05"));
    // A login with no account, with two accounts in two groups, shaped like a formula.
    QCOMPARE(text(all, 5, 1), QStringLiteral("гость"));
    QVERIFY(at(all, 5, 2).isNull());
    QVERIFY(text(all, 5, 6).contains(QStringLiteral("нет учётной записи")));
    QVERIFY(at(all, 6, 2).isNull());
    QVERIFY2(text(all, 6, 6).contains(QStringLiteral("«9А», «9Б»")), qPrintable(text(all, 6, 6)));
    QCOMPARE(text(all, 7, 1), QStringLiteral("=1+1"));
    QCOMPARE(text(all, 7, 2), QStringLiteral("9А;вечер"));
    // A result without a score, a date that is no date, a login differing in case.
    QCOMPARE(text(all, 8, 1), QStringLiteral("Петрова"));
    QVERIFY(at(all, 8, 3).isNull());
    QVERIFY(at(all, 8, 4).isNull());
    QCOMPARE(text(all, 9, 5), QStringLiteral("не дата"));
    QVERIFY(text(all, 9, 6).contains(QStringLiteral("нет учётной записи")));

    // 9А: 24, 27, 29 and one without a score.
    const QJsonObject a = sheet(book, QStringLiteral("9А"));
    const QJsonArray s = a[QStringLiteral("rows")].toArray();
    QCOMPARE(text(s, 0, 1), QStringLiteral("9А"));
    QCOMPARE(number(s, 1, 1), 4.0);
    QVERIFY(qAbs(number(s, 2, 1) - 80.0 / 3) < 1e-9);
    QCOMPARE(number(s, 3, 1), 27.0);
    QCOMPARE(number(s, 4, 1), 29.0);
    QCOMPARE(number(s, 5, 1), 24.0);
    QCOMPARE(number(s, 6, 1), 1.0);
    QCOMPARE(text(s, 8, 0), QStringLiteral("Верных ответов"));
    for (int score = 0; score <= 30; ++score) {
        QCOMPARE(number(s, 9 + score, 0), double(score));
        QCOMPARE(number(s, 9 + score, 1), (score == 24 || score == 27 || score == 29) ? 1.0 : 0.0);
    }
    const QJsonArray charts = a[QStringLiteral("charts")].toArray();
    QCOMPARE(charts.size(), 1);
    QCOMPARE(charts[0][QStringLiteral("type")].toString(), QStringLiteral("barChart"));
    QCOMPARE(charts[0][QStringLiteral("barDir")].toString(), QStringLiteral("col"));
    const QJsonObject series = charts[0][QStringLiteral("series")].toArray()[0].toObject();
    QCOMPARE(series[QStringLiteral("categories")].toString(), QStringLiteral("'9А'!$A$10:$A$40"));
    QCOMPARE(series[QStringLiteral("values")].toString(), QStringLiteral("'9А'!$B$10:$B$40"));

    // The even median of the logins without an account: (10 + 30) / 2.
    const QJsonArray none = sheetRows(book, QStringLiteral("Нет учётной записи"));
    QCOMPARE(number(none, 1, 1), 2.0);
    QCOMPARE(number(none, 3, 1), 20.0);
    QCOMPARE(number(none, 4, 1), 30.0);
    QCOMPARE(number(none, 5, 1), 10.0);
    QCOMPARE(sheet(book, QStringLiteral("Группа не определена"))[QStringLiteral("charts")].toArray().size(), 1);
}

void TstExchange::csv()
{
    const QString out = root_.filePath(QStringLiteral("итоги.csv"));
    const Run r = runTool({QStringLiteral("export-results"), results_, QStringLiteral("--output=") + out}, root_.path());
    QVERIFY2(r.code == 0, r.err.constData());
    const QByteArray bytes = fileBytes(out);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QString body = QString::fromUtf8(bytes.mid(3));
    QVERIFY(body.endsWith(QLatin1String("\r\n")));
    const QStringList lines = body.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 10);
    QCOMPARE(lines[0], QStringLiteral("Код;Логин;Группа;Верно;Процент;Дата;Примечание"));
    QCOMPARE(lines[1], QStringLiteral("1;Иванов;9А;24;80,0;01.09.2026 08:30:00;"));
    QCOMPARE(lines[3], QStringLiteral("3;Петрова;9А;29;96,7;02.09.2026 10:15:00;"));
    // A field with ";" is quoted; a login a spreadsheet would run as a formula gets
    // an apostrophe in front.
    QCOMPARE(lines[7], QStringLiteral("7;'=1+1;\"9А;вечер\";12;40,0;04.09.2026 14:00:00;"));
    QCOMPARE(lines[8], QStringLiteral("8;Петрова;9А;;;05.09.2026 15:00:00;"));
    QVERIFY(lines[9].startsWith(QStringLiteral("9;иванов;;30;100,0;не дата;нет учётной записи")));
}

void TstExchange::narrowedAndRefused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("rows");     // CSV lines after the header
    QTest::addColumn<QString>("message");

    QTest::newRow("group") << QStringList{"--group", "9Б"} << "g.csv" << 0 << 1 << "";
    QTest::newRow("login") << QStringList{"--login", "Иванов"} << "l.csv" << 0 << 2 << "";
    QTest::newRow("group and login") << QStringList{"--group=9А", "--login=Петрова"} << "gl.csv" << 0 << 2 << "";
    QTest::newRow("group of a doubled login is not guessed") << QStringList{"--group", "9Б", "--login", "Дубль"}
                                                             << "d.csv" << 1 << -1 << "Нет результатов";
    QTest::newRow("no such group") << QStringList{"--group", "11В"} << "n.xlsx" << 1 << -1 << "группы «11В»";
    QTest::newRow("unknown extension") << QStringList{} << "r.ods" << 1 << -1 << ".xlsx";
    QTest::newRow("existing file") << QStringList{} << "taken.csv" << 1 << -1 << "уже существует";
    QTest::newRow("no output") << QStringList{} << "" << 1 << -1 << "не указан файл";
    QTest::newRow("missing folder for the file") << QStringList{} << "нет/r.csv" << 1 << -1 << "не найдена";
}

void TstExchange::narrowedAndRefused()
{
    QFETCH(QStringList, args);
    QFETCH(QString, file);
    QFETCH(int, code);
    QFETCH(int, rows);
    QFETCH(QString, message);
    QTemporaryDir out;
    const QString path = out.filePath(file);
    if (file == QLatin1String("taken.csv")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("mine");
    }
    QStringList all = {QStringLiteral("export-results"), results_};
    if (!file.isEmpty())
        all << QStringLiteral("-o") << path;
    const Run r = runTool(all + args, out.path());
    QCOMPARE(r.code, code);
    if (code != 0) {
        QVERIFY2(r.errText().contains(message), r.err.constData());
        QVERIFY(r.errText().startsWith(QStringLiteral("etextbook-db: ")));
        QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 file == QLatin1String("taken.csv") ? QStringList{file} : QStringList{});
        if (file == QLatin1String("taken.csv"))
            QCOMPARE(fileBytes(path), QByteArray("mine"));
        return;
    }
    const QStringList lines = QString::fromUtf8(fileBytes(path).mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size() - 1, rows);
}

void TstExchange::importRefusesWholeFile()
{
    const QString dir = course(root_, QStringLiteral("отказ"));
    const QString db = dir + QStringLiteral("/db.mdb");
    const QByteArray before = digest(db);
    const Run r = runTool({QStringLiteral("import-questions"), dir, kFixtures + QStringLiteral("gift_lms_export.gift")},
                          root_.path());
    QCOMPARE(r.code, 1);
    for (const char *line : {"строка 32:", "строка 35:", "строка 52:", "строка 64:", "строка 68:"})
        QVERIFY2(r.errText().contains(QString::fromUtf8(line)), r.err.constData());
    QVERIFY(r.errText().contains(QStringLiteral("Ничего не записано")));
    QCOMPARE(digest(db), before);
}

void TstExchange::importSkipAndCheck()
{
    const QString dir = course(root_, QStringLiteral("пропуск"));
    const QString db = dir + QStringLiteral("/db.mdb");
    const QString file = kFixtures + QStringLiteral("gift_lms_export.gift");
    const QByteArray before = digest(db);
    Run r = runTool({QStringLiteral("import-questions"), dir, file, QStringLiteral("--check"), QStringLiteral("--skip-bad")},
                    root_.path());
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(QString::fromUtf8(r.out).contains(QStringLiteral("можно добавить вопросов: 5")));
    QVERIFY(QString::fromUtf8(r.out).contains(QStringLiteral("строка 48:")));
    QCOMPARE(digest(db), before);
    // A dry run refuses exactly where the real run would.
    r = runTool({QStringLiteral("import-questions"), dir, file, QStringLiteral("--check")}, root_.path());
    QCOMPARE(r.code, 1);
    QCOMPARE(digest(db), before);

    r = runTool({QStringLiteral("import-questions"), dir, file, QStringLiteral("--skip-bad")}, root_.path());
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(QString::fromUtf8(r.out).contains(QStringLiteral("Пропущено вопросов (--skip-bad): 8")));
    Db d(db);
    const QList<QStringList> bank = d.rows(kBank);
    QCOMPARE(bank.size(), 5);
    QCOMPARE(bank[0], QStringList({"Сколько бит в одном байте?", "4", "8", "16", "32", "", "2", "integer"}));
    QCOMPARE(bank[4], QStringList({"Что такое LAN?", "Локальная сеть", "Глобальная сеть", "", "", "", "1", "integer"}));
}

void TstExchange::importTeachersFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("added");
    QTest::addColumn<QString>("message");
    const QString cp = QStringLiteral("aiken_notepad_cp1251_crlf.txt");
    QTest::newRow("cp1251 detected") << cp << QStringList{} << 0 << 4 << "Windows-1251";
    QTest::newRow("cp1251 named") << cp << QStringList{"--encoding", "cp1251"} << 0 << 4 << "Aiken, Windows-1251";
    QTest::newRow("cp1251 named as utf-8") << cp << QStringList{"--encoding=utf-8"} << 1 << 0 << "строка 1: файл не в кодировке UTF-8";
    QTest::newRow("unknown encoding") << cp << QStringList{"--encoding", "koi8-r"} << 1 << 0 << "неизвестная кодировка";
    QTest::newRow("utf-16") << "aiken_notepad_utf16.txt" << QStringList{} << 0 << 2 << "UTF-16";
    QTest::newRow("missing file") << "нет.txt" << QStringList{} << 1 << 0 << "не найден";
}

void TstExchange::importTeachersFile()
{
    QFETCH(QString, file);
    QFETCH(QStringList, options);
    QFETCH(int, code);
    QFETCH(int, added);
    QFETCH(QString, message);
    QTemporaryDir root;
    const QString dir = course(root, QStringLiteral("к"));
    const Run r = runTool(QStringList{QStringLiteral("import-questions"), dir, kFixtures + file} + options, root.path());
    QCOMPARE(r.code, code);
    QVERIFY2((code == 0 ? QString::fromUtf8(r.out) : r.errText()).contains(message), (r.out + r.err).constData());
    Db d(dir + QStringLiteral("/db.mdb"));
    const QList<QStringList> bank = d.rows(kBank);
    QCOMPARE(bank.size(), added);
    if (file.contains(QLatin1String("cp1251")) && added)
        QCOMPARE(bank[0], QStringList({"Какое устройство предназначено для долговременного хранения информации?",
                                       "Оперативная память", "Жёсткий диск", "Процессор", "Монитор", "", "2", "integer"}));
}

void TstExchange::importIsOneTransaction()
{
    // The engine refuses the third question halfway through: none is kept.
    const QString dir = course(root_, QStringLiteral("транзакция"));
    const QString db = dir + QStringLiteral("/db.mdb");
    {
        Db d(db);
        QVERIFY(d.exec(QStringLiteral("insert into БДТест(Вопрос, ОтветПр) values ('был', 1)")));
        QVERIFY(d.exec(QStringLiteral("create trigger нет before insert on БДТест when new.Вопрос like '%LAN%' "
                                      "begin select raise(abort, 'disk full'); end")));
    }
    const Run r = runTool({QStringLiteral("import-questions"), dir, kFixtures + QStringLiteral("gift_lms_export.gift"),
                           QStringLiteral("--skip-bad")},
                          root_.path());
    QCOMPARE(r.code, 1);
    QVERIFY(r.errText().startsWith(QStringLiteral("etextbook-db: ошибка: ")));
    Db d(db);
    QCOMPARE(d.rows(QStringLiteral("select Вопрос from БДТест")), QList<QStringList>{{"был"}});
}

void TstExchange::exportThenImportGivesSameBank_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("aiken") << "aiken";
    QTest::newRow("gift") << "gift";
}

void TstExchange::exportThenImportGivesSameBank()
{
    QFETCH(QString, format);
    QTemporaryDir root;
    const QString file = root.filePath(QStringLiteral("банк.") + format);
    Run r = runTool({QStringLiteral("export-questions"), demo_, QStringLiteral("-o"), file, QStringLiteral("--format"),
                     format},
                    root.path());
    QVERIFY2(r.code == 0, r.err.constData());
    QVERIFY(QString::fromUtf8(r.out).contains(QStringLiteral("(72)")));
    const QString dir = course(root, QStringLiteral("новый"));
    r = runTool({QStringLiteral("import-questions"), dir, file}, root.path());
    QVERIFY2(r.code == 0, r.err.constData());
    Db original(demo_ + QStringLiteral("/db.mdb"));
    Db copy(dir + QStringLiteral("/db.mdb"));
    const QList<QStringList> before = original.rows(kBank);
    QCOMPARE(before.size(), 72);
    QCOMPARE(copy.rows(kBank), before);
}

void TstExchange::exportRefusesWhatFormatCannotHold()
{
    QTemporaryDir root;
    const QString dir = course(root, QStringLiteral("к"));
    {
        Db d(dir + QStringLiteral("/db.mdb"));
        QVERIFY(d.exec(QStringLiteral("insert into БДТест(Вопрос, Ответ1, Ответ2, ОтветПр) values (?, ?, ?, 2)"),
                       {QStringLiteral("Что выведет программа?\nprint(1)"), QStringLiteral("1"), QStringLiteral("{1}")}));
        QVERIFY(d.exec(QStringLiteral("insert into БДТест(Вопрос, Ответ1, Ответ2, ОтветПр) values ('Б', 'x', 'y', 1)")));
    }
    const QString aiken = root.filePath(QStringLiteral("b.txt"));
    Run r = runTool({QStringLiteral("export-questions"), dir, QStringLiteral("-o"), aiken, QStringLiteral("--format"),
                     QStringLiteral("aiken")},
                    root.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.errText().contains(QStringLiteral("вопрос с кодом 1: в тексте есть переносы строк")), r.err.constData());
    QVERIFY(!QFileInfo::exists(aiken));
    QCOMPARE(QDir(root.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});

    // GIFT holds it, and gives it back.
    const QString gift = root.filePath(QStringLiteral("b.gift"));
    r = runTool({QStringLiteral("export-questions"), dir, QStringLiteral("-o"), gift, QStringLiteral("--format=gift")},
                root.path());
    QVERIFY2(r.code == 0, r.err.constData());
    const QString back = course(root, QStringLiteral("назад"));
    r = runTool({QStringLiteral("import-questions"), back, gift}, root.path());
    QVERIFY2(r.code == 0, r.err.constData());
    Db a(dir + QStringLiteral("/db.mdb"));
    Db b(back + QStringLiteral("/db.mdb"));
    QList<QStringList> expected = a.rows(kBank);
    for (QStringList &row : expected)
        for (int i = 3; i <= 5; ++i)
            row[i] = QString(); // null options come back empty
    QCOMPARE(b.rows(kBank), expected);

    // A null correct answer cannot go to either format.
    {
        Db d(dir + QStringLiteral("/db.mdb"));
        QVERIFY(d.exec(QStringLiteral("update БДТест set ОтветПр = null where Вопрос = 'Б'")));
    }
    r = runTool({QStringLiteral("export-questions"), dir, QStringLiteral("-o"), root.filePath(QStringLiteral("c.gift")),
                 QStringLiteral("--format"), QStringLiteral("gift")},
                root.path());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.errText().contains(QStringLiteral("вопрос с кодом 2: номер верного ответа")), r.err.constData());
}

QTEST_GUILESS_MAIN(TstExchange)
#include "tst_exchange.moc"
