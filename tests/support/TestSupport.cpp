#include "TestSupport.h"

#include <QFile>
#include "app/Startup.h"
#include "data/Query.h"
#include "data/Schema.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QUuid>

void testsupport_prepareEnvironment() { app::prepareEnvironment(); }
void testsupport_prepareApplication() { app::prepareApplication(); }

namespace testsupport {

ScriptedDialogs::ScriptedDialogs() { ui::setDialogs(this); }
ScriptedDialogs::~ScriptedDialogs() { ui::setDialogs(nullptr); }

QStringList ScriptedDialogs::texts() const
{
    QStringList t;
    for (const Box &b : boxes)
        t << b.text;
    return t;
}

QStringList ScriptedDialogs::errorTexts() const
{
    QStringList t;
    for (const Box &b : boxes)
        if (b.icon == ui::Icon::Error)
            t << b.text;
    return t;
}

void ScriptedDialogs::clear()
{
    boxes.clear();
    prompts.clear();
    confirmTexts.clear();
    fileFilters.clear();
    fileStarts.clear();
}

void ScriptedDialogs::message(QWidget *, const QString &title, const QString &text, ui::Icon icon)
{
    boxes << Box{title, text, icon};
}

bool ScriptedDialogs::confirm(QWidget *, const QString &, const QString &text)
{
    confirmTexts << text;
    return confirmAnswers.isEmpty() ? true : confirmAnswers.takeFirst();
}

std::optional<QString> ScriptedDialogs::input(QWidget *, const QString &caption, const QString &prompt,
                                              const QString &)
{
    prompts << Prompt{caption, prompt};
    return inputAnswers.isEmpty() ? std::nullopt : inputAnswers.takeFirst();
}

QString ScriptedDialogs::openFile(QWidget *, const QString &filter, const QString &startFile)
{
    fileFilters << filter;
    fileStarts << startFile;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

StatementLog::StatementLog()
{
    data::setStatementHook([this](const QString &text, const QVariantMap &params) { entries << Entry{text, params}; });
}

StatementLog::~StatementLog() { data::setStatementHook(nullptr); }

QStringList StatementLog::texts() const
{
    QStringList t;
    for (const Entry &e : entries)
        t << e.text;
    return t;
}

CourseDir::CourseDir(const QString &adminPassword, bool createDatabase)
    : oldCwd_(QDir::currentPath()), connName_(QStringLiteral("fixture-") + QUuid::createUuid().toString())
{
    if (!dir_.isValid())
        qFatal("no temporary folder");
    if (createDatabase)
        schema::createCourseFile(dbPath(), adminPassword);
    QDir::setCurrent(dir_.path());
}

CourseDir::~CourseDir()
{
    closeOwnConnection();
    QDir::setCurrent(oldCwd_);
}

QSqlDatabase CourseDir::db()
{
    if (!QSqlDatabase::contains(connName_)) {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connName_);
        d.setDatabaseName(dbPath());
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        if (!d.open())
            qFatal("fixture cannot open its database");
    }
    return QSqlDatabase::database(connName_);
}

void CourseDir::closeOwnConnection()
{
    if (QSqlDatabase::contains(connName_)) {
        QSqlDatabase::database(connName_).close();
        QSqlDatabase::removeDatabase(connName_);
    }
}

void CourseDir::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery q(db());
    if (!q.prepare(sql))
        qFatal("fixture prepare failed: %s", qPrintable(q.lastError().text()));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        qFatal("fixture exec failed: %s (%s)", qPrintable(q.lastError().text()), qPrintable(sql));
}

QList<QVariantList> CourseDir::rows(const QString &sql, const QVariantList &values)
{
    QList<QVariantList> out;
    {
        QSqlQuery q(db());
        if (!q.prepare(sql))
            qFatal("fixture prepare failed: %s", qPrintable(q.lastError().text()));
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!q.exec())
            qFatal("fixture select failed: %s", qPrintable(q.lastError().text()));
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            out << row;
        }
    }
    return out;
}

int CourseDir::count(const QString &table)
{
    return rows(QStringLiteral("select count(*) from ") + table).value(0).value(0).toInt();
}

void CourseDir::addUser(const QString &login, const QString &password, const QString &group)
{
    exec(QStringLiteral("insert into Пользователи(Логин, Пароль, Группа) values (?, ?, ?)"),
         {login, password, group.isNull() ? QVariant(QString()) : QVariant(group)});
}

void CourseDir::addQuestion(const QString &question, const QStringList &answers, const QVariant &right)
{
    QVariantList v{question};
    for (int i = 0; i < 5; ++i)
        v << answers.value(i);
    v << right;
    exec(QStringLiteral("insert into БДТест(Вопрос, Ответ1, Ответ2, Ответ3, Ответ4, Ответ5, ОтветПр) "
                        "values (?, ?, ?, ?, ?, ?, ?)"),
         v);
}

QString fixturePath(const QString &name)
{
    return QStringLiteral(ETEXTBOOK_SOURCE_DIR "/tests/fixtures/") + name;
}

QByteArray readFixture(const QString &name)
{
    QFile f(fixturePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

Forms::Forms() { ok_ = app::createForms(); }
Forms::~Forms() { app::destroyForms(); }

void press(QAbstractButton *button)
{
    button->click();
}

} // namespace testsupport
