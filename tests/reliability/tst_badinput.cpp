// Hostile text through every field a user can type into: each value is stored
// exactly as typed or refused with a clear message, nothing crashes, nothing
// half-written stays behind, and no text changes what a statement means.
#include "TestSupport.h"
#include "access/Unit3.h"
#include "app/Unit1.h"
#include "common/DBControls.h"
#include "common/DBNavigator.h"
#include "materials/LookupListBox.h"
#include "materials/Unit7.h"
#include "testing/Unit4.h"
#include "users/Unit5.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace testsupport;

class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void hostileText_data();
    void signIn_data() { hostileText_data(); }
    void signIn();
    void materials_data() { hostileText_data(); }
    void materials();
    void accounts_data() { hostileText_data(); }
    void accounts();
    void adminPassword_data() { hostileText_data(); }
    void adminPassword();
    void questionEditor_data() { hostileText_data(); }
    void questionEditor();

private:
    CourseDir *course = nullptr;
    ScriptedDialogs *dialogs = nullptr;
    Forms *forms = nullptr;
};

void TestBadInput::init()
{
    course = new CourseDir;
    course->addUser(QStringLiteral("Иванов"), QStringLiteral("1111"));
    course->addQuestion(QStringLiteral("Сколько бит в байте?"), {"8", "4", "16", "2", "10"}, 1);
    course->closeOwnConnection();
    dialogs = new ScriptedDialogs;
    forms = new Forms;
    QVERIFY(forms->ok());
}

void TestBadInput::cleanup()
{
    delete forms;
    delete dialogs;
    delete course;
    forms = nullptr;
    dialogs = nullptr;
    course = nullptr;
}

void TestBadInput::hostileText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("quotes") << QStringLiteral("O'Brien \"Д'Артаньян\" ''");
    QTest::newRow("statement text") << QStringLiteral("x'); delete from Пользователи; --");
    QTest::newRow("percent") << QStringLiteral("100%");
    QTest::newRow("underscore") << QStringLiteral("a_b");
    QTest::newRow("backslashes") << QStringLiteral("C:\\Курс\\лекция\\");
    QTest::newRow("long") << QString(100000, u'ы');
    QTest::newRow("nul") << QString(QStringLiteral("до")) + QChar(0) + QStringLiteral("после");
    QTest::newRow("emoji") << QString::fromUtf8("Тест 😀👍🏽");
    QTest::newRow("right to left") << QString::fromUtf8("\u202Eשלום مرحبا");
    QTest::newRow("line breaks") << QStringLiteral("первая\nвторая\r\nтретья");
    QTest::newRow("colon name") << QStringLiteral(":a1 :a");
}

void TestBadInput::signIn()
{
    QFETCH(QString, text);
    Form3->UserName->setText(text);
    Form3->Password->setText(text);
    Form3->OKButtonClick();
    QCOMPARE(dialogs->boxes.size(), 1);
    QCOMPARE(dialogs->boxes[0].text, QStringLiteral("Данная учетная запись не существует"));
    QCOMPARE(Form1->sPanel1->text(), QStringLiteral("ghg"));
    QCOMPARE(course->count(QStringLiteral("Пользователи")), 2);
}

void TestBadInput::materials()
{
    QFETCH(QString, text);
    press(Form1->sSpeedButton1);
    QVERIFY(Form7->isVisible());
    const QString path = course->file(QStringLiteral("лекция.html"));
    dialogs->fileAnswers << path;
    dialogs->inputAnswers << std::optional<QString>(text);
    Form7->sButton3Click();
    QVERIFY2(dialogs->boxes.isEmpty(), qPrintable(dialogs->texts().join('|').left(300)));
    const auto stored = course->rows(QStringLiteral("select НазваниеЛекции, АдресЛекции from Лекции"));
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0][0].toString(), text);
    QCOMPARE(stored[0][1].toString(), path);
    // Finding by the same text lists the entry; the text is a pattern, but it
    // always matches itself.
    dialogs->inputAnswers << std::optional<QString>(text);
    Form7->sButton1Click();
    QVERIFY(dialogs->errorTexts().isEmpty());
    QCOMPARE(Form7->sDBLookupListBox1->count(), 1);
    Form7->sDBLookupListBox1->setCurrentRow(0);
    Form7->sButton4Click();
    QVERIFY(dialogs->errorTexts().isEmpty());
    QCOMPARE(course->count(QStringLiteral("Лекции")), 0);
}

