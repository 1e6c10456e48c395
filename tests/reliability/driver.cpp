// A copy of the program driven without a person: it creates the nine windows in
// a course folder, signs in and presses the same handlers a user would, writing
// one line per acknowledged change to standard output. The reliability tests run
// several of these at once on one file, or kill them at random moments.
//
//   etextbook-driver startup DIR
//   etextbook-driver worker DIR ID OPS SEED [passwd]
//   etextbook-driver crashloop DIR ID ROUND [drop]
//   etextbook-driver run DIR      the program itself, its boxes written to standard error
#include "TestSupport.h"
#include "app/Startup.h"
#include "app/Unit1.h"
#include "common/Dialogs.h"
#include "common/Errors.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTextEdit>

#include <cstdio>

using testsupport::ScriptedDialogs;

namespace {

QWidget *form(const char *name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name))
            return w;
    return nullptr;
}

template <typename T> T *child(QWidget *w, const char *name)
{
    T *c = w ? w->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!c) {
        std::fprintf(stdout, "FATAL no control %s\n", name);
        std::fflush(stdout);
        std::_Exit(3);
    }
    return c;
}

void call(QWidget *w, const char *slot)
{
    if (!QMetaObject::invokeMethod(w, slot, Qt::DirectConnection)) {
        std::fprintf(stdout, "FATAL no handler %s\n", slot);
        std::fflush(stdout);
        std::_Exit(3);
    }
}

