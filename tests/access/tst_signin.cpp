// Sign-in: the account lookup on plain lists, the login window against a course
// file, the administrator rule on the other windows, and cancelling.
#include "TestSupport.h"
#include "access/SignIn.h"
#include "access/Unit3.h"
#include "app/Unit1.h"
#include "common/Errors.h"
#include "data/Connection.h"
#include "data/Query.h"
#include "materials/Unit7.h"
#include "testing/Unit2.h"
#include "testing/Unit8.h"
#include "users/Unit5.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace testsupport;
using Outcome = signin::SignInOutcome;

Q_DECLARE_METATYPE(Outcome::Result)

namespace {

// Accounts stored before start-up; a null login or password is a null QVariant.
struct Account {
    QVariant login;
    QVariant password;
};
using Accounts = QList<Account>;

void storeAccounts(CourseDir &course, const Accounts &accounts)
{
    course.exec(QStringLiteral("delete from Пользователи"));
    for (const Account &a : accounts)
        course.exec(QStringLiteral("insert into Пользователи(Логин, Пароль, Группа) values (?, ?, '')"),
                    {a.login, a.password});
}

void signIn(const QString &login, const QString &password)
{
    Form3->UserName->setText(login);
    Form3->Password->setText(password);
    press(Form3->OKButton);
}

// Replaces the real end of the process for one test.
struct TerminateSpy {
    QList<int> codes;
    TerminateSpy()
    {
        signin::setTerminateHandler([this](int code) { codes << code; });
    }
    ~TerminateSpy() { signin::setTerminateHandler(nullptr); }
};

} // namespace

Q_DECLARE_METATYPE(Accounts)

class TestSignIn : public QObject {
    Q_OBJECT
private slots:
    void lookup_data();
    void lookup();
    void window_data();
    void window();
    void signingInAgainReappliesTheRule();
    void nothingElseTakesInputBeforeSignIn();
    void accountsAreReadOnceAtCreation();
    void loginsAndPasswordsAreReadAsOneState();
    void windowFrameAndFields();
    void keysOfTheWindow();
    void cancelWritesNothing();
    void cancelEndsTheProcessWithCodeZero();
};

void TestSignIn::lookup_data()
{
    QTest::addColumn<QStringList>("logins");
    QTest::addColumn<QStringList>("passwords");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<Outcome::Result>("result");
    QTest::addColumn<int>("account");

    const QStringList l{"Admin", "Иванов"}, p{"admin", "пароль"};
    QTest::newRow("no accounts") << QStringList() << QStringList() << "Admin" << "admin" << Outcome::NoAccount << -1;
    QTest::newRow("no accounts, empty typed") << QStringList() << QStringList() << "" << "" << Outcome::NoAccount << -1;
    QTest::newRow("unknown login") << l << p << "Петров" << "admin" << Outcome::NoAccount << -1;
    QTest::newRow("other case") << l << p << "admin" << "admin" << Outcome::NoAccount << -1;
    QTest::newRow("leading space") << l << p << " Admin" << "admin" << Outcome::NoAccount << -1;
    QTest::newRow("trailing space") << l << p << "Admin " << "admin" << Outcome::NoAccount << -1;
    QTest::newRow("password other case") << l << p << "Admin" << "Admin" << Outcome::WrongPassword << 0;
    QTest::newRow("password trailing space") << l << p << "Иванов" << "пароль " << Outcome::WrongPassword << 1;
    QTest::newRow("second account") << l << p << "Иванов" << "пароль" << Outcome::Success << 1;
    QTest::newRow("another's password") << l << p << "Иванов" << "admin" << Outcome::WrongPassword << 1;
    QTest::newRow("duplicate: first decides, wrong")
        << QStringList{"x", "dup", "dup"} << QStringList{"1", "first", "second"} << "dup" << "second"
        << Outcome::WrongPassword << 1;
    QTest::newRow("duplicate: first decides, right")
        << QStringList{"x", "dup", "dup"} << QStringList{"1", "first", "second"} << "dup" << "first"
        << Outcome::Success << 1;
    QTest::newRow("empty login, its password") << QStringList{"a", ""} << QStringList{"1", "p"} << "" << "p"
                                               << Outcome::Success << 1;
    QTest::newRow("empty login, empty password") << QStringList{""} << QStringList{""} << "" << ""
                                                 << Outcome::Success << 0;
    QTest::newRow("empty login, wrong password") << QStringList{""} << QStringList{"p"} << "" << ""
                                                 << Outcome::WrongPassword << 0;
}