void TestBadInput::accounts()
{
    QFETCH(QString, text);
    showForm(Form5);
    Form5->sSpeedButton1Click();
    Form5->sEdit2->setText(text);
    Form5->sEdit3->setText(text);
    Form5->sEdit4->setText(text);
    const QString typed = Form5->sEdit2->text(); // what the field took
    Form5->sBitBtn1Click();
    const auto stored = course->rows(QStringLiteral("select Логин, Пароль, Группа from Пользователи where Логин = ?"),
                                     {typed});
    if (dialogs->errorTexts().isEmpty()) {
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0][0].toString(), typed);
        QCOMPARE(stored[0][1].toString(), typed);
        QCOMPARE(stored[0][2].toString(), typed);
    } else {
        // Refused: a Russian reason, and no row at all.
        QVERIFY2(dialogs->errorTexts()[0].contains(QStringLiteral("длиннее")), qPrintable(dialogs->errorTexts()[0]));
        QCOMPARE(stored.size(), 0);
    }
    QCOMPARE(course->count(QStringLiteral("Пользователи")), 2 + stored.size());

    // The filter finds exactly that login, quotes and all.
    dialogs->clear();
    Form5->sEdit1->setText(text);
    Form5->sCheckBox1->setChecked(true);
    Form5->sButton1Click();
    QVERIFY(dialogs->errorTexts().isEmpty());
    QCOMPARE(Form5->ADOTable1->RecordCount(), int(stored.size()));

    // And the delete removes exactly it.
    Form5->sSpeedButton2Click();
    Form5->sEdit2->setText(text);
    Form5->sEdit3->setText(text);
    Form5->sBitBtn2Click();
    QVERIFY(dialogs->errorTexts().isEmpty());
    QCOMPARE(course->count(QStringLiteral("Пользователи")), 2);
    QCOMPARE(course->rows(QStringLiteral("select count(*) from Пользователи where Логин = 'Admin'"))[0][0].toInt(), 1);
}

void TestBadInput::adminPassword()
{
    QFETCH(QString, text);
    showForm(Form5);
    Form5->sEdit5->setText(QStringLiteral("admin"));
    Form5->sEdit6->setText(text);
    const QString typed = Form5->sEdit6->text();
    Form5->sBitBtn3Click();
    const auto admins = course->rows(QStringLiteral("select Пароль from Пользователи where Логин = 'Admin'"));
    QCOMPARE(admins.size(), 1); // never lost, never doubled
    if (dialogs->errorTexts().isEmpty())
        QCOMPARE(admins[0][0].toString(), typed);
    else
        QCOMPARE(admins[0][0].toString(), QStringLiteral("admin"));
}

void TestBadInput::questionEditor()
{
    QFETCH(QString, text);
    showForm(Form4);
    Form4->sDBNavigator1->button(TDBNavigator::nbInsert)->click();
    for (TDBMemo *m : {Form4->sDBMemo1, Form4->sDBMemo2, Form4->sDBMemo3, Form4->sDBMemo4, Form4->sDBMemo5,
                       Form4->sDBMemo6})
        m->setPlainText(text);
    Form4->sDBEdit1->setFocus();
    QTest::keyClicks(Form4->sDBEdit1, QStringLiteral("3"));
    Form4->sDBNavigator1->button(TDBNavigator::nbPost)->click();
    QVERIFY2(dialogs->errorTexts().isEmpty(), qPrintable(dialogs->errorTexts().join('|').left(300)));
    const auto stored = course->rows(QStringLiteral("select Вопрос, Ответ1, Ответ5, ОтветПр from БДТест where Код > 1"));
    QCOMPARE(stored.size(), 1);
    // A multi-line box keeps line breaks as "\n".
    QString expected = text;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QCOMPARE(stored[0][0].toString(), expected);
    QCOMPARE(stored[0][2].toString(), expected);
    QCOMPARE(stored[0][3].toInt(), 3);
    // Searching for the text finds the row.
    Form4->sMemo1->setPlainText(text);
    Form4->sButton1Click();
    QVERIFY(dialogs->errorTexts().isEmpty());
    QVERIFY(Form4->ADOQuery1->RecordCount() >= 1);
    QCOMPARE(course->count(QStringLiteral("БДТест")), 2);
}

ETEXTBOOK_TEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
