#include "Connection.h"
#include "EngineErrors.h"
#include "Like.h"
#include "common/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

#include <sqlite3.h>

namespace data {

void checkDatabaseFile(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QDir::toNativeSeparators(info.absolutePath());
    if (!info.exists())
        throw AppError(QStringLiteral("Файл базы данных db.mdb не найден в папке «%1». Запустите программу "
                                      "из папки курса или создайте курс командой etextbook-db create").arg(folder),
                       14);
    if (info.isDir())
        throw AppError(QStringLiteral("В папке «%1» вместо файла базы данных db.mdb лежит папка с тем же "
                                      "именем. Уберите её и положите на её место файл курса").arg(folder),
                       14);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Нет доступа к файлу базы данных db.mdb в папке «%1». Разрешите чтение "
                                      "и запись этого файла и повторите").arg(folder),
                       14);
    const QByteArray head = f.read(100);
    if (head.isEmpty())
        throw AppError(QStringLiteral("Файл базы данных db.mdb в папке «%1» пуст. Восстановите его из резервной "
                                      "копии или создайте курс заново командой etextbook-db create").arg(folder),
                       26);
    const QByteArray jetTag = head.mid(4, 15);
    if (jetTag == "Standard Jet DB" || jetTag == "Standard ACE DB")
        throw AppError(QStringLiteral("Файл db.mdb в папке «%1» — база данных Microsoft Access прежней версии "
                                      "учебника. Преобразуйте его командой: etextbook-db import db.mdb «%1»")
                           .arg(folder),
                       26);
    if (!head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        throw AppError(QStringLiteral("Файл db.mdb в папке «%1» не является базой данных электронного учебника. "
                                      "Восстановите его из резервной копии или создайте курс заново командой "
                                      "etextbook-db create").arg(folder),
                       26);
}

Connection::Connection(QObject *parent)
    : QObject(parent), name_(QStringLiteral("etextbook-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

Connection::~Connection() { close(); }

void Connection::open(const QString &path)
{
    try {
        openFile(path);
        openFailure_ = 0;
    } catch (const AppError &e) {
        openFailure_ = e.code() ? e.code() : -1;
        throw;
    }
}

void Connection::openFile(const QString &path)
{
    close();
    const QString file = path.isEmpty() ? QDir::current().absoluteFilePath(QString::fromLatin1(kFileName))
                                        : QFileInfo(path).absoluteFilePath();
    checkDatabaseFile(file);

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    // mode=rw: the engine must never create the file; a write-protected file still
    // opens, for reading, and each write then fails with its own message.
    db.setDatabaseName(QStringLiteral("file:") + QString::fromUtf8(QUrl::toPercentEncoding(file, "/")) +
                       QStringLiteral("?mode=rw"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs_));
    if (!db.open()) {
        const QSqlError err = db.lastError();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throwEngineError(err);
    }
    path_ = file;
    try {
        const QVariant handle = db.driver()->handle();
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
            auto *h = *static_cast<sqlite3 *const *>(handle.constData());
            registerLike(h);
            sqlite3_busy_timeout(h, busyTimeoutMs_);
        }
        // Full sync of the rollback journal: a result acknowledged to the user
        // survives a crash or a power cut.
        execInternal(QStringLiteral("PRAGMA synchronous = FULL"));
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("PRAGMA quick_check")))
            throwEngineError(q.lastError());
        if (!q.next() || q.value(0).toString() != QLatin1String("ok"))
            throw AppError(engineErrorText(11, QString()), 11);
        q.finish();
        // A file another tool switched to WAL goes back to the rollback journal,
        // which also works on network shares; if another copy holds the file, the
        // mode stays as it is for now.
        if (q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next() &&
            q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0) {
            q.finish();
            q.exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
        }
        q.finish();
    } catch (...) {
        db = QSqlDatabase();
        close();
        throw;
    }
}

void Connection::close()
{
    if (QSqlDatabase::contains(name_)) {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    txDepth_ = 0;
}

bool Connection::isOpen() const
{
    return QSqlDatabase::contains(name_) && QSqlDatabase::database(name_, false).isOpen();
}

QSqlDatabase Connection::database() const
{
    if (!isOpen()) {
        // Seen at start-up, right after the box that said why the file did not
        // open; the program ends after it.
        if (openFailure_ == 5 || openFailure_ == 6)
            throw AppError(QStringLiteral("Нет соединения с базой данных: файл db.mdb был занят другой программой. "
                                          "Запустите учебник снова, когда она освободит файл"),
                           openFailure_);
        throw AppError(QStringLiteral("Нет соединения с базой данных: файл db.mdb не открыт. Проверьте файл db.mdb "
                                      "в папке курса и запустите учебник снова"));
    }
    return QSqlDatabase::database(name_, false);
}

void Connection::setBusyTimeout(int ms)
{
    busyTimeoutMs_ = ms;
    if (!isOpen())
        return;
    const QVariant handle = database().driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        sqlite3_busy_timeout(*static_cast<sqlite3 *const *>(handle.constData()), ms);
}

void Connection::execInternal(const QString &sql)
{
    QSqlQuery q(database());
    if (!q.exec(sql))
        throwEngineError(q.lastError());
}

void Connection::transaction(const std::function<void()> &body)
{
    runInTransaction(QStringLiteral("BEGIN IMMEDIATE"), body);
}

void Connection::readTransaction(const std::function<void()> &body)
{
    // A deferred transaction takes the shared lock at its first read and keeps it
    // to the end, so a writer cannot commit in between.
    runInTransaction(QStringLiteral("BEGIN"), body);
}

void Connection::runInTransaction(const QString &begin, const std::function<void()> &body)
{
    if (txDepth_ > 0) {
        body();
        return;
    }
    execInternal(begin);
    txDepth_ = 1;
    try {
        body();
        execInternal(QStringLiteral("COMMIT"));
        txDepth_ = 0;
    } catch (...) {
        txDepth_ = 0;
        try {
            execInternal(QStringLiteral("ROLLBACK"));
        } catch (...) {
            // The engine may have rolled back already; the original error matters.
        }
        throw;
    }
}

} // namespace data
