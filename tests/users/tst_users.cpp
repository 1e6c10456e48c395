// The users window: adding and deleting accounts, the administrator's password
// change that must never lose its row, search by filter and by locate, and the
// window state that survives hiding.
#include "TestSupport.h"
#include "app/Unit1.h"
#include "common/Errors.h"
#include "data/Connection.h"
#include "data/DataSet.h"
#include "users/Unit5.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace testsupport;

namespace {

const QString kInsert = QStringLiteral("insert into Пользователи(Логин, Пароль, Группа) values (:a1,:a2,:a3 )");
const QString kDelete = QStringLiteral("delete from Пользователи \nwhere Логин= :a1 and Пароль= :a2 ");

// A course folder with the windows created over it; accounts added before start()
// are in the grid from the beginning, as at a real start.
struct Session {
    CourseDir course;
    ScriptedDialogs dialogs;
    std::unique_ptr<Forms> forms;

    TForm5 *start()
    {
        forms = std::make_unique<Forms>();
        if (!forms->ok())
            qFatal("the windows could not be created");
        showForm(Form5);
        return Form5;
    }
    // Accounts as stored: login, password, group (null shown as "<null>"), in row order.
    QStringList accounts()
    {
        QStringList out;
        for (const QVariantList &r : course.rows(QStringLiteral("select Логин, Пароль, Группа from Пользователи order by Код")))
            out << r.at(0).toString() + '/' + r.at(1).toString() + '/' +
                       (r.at(2).isNull() ? QStringLiteral("<null>") : r.at(2).toString());
        return out;
    }
};

// The logins the grid shows, top to bottom.
QStringList gridLogins(TForm5 *w)
{
    QStringList out;
    const auto *m = w->DBGrid1->model();
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, 0).data().toString();
    return out;
}

QStringList changeStatements(const StatementLog &log)
{
    QStringList out;
    for (const auto &e : log.entries)
        if (!e.text.startsWith(QLatin1String("select")))
            out << e.text;
    return out;
}

QString longText(int n) { return QString(n, QLatin1Char('x')); }

} // namespace

class TestUsers : public QObject {
    Q_OBJECT
private slots:
    void initialState();
    void modesSwapTheActionButton();
    void add_data();
    void add();
    void addRefusedByTheEngine();
    void remove_data();
    void remove();
    void passwordChange_data();
    void passwordChange();
    void passwordChangeWithSeveralAdminRows();
    void passwordChangeUnderAFilter();
    void filterExpressionQuoting_data();
    void filterExpressionQuoting();
    void filter_data();
    void filter();
    void filterSurvivesChangesUntilTheNextSearch();
    void locate_data();
    void locate();
    void stateSurvivesHideAndShow();
    void searchAfterAFailedRead_data();
    void searchAfterAFailedRead();
};

void TestUsers::initialState()
{
    Session s;
    s.course.addUser("ivan", "1", "P-11");
    TForm5 *w = s.start();
    QCOMPARE(w->windowTitle(), QStringLiteral("Пользователи"));
    QCOMPARE(w->size(), QSize(783, 408));
    QVERIFY(w->sSpeedButton1->Down());
    QVERIFY(!w->sSpeedButton2->Down());
    QVERIFY(w->sBitBtn1->isVisible());
    QVERIFY(!w->sBitBtn2->isVisible());
    QCOMPARE(w->sBitBtn1->text(), QStringLiteral("Қосу"));
    QCOMPARE(w->sBitBtn1->geometry(), w->sBitBtn2->geometry());
    QVERIFY(!w->sCheckBox1->isChecked());
    QVERIFY(!w->ADOTable1->filtered());
    // Only the three account fields, titled with their names; the key stays out of sight.
    const auto *m = w->DBGrid1->model();
    QCOMPARE(m->columnCount(), 3);
    QStringList titles;
    for (int c = 0; c < 3; ++c)
        titles << m->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"Логин", "Пароль", "Группа"}));
    QCOMPARE(gridLogins(w), (QStringList{"Admin", "ivan"}));
    QVERIFY(w->DBGrid1->isReadOnly());
    QVERIFY(!(m->flags(m->index(1, 1)) & Qt::ItemIsEditable));
    // The labels name their fields for keyboard and screen-reader users.
    QCOMPARE(w->sLabel2->buddy(), w->sEdit2);
    QCOMPARE(w->sLabel5->buddy(), w->sEdit5);
    QCOMPARE(w->sEdit6->accessibleName(), QStringLiteral("Новый пароль"));
}