void TestSignIn::lookup()
{
    QFETCH(QStringList, logins);
    QFETCH(QStringList, passwords);
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(Outcome::Result, result);
    QFETCH(int, account);
    const Outcome out = signin::checkSignIn(logins, passwords, login, password);
    QCOMPARE(out.result, result);
    QCOMPARE(out.account, account);
    // The badge later takes the typed login; it is known as soon as a login matched.
    QCOMPARE(out.matchedLogin, account >= 0 ? login : QString());
}

void TestSignIn::window_data()
{
    QTest::addColumn<Accounts>("accounts");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message"); // empty: signed in
    QTest::addColumn<bool>("admin");

    const QString none = signin::noAccountMessage(), wrong = signin::wrongPasswordMessage();
    const Accounts usual{{"Admin", "admin"}, {"Иванов", "пароль"}};
    const QString longLogin(40, u'л');

    QTest::newRow("no accounts") << Accounts() << "Admin" << "admin" << none << false;
    QTest::newRow("unknown login") << usual << "Сидоров" << "admin" << none << false;
    QTest::newRow("admin in small letters") << usual << "admin" << "admin" << none << false;
    QTest::newRow("leading space") << usual << " Admin" << "admin" << none << false;
    QTest::newRow("password with trailing space") << usual << "Admin" << "admin " << wrong << false;
    QTest::newRow("duplicate login, second password")
        << Accounts{{"Admin", "admin"}, {"dup", "first"}, {"dup", "second"}} << "dup" << "second" << wrong << false;
    QTest::newRow("null login matches empty")
        << Accounts{{"Admin", "admin"}, {QVariant(), "p"}} << "" << "p" << QString() << false;
    QTest::newRow("null password matches empty")
        << Accounts{{"Admin", "admin"}, {"Петров", QVariant()}} << "Петров" << "" << QString() << false;
    QTest::newRow("stored login over 31 characters")
        << Accounts{{"Admin", "admin"}, {longLogin, "p"}} << longLogin << "p" << none << false;
    QTest::newRow("stored password over 31 characters")
        << Accounts{{"Admin", "admin"}, {"Петров", QString(32, u'x')}} << "Петров" << QString(32, u'x') << wrong
        << false;
    QTest::newRow("Admin") << usual << "Admin" << "admin" << QString() << true;
    QTest::newRow("ordinary user") << usual << "Иванов" << "пароль" << QString() << false;
    QTest::newRow("login that looks like markup")
        << Accounts{{"Admin", "admin"}, {"<b>Петров</b>", "p"}} << "<b>Петров</b>" << "p" << QString() << false;
}

void TestSignIn::window()
{
    QFETCH(Accounts, accounts);
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(QString, message);
    QFETCH(bool, admin);

    CourseDir course;
    storeAccounts(course, accounts);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form1);
    QVERIFY(Form3->isVisible());
    QVERIFY(Form1->AlphaBlend());
    QCOMPARE(Form1->AlphaBlendValue(), 0);
    QCOMPARE(CurrentLogin(), QStringLiteral("ghg"));

    signIn(login, password);

    if (!message.isEmpty()) {
        QCOMPARE(dialogs.texts(), QStringList{message});
        QCOMPARE(dialogs.boxes.at(0).icon, ui::Icon::Information);
        QVERIFY(Form3->isVisible());
        QVERIFY(Form1->AlphaBlend());
        QCOMPARE(CurrentLogin(), QStringLiteral("ghg"));
        // The texts stay for the next try.
        QCOMPARE(Form3->UserName->text(), login.left(signin::kFieldLength));
        QCOMPARE(Form3->Password->text(), password.left(signin::kFieldLength));
        return;
    }
    QVERIFY(dialogs.boxes.isEmpty());
    QVERIFY(!Form3->isVisible());
    QVERIFY(!Form1->AlphaBlend());
    QCOMPARE(Form1->windowOpacity(), 1.0);
    QCOMPARE(CurrentLogin(), login);
    // The badge shows every character typed; markup in a login is not rendered.
    QVERIFY(Form1->sPanel1->sizeHint().width() >= QFontMetrics(Form1->sPanel1->font()).horizontalAdvance(login));
    QCOMPARE(Form1->sSpeedButton5->isHidden(), !admin);
    // The materials window is hidden; what counts is whether its group shows with it.
    QCOMPARE(Form7->sGroupBox1->isHidden(), !admin);
}

