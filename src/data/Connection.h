#pragma once
// The one connection to the course file. The file is looked up in the working
// directory at the moment the connection opens and is never created here: a
// missing or foreign file fails the connection with a Russian message.
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <functional>

namespace data {

class Connection : public QObject {
    Q_OBJECT
public:
    static constexpr const char *kFileName = "db.mdb";
    // How long a statement waits for another copy of the program to release the file.
    static constexpr int kDefaultBusyTimeoutMs = 8000;

    explicit Connection(QObject *parent = nullptr);
    ~Connection() override;

    // Opens db.mdb of the current working directory (or the given path). Throws AppError.
    void open(const QString &path = QString());
    void close();
    bool isOpen() const;
    // The open database; throws AppError when the connection is not open.
    QSqlDatabase database() const;
    QString filePath() const { return path_; }

    void setBusyTimeout(int ms);
    int busyTimeout() const { return busyTimeoutMs_; }

    // Runs body inside BEGIN IMMEDIATE … COMMIT; rolls back and rethrows on error.
    // Nested calls join the outer transaction.
    void transaction(const std::function<void()> &body);
    // Runs a group of reads inside one read transaction, so that they all see one
    // state of the file: reads that pair rows by position need it. Another copy's
    // write waits until the group is done; nothing stays locked afterwards. Inside
    // a write transaction the reads simply join it.
    void readTransaction(const std::function<void()> &body);
    bool inTransaction() const { return txDepth_ > 0; }

    // Executes one internal statement (pragmas, transaction control). Throws AppError.
    void execInternal(const QString &sql);

private:
    // BEGIN (or BEGIN IMMEDIATE), body, COMMIT; rolls back and rethrows on error.
    // Nested calls join the outer transaction.
    void runInTransaction(const QString &begin, const std::function<void()> &body);

    void openFile(const QString &path);

    QString name_;
    QString path_;
    int busyTimeoutMs_ = kDefaultBusyTimeoutMs;
    int txDepth_ = 0;
    // The engine's code of the last failed open, 0 when none failed.
    int openFailure_ = 0;
};

// Checks what lies at path before the engine sees it; throws AppError with the
// message a user needs (missing, a folder, empty, an Access file, not a database).
void checkDatabaseFile(const QString &path);

} // namespace data