void TestUsers::modesSwapTheActionButton()
{
    Session s;
    TForm5 *w = s.start();
    w->sEdit2->setText("u");
    w->sEdit4->setText("g");
    press(w->sSpeedButton2);
    QVERIFY(w->sSpeedButton2->Down() && !w->sSpeedButton1->Down());
    QVERIFY(!w->sLabel4->isVisible() && !w->sEdit4->isVisible());
    QVERIFY(w->sBitBtn2->isVisible() && !w->sBitBtn1->isVisible());
    press(w->sSpeedButton2); // again: still delete mode
    QVERIFY(w->sBitBtn2->isVisible() && !w->sBitBtn1->isVisible());
    press(w->sSpeedButton1);
    QVERIFY(w->sLabel4->isVisible() && w->sEdit4->isVisible());
    QVERIFY(w->sBitBtn1->isVisible() && !w->sBitBtn2->isVisible());
    // Switching modes leaves what was typed.
    QCOMPARE(w->sEdit2->text(), QStringLiteral("u"));
    QCOMPARE(w->sEdit4->text(), QStringLiteral("g"));
    QVERIFY(s.dialogs.boxes.isEmpty());
}

void TestUsers::add_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("stored"); // empty: nothing stored, fields kept

    QTest::newRow("full") << "ivan" << "pw" << "P-11" << "ivan/pw/P-11";
    QTest::newRow("empty group is empty text") << "ivan" << "pw" << "" << "ivan/pw/";
    QTest::newRow("no login") << "" << "pw" << "P-11" << "";
    QTest::newRow("no password") << "ivan" << "" << "P-11" << "";
    QTest::newRow("spaces are kept") << " ivan " << " " << " " << " ivan / / ";
    // Longer than sign-in accepts, but within what the file keeps.
    QTest::newRow("long login") << longText(40) << "pw" << "" << longText(40) + "/pw/";
}

void TestUsers::add()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(QString, group);
    QFETCH(QString, stored);
    Session s;
    TForm5 *w = s.start();
    StatementLog log;
    w->sEdit2->setText(login);
    w->sEdit3->setText(password);
    w->sEdit4->setText(group);
    press(w->sBitBtn1);
    QVERIFY(s.dialogs.boxes.isEmpty());
    if (stored.isEmpty()) {
        QCOMPARE(s.accounts(), QStringList{"Admin/admin/"});
        QVERIFY(log.entries.isEmpty());
        QCOMPARE(w->sEdit2->text(), login);
        QCOMPARE(w->sEdit3->text(), password);
        QCOMPARE(w->sEdit4->text(), group);
        return;
    }
    QCOMPARE(s.accounts(), (QStringList{"Admin/admin/", stored}));
    QCOMPARE(changeStatements(log), QStringList{kInsert});
    QCOMPARE(log.entries.first().params.value("a3").toString(), group);
    QCOMPARE(gridLogins(w), (QStringList{"Admin", login}));
    QVERIFY(w->sEdit2->text().isEmpty() && w->sEdit3->text().isEmpty() && w->sEdit4->text().isEmpty());
    // A group field emptied by the add still stores the empty text, not null.
    w->sEdit2->setText("next");
    w->sEdit3->setText("pw");
    press(w->sBitBtn1);
    QCOMPARE(s.accounts().last(), QStringLiteral("next/pw/"));
}

void TestUsers::addRefusedByTheEngine()
{
    Session s;
    TForm5 *w = s.start();
    w->sEdit2->setText(longText(51));
    w->sEdit3->setText("pw");
    press(w->sBitBtn1);
    QCOMPARE(s.dialogs.errorTexts().size(), 1);
    QCOMPARE(s.accounts(), QStringList{"Admin/admin/"});
    // The failing step ends the action: nothing is cleared, so the text can be corrected.
    QCOMPARE(w->sEdit2->text(), longText(51));
    QCOMPARE(w->sEdit3->text(), QStringLiteral("pw"));
}

void TestUsers::remove_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");  // the one box expected, or empty
    QTest::addColumn<bool>("issued");      // a delete statement was sent
    QTest::addColumn<QStringList>("left"); // logins stored afterwards
    QTest::addColumn<bool>("cleared");     // login and password fields cleared

    const QString refused = QStringLiteral("Нельзя удалить Администратора");
    const QStringList all{"Admin", "ivan", "petr"};
    QTest::newRow("Admin, right password") << "Admin" << "admin" << refused << false << all << false;
    QTest::newRow("Admin before the empty test") << "Admin" << "" << refused << false << all << false;
    QTest::newRow("admin in other case is no administrator") << "admin" << "admin" << "" << true << all << true;
    QTest::newRow("no login") << "" << "1" << "" << false << all << false;
    QTest::newRow("no password") << "ivan" << "" << "" << false << all << false;
    QTest::newRow("wrong password") << "ivan" << "2" << "" << true << all << true;
    QTest::newRow("right password") << "ivan" << "1" << "" << true << QStringList{"Admin", "petr"} << true;
}