void TestSignIn::signingInAgainReappliesTheRule()
{
    CourseDir course;
    course.addUser(QStringLiteral("Иванов"), QStringLiteral("1"));
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form1);
    signIn(QStringLiteral("Admin"), QStringLiteral("admin"));
    QVERIFY(!Form1->sSpeedButton5->isHidden());
    QVERIFY(!Form7->sGroupBox1->isHidden());

    // Showing the login window again hides the main window again; the texts remain.
    showForm(Form3);
    QVERIFY(Form1->AlphaBlend());
    QCOMPARE(Form1->AlphaBlendValue(), 0);
    QCOMPARE(Form3->UserName->text(), QStringLiteral("Admin"));

    // A failed attempt leaves the previous user and the rule as they were.
    signIn(QStringLiteral("Иванов"), QStringLiteral("2"));
    QCOMPARE(CurrentLogin(), QStringLiteral("Admin"));
    QVERIFY(!Form1->sSpeedButton5->isHidden());

    signIn(QStringLiteral("Иванов"), QStringLiteral("1"));
    QCOMPARE(CurrentLogin(), QStringLiteral("Иванов"));
    QVERIFY(Form1->sSpeedButton5->isHidden());
    QVERIFY(Form7->sGroupBox1->isHidden());
    QCOMPARE(dialogs.texts(), QStringList{signin::wrongPasswordMessage()});
}

// The main window stays on screen behind the login window wherever no compositor
// draws it transparent; clicks and keys on it, or on any window it could show,
// must do nothing until a sign-in succeeds.
void TestSignIn::nothingElseTakesInputBeforeSignIn()
{
    CourseDir course;
    course.addQuestion(QStringLiteral("Вопрос"), {"1", "2", "3", "4", "5"}, 1);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form1);
    QVERIFY(Form3->isVisible());

    QTest::mouseClick(Form1->sSpeedButton5, Qt::LeftButton);
    QVERIFY2(!Form5->isVisible(), "the users window opened before sign-in");
    QTest::mouseClick(Form1->sSpeedButton4, Qt::LeftButton);
    QVERIFY(!Form8->isVisible());
    Form1->sSpeedButton1->setFocus();
    QTest::keyClick(Form1->sSpeedButton1, Qt::Key_Space);
    QVERIFY(!Form7->isVisible());
    QVERIFY(!Form1->sSpeedButton1->Down() && !Form1->sSpeedButton4->Down() && !Form1->sSpeedButton5->Down());

    // A window the main window could show takes nothing either, should it be up.
    Form8->show();
    QTest::mouseClick(Form8->sSpeedButton1, Qt::LeftButton);
    Form8->sSpeedButton1->setFocus();
    QTest::keyClick(Form8->sSpeedButton1, Qt::Key_Space);
    QVERIFY(!Form2->isVisible());
    Form8->hide();
    QCOMPARE(course.count(QStringLiteral("Тесты")), 0);
    QVERIFY(dialogs.boxes.isEmpty());

    // The login window itself takes keys and clicks as usual.
    QTest::keyClicks(Form3->UserName, QStringLiteral("Admin"));
    QTest::keyClicks(Form3->Password, QStringLiteral("wrong"));
    QTest::mouseClick(Form3->OKButton, Qt::LeftButton);
    QCOMPARE(dialogs.texts(), QStringList{signin::wrongPasswordMessage()});
    Form3->Password->clear();
    QTest::keyClicks(Form3->Password, QStringLiteral("admin"));
    QTest::keyClick(Form3->Password, Qt::Key_Return);
    QCOMPARE(CurrentLogin(), QStringLiteral("Admin"));

    // Signed in, the main window answers.
    QTest::mouseClick(Form1->sSpeedButton5, Qt::LeftButton);
    QVERIFY(Form5->isVisible());

    // Showing the login window again closes the way until the next sign-in.
    Form5->hide();
    showForm(Form3);
    QTest::mouseClick(Form1->sSpeedButton5, Qt::LeftButton);
    QVERIFY(!Form5->isVisible());
}

