#include "Schema.h"
#include "common/Errors.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace schema {

QStringList createStatements()
{
    const QString lim = QString::number(kTextFieldLimit);
    // AUTOINCREMENT: a key is never handed out again, not even the key of the last
    // row deleted. Without it a copy of the program that still shows a deleted row
    // would write its change, or its delete, into the new row that took its key.
    return {
        QStringLiteral("CREATE TABLE БДТест ("
                       "Код INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "Вопрос TEXT, Ответ1 TEXT, Ответ2 TEXT, Ответ3 TEXT, Ответ4 TEXT, Ответ5 TEXT, "
                       "ОтветПр INTEGER CHECK (ОтветПр IS NULL OR typeof(ОтветПр) = 'integer'))"),
        QStringLiteral("CREATE TABLE Пользователи ("
                       "Код INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "Логин TEXT CHECK (length(Логин) <= %1), "
                       "Пароль TEXT CHECK (length(Пароль) <= %1), "
                       "Группа TEXT CHECK (length(Группа) <= %1))").arg(lim),
        QStringLiteral("CREATE TABLE Тесты ("
                       "Код INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "Пользователь TEXT, "
                       "Верно INTEGER CHECK (Верно IS NULL OR Верно BETWEEN 0 AND 255), "
                       "Дата TEXT DEFAULT (datetime('now', 'localtime')))"),
        QStringLiteral("CREATE TABLE Лекции (Код INTEGER PRIMARY KEY AUTOINCREMENT, НазваниеЛекции TEXT, АдресЛекции TEXT)"),
        QStringLiteral("CREATE TABLE Лабы (Код INTEGER PRIMARY KEY AUTOINCREMENT, НазваниеЛабы TEXT, АдресЛабы TEXT)"),
        QStringLiteral("CREATE TABLE Видео (Код INTEGER PRIMARY KEY AUTOINCREMENT, НазваниеВидео TEXT, АдресВидео TEXT)"),
    };
}

const QList<TableColumns> &requiredTables()
{
    static const QList<TableColumns> tables = {
        {QStringLiteral("БДТест"),
         {QStringLiteral("Вопрос"), QStringLiteral("Ответ1"), QStringLiteral("Ответ2"), QStringLiteral("Ответ3"),
          QStringLiteral("Ответ4"), QStringLiteral("Ответ5"), QStringLiteral("ОтветПр")}},
        {QStringLiteral("Пользователи"), {QStringLiteral("Логин"), QStringLiteral("Пароль"), QStringLiteral("Группа")}},
        {QStringLiteral("Тесты"), {QStringLiteral("Пользователь"), QStringLiteral("Верно")}},
        {QStringLiteral("Лекции"), {QStringLiteral("НазваниеЛекции"), QStringLiteral("АдресЛекции")}},
        {QStringLiteral("Лабы"), {QStringLiteral("НазваниеЛабы"), QStringLiteral("АдресЛабы")}},
        {QStringLiteral("Видео"), {QStringLiteral("НазваниеВидео"), QStringLiteral("АдресВидео")}},
    };
    return tables;
}

void createCourseFile(const QString &path, const QString &adminPassword)
{
    if (QFileInfo::exists(path))
        throw AppError(QStringLiteral("Файл «%1» уже существует; он не будет перезаписан. "
                                      "Укажите другую папку или удалите файл сами").arg(path));
    if (adminPassword.isEmpty() || adminPassword.size() > kTextFieldLimit)
        throw AppError(QStringLiteral("Пароль администратора должен содержать от 1 до %1 символов")
                           .arg(kTextFieldLimit));
    const QString name = QStringLiteral("create-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery q(db);
            ok = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
            for (const QString &stmt : createStatements()) {
                if (!ok)
                    break;
                ok = q.exec(stmt);
            }
            if (ok) {
                ok = q.prepare(QStringLiteral("insert into Пользователи(Логин, Пароль, Группа) values ('Admin', ?, '')"));
                q.addBindValue(adminPassword);
                ok = ok && q.exec();
            }
            if (ok)
                ok = q.exec(QStringLiteral("COMMIT"));
            if (!ok)
                failure = q.lastError().text();
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok) {
        QFile::remove(path);
        throw AppError(QStringLiteral("Не удалось создать файл базы данных «%1»: %2").arg(path, failure));
    }
}

} // namespace schema