void TestUsers::remove()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(QString, message);
    QFETCH(bool, issued);
    QFETCH(QStringList, left);
    QFETCH(bool, cleared);
    Session s;
    s.course.addUser("ivan", "1", "P-11");
    s.course.addUser("petr", "1", "P-12");
    TForm5 *w = s.start();
    press(w->sSpeedButton2);
    StatementLog log;
    w->sEdit2->setText(login);
    w->sEdit3->setText(password);
    w->sEdit4->setText("kept");
    press(w->sBitBtn2);
    QCOMPARE(s.dialogs.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(changeStatements(log), issued ? QStringList{kDelete} : QStringList());
    if (issued) {
        QCOMPARE(log.entries.first().params.value("a1").toString(), login);
        QCOMPARE(log.entries.first().params.value("a2").toString(), password);
    }
    QStringList stored;
    for (const QVariantList &r : s.course.rows("select Логин from Пользователи order by Код"))
        stored << r.at(0).toString();
    QCOMPARE(stored, left);
    QCOMPARE(gridLogins(w), left);
    QCOMPARE(w->sEdit2->text().isEmpty(), cleared || login.isEmpty());
    QCOMPARE(w->sEdit3->text().isEmpty(), cleared || password.isEmpty());
    QCOMPARE(w->sEdit4->text(), QStringLiteral("kept"));
}

void TestUsers::passwordChange_data()
{
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("admin");   // the administrator row afterwards
    QTest::addColumn<int>("changes");     // change statements sent
    QTest::addColumn<bool>("error");      // an error box
    QTest::addColumn<bool>("cleared");    // both fields cleared

    QTest::newRow("right old password") << "admin" << "s3cret" << "Admin/s3cret/" << 2 << false << true;
    QTest::newRow("wrong old password") << "Admin" << "s3cret" << "Admin/admin/P-0" << 1 << false << false;
    QTest::newRow("no old password") << "" << "s3cret" << "Admin/admin/P-0" << 0 << false << false;
    QTest::newRow("no new password") << "admin" << "" << "Admin/admin/P-0" << 0 << false << false;
    // The engine refuses the new row after the old one went: both are rolled back.
    QTest::newRow("refused new password") << "admin" << longText(51) << "Admin/admin/P-0" << 2 << true << false;
}

void TestUsers::passwordChange()
{
    QFETCH(QString, oldPassword);
    QFETCH(QString, newPassword);
    QFETCH(QString, admin);
    QFETCH(int, changes);
    QFETCH(bool, error);
    QFETCH(bool, cleared);
    Session s;
    s.course.exec("update Пользователи set Группа = 'P-0' where Логин = 'Admin'");
    s.course.addUser("ivan", "1", "P-11");
    TForm5 *w = s.start();
    StatementLog log;
    w->sEdit5->setText(oldPassword);
    w->sEdit6->setText(newPassword);
    press(w->sBitBtn3);
    QCOMPARE(s.dialogs.errorTexts().size(), error ? 1 : 0);
    QCOMPARE(s.dialogs.boxes.size(), error ? 1 : 0);
    const QStringList stored = s.accounts();
    QCOMPARE(stored.size(), 2);
    QVERIFY2(stored.contains(admin), qPrintable(stored.join(", ")));
    QVERIFY(stored.contains("ivan/1/P-11"));
    const QStringList sent = changeStatements(log);
    QCOMPARE(sent.size(), changes);
    if (changes == 2) {
        QCOMPARE(sent, (QStringList{kDelete, kInsert}));
        for (const auto &e : log.entries) {
            if (e.text == kDelete)
                QCOMPARE(e.params, (QVariantMap{{"a1", "Admin"}, {"a2", oldPassword}}));
            if (e.text == kInsert)
                QCOMPARE(e.params, (QVariantMap{{"a1", "Admin"}, {"a2", newPassword}, {"a3", ""}}));
        }
    }
    QCOMPARE(w->sEdit5->text().isEmpty(), cleared || oldPassword.isEmpty());
    QCOMPARE(w->sEdit6->text().isEmpty(), cleared || newPassword.isEmpty());
    // The grid shows what is stored, never a state that was rolled back.
    QCOMPARE(gridLogins(w).size(), 2);
    QVERIFY(gridLogins(w).contains("Admin"));
    // The file is not left locked: another change goes through.
    s.course.addUser("after", "x");
}