void TestSignIn::accountsAreReadOnceAtCreation()
{
    CourseDir course;
    course.addUser(QStringLiteral("Старый"), QStringLiteral("1"));
    ScriptedDialogs dialogs;
    StatementLog log;
    Forms forms;
    QVERIFY(forms.ok());
    const QStringList issued = log.texts();
    QVERIFY(issued.contains(QStringLiteral("select Логин from Пользователи")));
    QVERIFY(issued.contains(QStringLiteral("select Пароль from Пользователи")));

    course.addUser(QStringLiteral("Новый"), QStringLiteral("2"));
    course.exec(QStringLiteral("delete from Пользователи where Логин = 'Старый'"));
    log.clear();
    showForm(Form1);

    signIn(QStringLiteral("Новый"), QStringLiteral("2"));
    QCOMPARE(dialogs.texts(), QStringList{signin::noAccountMessage()});
    QVERIFY(Form3->isVisible());
    signIn(QStringLiteral("Старый"), QStringLiteral("1"));
    QCOMPARE(CurrentLogin(), QStringLiteral("Старый"));
    QVERIFY(log.texts().filter(QStringLiteral("Пользователи")).isEmpty());
}

// Another copy deletes an account between the login read and the password read:
// the two lists must still be of one state, so no login meets another's password.
void TestSignIn::loginsAndPasswordsAreReadAsOneState()
{
    CourseDir course;
    storeAccounts(course, {{"Admin", "admin"}, {"A", "1"}, {"B", "2"}, {"C", "3"}});
    ScriptedDialogs dialogs;
    data::Connection other;
    other.open();
    other.setBusyTimeout(100);
    int refused = 0;
    data::setStatementHook([&](const QString &text, const QVariantMap &) {
        if (text != QStringLiteral("select Пароль from Пользователи"))
            return;
        data::Query w(other);
        w.addLine(QStringLiteral("delete from Пользователи where Код = "
                                 "(select min(Код) from Пользователи where Логин <> 'Admin')"));
        try {
            w.ExecSQL();
        } catch (const AppError &) {
            ++refused;
        }
    });
    Forms forms;
    data::setStatementHook(nullptr);
    QVERIFY(forms.ok());
    QVERIFY(refused > 0);
    QCOMPARE(Form3->LoginList.size(), Form3->PasswordList.size());
    const QStringList logins{"Admin", "A", "B", "C"}, passwords{"admin", "1", "2", "3"};
    for (int i = 0; i < Form3->LoginList.size(); ++i)
        QCOMPARE(Form3->PasswordList.at(i), passwords.at(logins.indexOf(Form3->LoginList.at(i))));
    // Nothing stays locked once the lists are read.
    data::Query w(other);
    w.addLine(QStringLiteral("delete from Пользователи where Логин = 'C'"));
    w.ExecSQL();
}

