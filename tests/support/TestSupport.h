#pragma once
// What the window tests share: answered dialogs, a statement log, a throw-away
// course folder that is the working directory while a test runs, and the nine
// windows created as at start-up.
#include "common/Dialogs.h"

#include <QAbstractButton>
#include <QDir>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <optional>

namespace testsupport {

// Answers every modal box from queues and records what was asked.
class ScriptedDialogs : public ui::Dialogs {
public:
    struct Box {
        QString title;
        QString text;
        ui::Icon icon;
    };
    struct Prompt {
        QString caption;
        QString prompt;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    QList<Box> boxes;
    QList<Prompt> prompts;
    QList<QString> confirmTexts;
    QStringList fileFilters;
    QStringList fileStarts;

    // Answers, taken from the front; an empty queue cancels (input, file) or
    // confirms (confirm).
    QList<std::optional<QString>> inputAnswers;
    QList<bool> confirmAnswers;
    QStringList fileAnswers;

    QStringList texts() const;
    QStringList errorTexts() const;
    void clear();

    void message(QWidget *, const QString &title, const QString &text, ui::Icon icon) override;
    bool confirm(QWidget *, const QString &title, const QString &text) override;
    std::optional<QString> input(QWidget *, const QString &caption, const QString &prompt,
                                 const QString &initial) override;
    QString openFile(QWidget *, const QString &filter, const QString &startFile) override;
};

// Records every statement the program issues.
class StatementLog {
public:
    struct Entry {
        QString text;
        QVariantMap params;
    };
    StatementLog();
    ~StatementLog();
    QList<Entry> entries;
    QStringList texts() const;
    void clear() { entries.clear(); }
};

// A new course file in a temporary folder that is the working directory for the
// fixture's lifetime. Its own connection lets a test set up and inspect rows
// behind the program's back.
class CourseDir {
public:
    explicit CourseDir(const QString &adminPassword = QStringLiteral("admin"), bool createDatabase = true);
    ~CourseDir();

    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return QDir(dir_.path()).filePath(name); }
    QString dbPath() const { return file(QStringLiteral("db.mdb")); }

    // Runs sql with positional values; fails the test on error.
    void exec(const QString &sql, const QVariantList &values = {});
    // Rows of a select, each a list of values.
    QList<QVariantList> rows(const QString &sql, const QVariantList &values = {});
    int count(const QString &table);

    void addUser(const QString &login, const QString &password, const QString &group = QString());
    void addQuestion(const QString &question, const QStringList &answers, const QVariant &right);

    void closeOwnConnection();

private:
    QSqlDatabase db();
    QTemporaryDir dir_;
    QString oldCwd_;
    QString connName_;
};

// The nine windows, created in order as the program does it, destroyed after.
class Forms {
public:
    Forms();
    ~Forms();
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

// A file of tests/fixtures in this repository. The test that needs it checks that
// it is there and fails when it is not.
QString fixturePath(const QString &name);
// Its bytes; empty when it is missing.
QByteArray readFixture(const QString &name);

// Presses a button as a user would (mouse click), so grouped state and the
// action run as in the program.
void press(QAbstractButton *button);

} // namespace testsupport

// A QtTest main that prepares the environment like the program does.
#define ETEXTBOOK_TEST_MAIN(TestClass)                                                                              \
    int main(int argc, char **argv)                                                                                 \
    {                                                                                                               \
        testsupport_prepareEnvironment();                                                                           \
        QApplication app(argc, argv);                                                                               \
        testsupport_prepareApplication();                                                                           \
        TestClass tc;                                                                                               \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                  \
        return QTest::qExec(&tc, argc, argv);                                                                       \
    }

void testsupport_prepareEnvironment();
void testsupport_prepareApplication();