void say(const QString &line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// Errors shown since the last look; each is reported and counts as a failed step.
bool drainErrors(ScriptedDialogs &d)
{
    bool any = false;
    for (const auto &b : d.boxes) {
        if (b.icon == ui::Icon::Error) {
            say(QStringLiteral("ERROR ") + QString(b.text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
            any = true;
        }
    }
    return any;
}

bool signIn(ScriptedDialogs &d, const QString &login, const QString &password)
{
    QWidget *f1 = form("Form1");
    QWidget *f3 = form("Form3");
    f1->show();
    child<QLineEdit>(f3, "UserName")->setText(login);
    child<QLineEdit>(f3, "Password")->setText(password);
    d.clear();
    call(f3, "OKButtonClick");
    const bool ok = d.boxes.isEmpty();
    drainErrors(d);
    return ok;
}

// One hand-in of a fresh test; returns the score the program reported, or -1.
int handIn(ScriptedDialogs &d)
{
    QWidget *f2 = form("Form2");
    f2->hide();
    d.clear();
    showForm(f2); // a new test
    // A test that could not start is a failed step with its own message.
    if (drainErrors(d))
        return -1;
    call(f2, "sSpeedButton3Click");
    if (drainErrors(d))
        return -1;
    for (const auto &b : d.boxes) {
        if (b.text.startsWith(QStringLiteral("Вы ")) && b.text.endsWith(QStringLiteral(" ответили верно")))
            return b.text.mid(3, b.text.size() - 3 - 15).toInt();
    }
    return -1;
}

bool usersAction(ScriptedDialogs &d, bool add, const QString &login, const QString &password)
{
    QWidget *f5 = form("Form5");
    showForm(f5);
    call(f5, add ? "sSpeedButton1Click" : "sSpeedButton2Click");
    child<QLineEdit>(f5, "sEdit2")->setText(login);
    child<QLineEdit>(f5, "sEdit3")->setText(password);
    if (add)
        child<QLineEdit>(f5, "sEdit4")->setText(QStringLiteral("stress"));
    d.clear();
    call(f5, add ? "sBitBtn1Click" : "sBitBtn2Click");
    return !drainErrors(d);
}

bool changeAdminPassword(ScriptedDialogs &d, const QString &oldPassword, const QString &newPassword)
{
    QWidget *f5 = form("Form5");
    showForm(f5);
    child<QLineEdit>(f5, "sEdit5")->setText(oldPassword);
    child<QLineEdit>(f5, "sEdit6")->setText(newPassword);
    d.clear();
    call(f5, "sBitBtn3Click");
    if (drainErrors(d))
        return false;
    // The fields are cleared only when the change went through.
    return child<QLineEdit>(f5, "sEdit5")->text().isEmpty();
}

void showTheorySection()
{
    QWidget *f1 = form("Form1");
    QWidget *f7 = form("Form7");
    child<QAbstractButton>(f1, "sSpeedButton1")->click();
    if (!f7->isVisible())
        showForm(f7);
}

bool addMaterial(ScriptedDialogs &d, const QString &name, const QString &path)
{
    showTheorySection();
    d.clear();
    d.fileAnswers << path;
    d.inputAnswers << std::optional<QString>(name);
    call(form("Form7"), "sButton3Click");
    return !drainErrors(d) && d.boxes.isEmpty();
}

bool deleteMaterial(ScriptedDialogs &d, const QString &name)
{
    showTheorySection();
    auto *list = child<QAbstractItemView>(form("Form7"), "sDBLookupListBox1");
    QAbstractItemModel *m = list->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        const QModelIndex i = m->index(r, 0);
        if (i.data().toString() == name) {
            list->setCurrentIndex(i);
            d.clear();
            call(form("Form7"), "sButton4Click");
            return !drainErrors(d);
        }
    }
    say(QStringLiteral("ERROR material not listed: ") + name);
    return false;
}

int worker(const QString &id, int ops, quint32 seed, bool passwd)
{
    ScriptedDialogs dialogs;
    if (!app::createForms()) {
        drainErrors(dialogs);
        return 1;
    }
    const QString login = QStringLiteral("w") + id;
    if (!signIn(dialogs, login, QStringLiteral("pw"))) {
        say(QStringLiteral("ERROR sign-in failed"));
        return 1;
    }
    QRandomGenerator rng(seed);
    QStringList myAccounts;
    QStringList myMaterials;
    QString adminPassword = QStringLiteral("admin");
    qint64 slowest = 0;
    QMap<QString, qint64> slowestByKind;
    int failures = 0;
    for (int n = 0; n < ops; ++n) {
        QElapsedTimer t;
        t.start();
        const int kind = passwd && n % 5 == 0 ? 9 : int(rng.bounded(6));
        QString line;
        switch (kind) {
        case 0:
        case 1: {
            const int score = handIn(dialogs);
            if (score >= 0)
                line = QStringLiteral("OK handin %1 %2").arg(login).arg(score);
            break;
        }
        case 2: {
            const QString acc = QStringLiteral("%1-u%2").arg(login).arg(n);
            if (usersAction(dialogs, true, acc, QStringLiteral("p"))) {
                myAccounts << acc;
                line = QStringLiteral("OK adduser ") + acc;
            }
            break;
        }
        case 3: {
            if (myAccounts.isEmpty()) {
                n--;
                continue;
            }
            const QString acc = myAccounts.takeAt(int(rng.bounded(int(myAccounts.size()))));
            if (usersAction(dialogs, false, acc, QStringLiteral("p")))
                line = QStringLiteral("OK deluser ") + acc;
            break;
        }
        case 4: {
            const QString name = QStringLiteral("%1-m%2").arg(login).arg(n);
            if (addMaterial(dialogs, name, QStringLiteral("/materials/%1.html").arg(name))) {
                myMaterials << name;
                line = QStringLiteral("OK addmat ") + name;
            }
            break;
        }
        case 5: {
            if (myMaterials.isEmpty()) {
                n--;
                continue;
            }
            const QString name = myMaterials.takeAt(int(rng.bounded(int(myMaterials.size()))));
            if (deleteMaterial(dialogs, name))
                line = QStringLiteral("OK delmat ") + name;
            break;
        }
        case 9: {
            const QString next = QStringLiteral("admin%1").arg(n);
            if (changeAdminPassword(dialogs, adminPassword, next)) {
                adminPassword = next;
                line = QStringLiteral("OK passwd ") + next;
            }
            break;
        }
        }
        const qint64 ms = t.elapsed();
        slowest = qMax(slowest, ms);
        if (!line.isEmpty()) {
            const QString kindName = line.section(QLatin1Char(' '), 1, 1);
            slowestByKind[kindName] = qMax(slowestByKind.value(kindName), ms);
        }
        if (line.isEmpty())
            ++failures;
        else
            say(line + QStringLiteral(" %1ms").arg(ms));
    }
    QStringList kinds;
    for (auto it = slowestByKind.cbegin(); it != slowestByKind.cend(); ++it)
        kinds << QStringLiteral("%1=%2ms").arg(it.key()).arg(it.value());
    say(QStringLiteral("DONE slowest=%1ms failures=%2 %3").arg(slowest).arg(failures).arg(kinds.join(QLatin1Char(' '))));
    app::destroyForms();
    return failures == 0 ? 0 : 2;
}

// Hand-ins and question edits until killed; a line is written only after the
// program acknowledged the change. Each edit's text carries the round and a
// counter, so that a check after the kill can order edits across rounds. With
// drop, the first edit is acknowledged without being posted and no edit follows:
// a lost edit that the crash test must notice.
int crashloop(const QString &id, int round, bool drop)
{
    ScriptedDialogs dialogs;
    if (!app::createForms()) {
        drainErrors(dialogs);
        return 1;
    }
    const QString login = QStringLiteral("c") + id;
    if (!signIn(dialogs, login, QStringLiteral("pw")))
        return 1;
    QWidget *f4 = form("Form4");
    bool dropped = false;
    for (int n = 0;; ++n) {
        if (n % 2 == 0 || dropped) {
            const int score = handIn(dialogs);
            if (score >= 0)
                say(QStringLiteral("CONFIRMED handin %1 %2").arg(login).arg(score));
        } else {
            // Edit the first question's text through the editor's bound field.
            auto *memo = child<QWidget>(f4, "sDBMemo1");
            const QString text = QStringLiteral("Вопрос, правка %1-%2-%3").arg(id).arg(round).arg(n);
            if (auto *pe = qobject_cast<QPlainTextEdit *>(memo))
                pe->setPlainText(text);
            else if (auto *te = qobject_cast<QTextEdit *>(memo))
                te->setPlainText(text);
            dialogs.clear();
            QWidget *nav = child<QWidget>(f4, "sDBNavigator1");
            if (drop) {
                child<QAbstractButton>(nav, "nbCancel")->click();
                dropped = true;
                say(QStringLiteral("CONFIRMED edit ") + text);
                continue;
            }
            child<QAbstractButton>(nav, "nbPost")->click();
            if (!drainErrors(dialogs))
                say(QStringLiteral("CONFIRMED edit ") + text);
        }
    }
}

// For the program run whole without a person: every box is written to standard
// error, questions are declined, input and the file dialog are cancelled.
class StreamDialogs final : public ui::Dialogs {
public:
    void message(QWidget *, const QString &title, const QString &text, ui::Icon icon) override
    {
        const char *kind = icon == ui::Icon::Error ? "error" : "message";
        std::fprintf(stderr, "[%s] %s: %s\n", kind, title.toUtf8().constData(), text.toUtf8().constData());
        std::fflush(stderr);
    }
    bool confirm(QWidget *, const QString &, const QString &text) override
    {
        std::fprintf(stderr, "[confirm] %s\n", text.toUtf8().constData());
        return false;
    }
    std::optional<QString> input(QWidget *, const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    QString openFile(QWidget *, const QString &, const QString &) override { return QString(); }
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 3 && qstrcmp(argv[1], "run") == 0) {
        if (!QDir::setCurrent(QString::fromLocal8Bit(argv[2]))) {
            std::fprintf(stderr, "no folder %s\n", argv[2]);
            return 64;
        }
        static StreamDialogs dialogs;
        ui::setDialogs(&dialogs);
        return app::run(argc, argv);
    }
    app::prepareEnvironment();
    QApplication a(argc, argv);
    app::prepareApplication();
    const QStringList args = a.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: etextbook-driver startup|worker|crashloop DIR ...\n");
        return 64;
    }
    if (!QDir::setCurrent(args.at(2))) {
        std::fprintf(stderr, "no folder %s\n", qPrintable(args.at(2)));
        return 64;
    }
    const QString mode = args.at(1);
    if (mode == QLatin1String("startup")) {
        ScriptedDialogs dialogs;
        const bool ok = app::createForms();
        drainErrors(dialogs);
        if (ok) {
            // A write, to learn how the file takes one.
            if (signIn(dialogs, QStringLiteral("Admin"), QStringLiteral("admin")) && handIn(dialogs) >= 0)
                say(QStringLiteral("OK write"));
            app::destroyForms();
        }
        return ok ? 0 : 1;
    }
    if (mode == QLatin1String("worker") && args.size() >= 6)
        return worker(args.at(3), args.at(4).toInt(), args.at(5).toUInt(),
                      args.size() > 6 && args.at(6) == QLatin1String("passwd"));
    if (mode == QLatin1String("crashloop") && args.size() >= 5)
        return crashloop(args.at(3), args.at(4).toInt(), args.size() > 5 && args.at(5) == QLatin1String("drop"));
    return 64;
}