void TestSignIn::windowFrameAndFields()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form1);

    QVERIFY(Form3->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(Form3->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(Form3->size(), QSize(294, 141));
    QVERIFY(Form3->geometry().contains(QGuiApplication::primaryScreen()->availableGeometry().center()));

    QCOMPARE(Form3->Prompt->text(), QStringLiteral("Введите пользователя и пароль"));
    QVERIFY(Form3->Prompt->font().bold());
    QVERIFY(Form3->Bevel1->geometry().top() > Form3->Prompt->geometry().top());
    QCOMPARE(Form3->Label1->text(), QStringLiteral("Пользователь"));
    QCOMPARE(Form3->Label2->text(), QStringLiteral("Пароль"));
    QVERIFY(Form3->Label1->font().bold() && Form3->Label2->font().bold());
    QCOMPARE(Form3->Label1->buddy(), Form3->UserName);
    QCOMPARE(Form3->Label2->buddy(), Form3->Password);
    QCOMPARE(Form3->OKButton->text(), QStringLiteral("&OK"));
    QCOMPARE(Form3->CancelButton->text(), QStringLiteral("&Отмена"));
    QVERIFY(Form3->OKButton->isDefault());

    // Typing stops at 31 characters; the password shows one star per character.
    QTest::keyClicks(Form3->UserName, QString(40, u'a'));
    QCOMPARE(Form3->UserName->text().size(), signin::kFieldLength);
    QTest::keyClicks(Form3->Password, QStringLiteral("secret"));
    QCOMPARE(Form3->Password->text(), QStringLiteral("secret"));
    QCOMPARE(Form3->Password->displayText(), QStringLiteral("******"));
    QCOMPARE(Form3->UserName->displayText(), Form3->UserName->text());

    const QList<QWidget *> order{Form3->UserName, Form3->Password, Form3->OKButton, Form3->CancelButton};
    // What Tab walks: the focus chain without the controls that take no Tab focus.
    auto nextTabStop = [](QWidget *w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    for (int i = 0; i < order.size(); ++i)
        QCOMPARE(nextTabStop(order[i]), order[(i + 1) % order.size()]);
    for (QWidget *w : order)
        QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
}

void TestSignIn::keysOfTheWindow()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    TerminateSpy terminate;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form1);

    // Enter in either field runs the check.
    Form3->UserName->setText(QStringLiteral("Admin"));
    Form3->Password->setText(QStringLiteral("wrong"));
    QTest::keyClick(Form3->UserName, Qt::Key_Return);
    QCOMPARE(dialogs.texts(), QStringList{signin::wrongPasswordMessage()});
    Form3->Password->setText(QStringLiteral("admin"));
    QTest::keyClick(Form3->Password, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(CurrentLogin(), QStringLiteral("Admin"));
    QVERIFY(terminate.codes.isEmpty());

    // Esc cancels from a field, and Enter on the focused "Отмена" presses it.
    showForm(Form3);
    QTest::keyClick(Form3->Password, Qt::Key_Escape);
    QCOMPARE(terminate.codes, QList<int>{0});
    Form3->CancelButton->setFocus();
    QTest::keyClick(Form3->CancelButton, Qt::Key_Return);
    QCOMPARE(terminate.codes, (QList<int>{0, 0}));
    QCOMPARE(dialogs.boxes.size(), 1);

    // Closed from outside (Alt+F4), the window does not leave an invisible main
    // window behind: it ends the program like "Отмена".
    QVERIFY(!Form3->close());
    QCOMPARE(terminate.codes, (QList<int>{0, 0, 0}));
    QVERIFY(Form3->isVisible());
}

void TestSignIn::cancelWritesNothing()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    TerminateSpy terminate;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form1);
    StatementLog log;
    Form3->UserName->setText(QStringLiteral("Admin"));
    Form3->Password->setText(QStringLiteral("admin"));
    press(Form3->CancelButton);
    QCOMPARE(terminate.codes, QList<int>{0});
    QVERIFY(log.entries.isEmpty());
    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(CurrentLogin(), QStringLiteral("ghg"));
}

void TestSignIn::cancelEndsTheProcessWithCodeZero()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    const int before = course.count(QStringLiteral("Тесты")) + course.count(QStringLiteral("Пользователи"));
    course.closeOwnConnection();

    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        // The real end: nothing after the press may run.
        Form3->CancelButton->click();
        ::_exit(99);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(course.count(QStringLiteral("Тесты")) + course.count(QStringLiteral("Пользователи")), before);
}

ETEXTBOOK_TEST_MAIN(TestSignIn)
#include "tst_signin.moc"