void TestUsers::passwordChangeWithSeveralAdminRows()
{
    Session s;
    s.course.addUser("Admin", "admin", "second");
    s.course.addUser("Admin", "other", "third");
    TForm5 *w = s.start();
    w->sEdit5->setText("admin");
    w->sEdit6->setText("new");
    press(w->sBitBtn3);
    QVERIFY(s.dialogs.boxes.isEmpty());
    QStringList stored = s.accounts();
    stored.sort();
    // Every row with the old password is replaced by one; the other one is not touched.
    QCOMPARE(stored, (QStringList{"Admin/new/", "Admin/other/third"}));
}

void TestUsers::passwordChangeUnderAFilter()
{
    Session s;
    s.course.addUser("ivan", "1", "P-11");
    TForm5 *w = s.start();
    w->sEdit1->setText("ivan");
    w->sCheckBox1->setChecked(true);
    press(w->sButton1);
    QCOMPARE(gridLogins(w), QStringList{"ivan"});
    w->sEdit5->setText("admin");
    w->sEdit6->setText("new");
    press(w->sBitBtn3);
    // The count is of the table, not of the filtered grid, so the change is seen.
    QVERIFY(s.accounts().contains("Admin/new/"));
    QVERIFY(w->sEdit5->text().isEmpty());
    QCOMPARE(gridLogins(w), QStringList{"ivan"});
}

void TestUsers::filterExpressionQuoting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expression");
    QTest::newRow("plain") << "ivan" << "Логин = 'ivan'";
    QTest::newRow("one quote") << "o'neil" << "Логин = 'o''neil'";
    QTest::newRow("two quotes") << "a''b'" << "Логин = 'a''''b'''";
    QTest::newRow("only a quote") << "'" << "Логин = ''''";
    QTest::newRow("empty") << "" << "Логин = ''";
}

void TestUsers::filterExpressionQuoting()
{
    QFETCH(QString, text);
    QFETCH(QString, expression);
    QCOMPARE(data::filterExpression("Логин", text), expression);
    // What goes in comes out again, quotes and all.
    QString field, value;
    QVERIFY(data::parseFilterExpression(expression, &field, &value));
    QCOMPARE(field, QStringLiteral("Логин"));
    QCOMPARE(value, text);
}

void TestUsers::filter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("one login") << "ivan" << QStringList{"ivan"};
    QTest::newRow("quote in the text") << "o'neil" << QStringList{"o'neil"};
    QTest::newRow("empty text: empty logins only") << "" << QStringList{"", ""};
    QTest::newRow("whole value, with case") << "Ivan" << QStringList{};
    QTest::newRow("no partial match") << "iva" << QStringList{};
}

void TestUsers::filter()
{
    QFETCH(QString, text);
    QFETCH(QStringList, shown);
    Session s;
    s.course.addUser("ivan", "1");
    s.course.addUser("o'neil", "2");
    s.course.addUser("", "3");
    s.course.addUser("", "4");
    TForm5 *w = s.start();
    w->DBGrid1->setCurrentIndex(w->DBGrid1->model()->index(2, 0));
    w->sEdit1->setText(text);
    w->sCheckBox1->setChecked(true);
    press(w->sButton1);
    QVERIFY(s.dialogs.boxes.isEmpty());
    QCOMPARE(w->ADOTable1->filterText(), data::filterExpression("Логин", text));
    QCOMPARE(gridLogins(w), shown);
    // The current row moves to the first row shown.
    QCOMPARE(w->ADOTable1->RecNo(), shown.isEmpty() ? -1 : 0);
    QCOMPARE(w->DBGrid1->currentIndex().row(), shown.isEmpty() ? -1 : 0);
    // Clearing the box lifts the filter at the next search.
    w->sCheckBox1->setChecked(false);
    QCOMPARE(gridLogins(w), shown);
    press(w->sButton1);
    QCOMPARE(gridLogins(w).size(), 5);
}

void TestUsers::filterSurvivesChangesUntilTheNextSearch()
{
    Session s;
    s.course.addUser("ivan", "1");
    TForm5 *w = s.start();
    w->sEdit1->setText("ivan");
    w->sCheckBox1->setChecked(true);
    press(w->sButton1);
    w->sEdit2->setText("petr");
    w->sEdit3->setText("1");
    press(w->sBitBtn1);
    QCOMPARE(gridLogins(w), QStringList{"ivan"});
    press(w->sSpeedButton2);
    w->sEdit2->setText("petr");
    w->sEdit3->setText("1");
    w->sCheckBox1->setChecked(false);
    press(w->sBitBtn2);
    QCOMPARE(gridLogins(w), QStringList{"ivan"});
    press(w->sButton1);
    QCOMPARE(gridLogins(w), (QStringList{"Admin", "ivan"}));
}

void TestUsers::locate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("row"); // the current row afterwards; it starts on row 1
    QTest::newRow("found") << "petr" << 3;
    QTest::newRow("first of two equal logins") << "dup" << 2;
    QTest::newRow("no match stays") << "nobody" << 1;
    QTest::newRow("case differs: no match") << "PETR" << 1;
    QTest::newRow("prefix: no match") << "pe" << 1;
    QTest::newRow("quote needs no quoting") << "o'neil" << 5;
}

void TestUsers::locate()
{
    QFETCH(QString, text);
    QFETCH(int, row);
    Session s;
    s.course.addUser("ivan", "1");
    s.course.addUser("dup", "1");
    s.course.addUser("petr", "1");
    s.course.addUser("dup", "2");
    s.course.addUser("o'neil", "1");
    TForm5 *w = s.start();
    w->DBGrid1->setCurrentIndex(w->DBGrid1->model()->index(1, 0));
    QCOMPARE(w->ADOTable1->RecNo(), 1);
    w->sEdit1->setText(text);
    press(w->sButton1);
    QVERIFY(s.dialogs.boxes.isEmpty());
    QVERIFY(!w->ADOTable1->filtered());
    QCOMPARE(w->ADOTable1->RecNo(), row);
    QCOMPARE(w->DBGrid1->currentIndex().row(), row);
}

void TestUsers::stateSurvivesHideAndShow()
{
    Session s;
    s.course.addUser("ivan", "1");
    TForm5 *w = s.start();
    press(w->sSpeedButton2);
    w->sEdit1->setText("ivan");
    w->sCheckBox1->setChecked(true);
    press(w->sButton1);
    w->sEdit2->setText("a");
    w->sEdit3->setText("b");
    w->sEdit5->setText("c");
    w->sEdit6->setText("d");
    w->close();
    QVERIFY(!w->isVisible());
    s.course.addUser("ivan", "2"); // behind the window's back
    showForm(w);
    QVERIFY(w->sSpeedButton2->Down());
    QVERIFY(w->sBitBtn2->isVisible() && !w->sBitBtn1->isVisible() && !w->sEdit4->isVisible());
    QVERIFY(w->sCheckBox1->isChecked());
    QCOMPARE(gridLogins(w), QStringList{"ivan"}); // not read again by showing
    const QStringList texts{w->sEdit1->text(), w->sEdit2->text(), w->sEdit3->text(), w->sEdit5->text(),
                            w->sEdit6->text()};
    QCOMPARE(texts, (QStringList{"ivan", "a", "b", "c", "d"}));
}

void TestUsers::searchAfterAFailedRead_data()
{
    QTest::addColumn<bool>("filter");
    QTest::newRow("locate") << false;
    QTest::newRow("filter") << true;
}

// The grid's table could not be read again (another program held the file): a
// search says so and asks to try again, and works once the file is free.
void TestUsers::searchAfterAFailedRead()
{
    QFETCH(bool, filter);
    Session s;
    s.course.addUser("ivan", "1");
    s.course.addUser("petr", "2");
    TForm5 *w = s.start();
    Form1->ADOConnection1->setBusyTimeout(100);
    s.course.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    QVERIFY_THROWS_EXCEPTION(AppError, w->ADOTable1->Refresh());
    QVERIFY(!w->ADOTable1->Active());

    w->sCheckBox1->setChecked(filter);
    w->sEdit1->setText(QStringLiteral("petr"));
    press(w->sButton1);
    QCOMPARE(s.dialogs.errorTexts().size(), 1);
    const QString text = s.dialogs.errorTexts().at(0);
    QVERIFY2(!text.contains(QStringLiteral("нет поля")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("не удалось прочитать")) && text.contains(QStringLiteral("Повторите")),
             qPrintable(text));
    s.course.exec(QStringLiteral("ROLLBACK"));

    s.dialogs.clear();
    press(w->sButton1);
    QVERIFY(s.dialogs.boxes.isEmpty());
    QVERIFY(w->ADOTable1->Active());
    QCOMPARE(w->ADOTable1->fieldValue(w->ADOTable1->fieldIndex(QStringLiteral("Логин"))).toString(),
             QStringLiteral("petr"));
    QCOMPARE(gridLogins(w), filter ? QStringList{"petr"} : (QStringList{"Admin", "ivan", "petr"}));
}

ETEXTBOOK_TEST_MAIN(TestUsers)
#include "tst_users.moc"
