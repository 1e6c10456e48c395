// The question editor: the record navigator and the bound fields over the real
// question bank, and the search that narrows the editor to matching questions.
#include "TestSupport.h"
#include "app/Unit1.h"
#include "common/DBControls.h"
#include "common/DBNavigator.h"
#include "common/Form.h"
#include "testing/Unit4.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace testsupport;
using State = data::DataSet::State;

namespace {

// Three questions, keys 1 to 3 in this order.
void seedBank(CourseDir &course)
{
    course.addQuestion(QStringLiteral("Столица России?"),
                       {QStringLiteral("Москва"), QStringLiteral("Париж"), QStringLiteral("Берлин"),
                        QStringLiteral("Рим"), QStringLiteral("Мадрид")},
                       1);
    course.addQuestion(QStringLiteral("2 + 2 = ?"),
                       {QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                        QStringLiteral("22")},
                       2);
    course.addQuestion(QStringLiteral("Цвет ясного неба?"),
                       {QStringLiteral("Красный"), QStringLiteral("Зелёный"), QStringLiteral("Голубой"),
                        QStringLiteral("Чёрный"), QStringLiteral("Белый")},
                       3);
}

QToolButton *nav(TDBNavigator::Button b) { return Form4->sDBNavigator1->button(b); }

void typeAtEnd(QPlainTextEdit *memo, const QString &text)
{
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, text);
}

void retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

QString questionOf(CourseDir &course, int key)
{
    return course.rows(QStringLiteral("select Вопрос from БДТест where Код = ?"), {key}).value(0).value(0).toString();
}

// The enabled flags of the ten buttons as a mask in button order, "1" for enabled.
QString enabledMask()
{
    QString m;
    for (int i = 0; i < TDBNavigator::kButtonCount; ++i)
        m += nav(TDBNavigator::Button(i))->isEnabled() ? u'1' : u'0';
    return m;
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT
private slots:
    void navigatorButtons_data();
    void navigatorButtons();
    void windowLayout();
    void browsing();
    void insertStoresTheRow_data();
    void insertStoresTheRow();
    void endingAnEdit_data();
    void endingAnEdit();
    void typingKeepsTheCursor();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void refusedValueKeepsTheRowInEditing();
    void leavingAnUntouchedNewRow_data();
    void leavingAnUntouchedNewRow();
    void changeToARowDeletedElsewhere();
    void search_data();
    void search();
    void searchAgainSearchesTheWholeBank();
    void changeDuringSearchIsDropped_data();
    void changeDuringSearchIsDropped();
    void changeWhileBrowsingIsPostedFirst_data();
    void changeWhileBrowsingIsPostedFirst();
    void searchResultSurvivesExit();
    void failedReadLeavesTheQueryClosed_data();
    void failedReadLeavesTheQueryClosed();
};

void TestEditor::navigatorButtons_data()
{
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("canModify");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("editing");
    // first prior next last insert delete edit post cancel refresh
    QTest::addColumn<QString>("mask");
    QTest::newRow("closed") << false << true << 0 << -1 << false << "0000000000";
    QTest::newRow("empty") << true << true << 0 << -1 << false << "0000101001";
    QTest::newRow("only row") << true << true << 1 << 0 << false << "0000111001";
    QTest::newRow("first of three") << true << true << 3 << 0 << false << "0011111001";
    QTest::newRow("middle") << true << true << 3 << 1 << false << "1111111001";
    QTest::newRow("last") << true << true << 3 << 2 << false << "1100111001";
    QTest::newRow("editing middle") << true << true << 3 << 1 << true << "1111110111";
    QTest::newRow("inserting into empty") << true << true << 1 << 0 << true << "0000110111";
    QTest::newRow("read-only middle") << true << false << 3 << 1 << false << "1111000001";
}

void TestEditor::navigatorButtons()
{
    QFETCH(bool, active);
    QFETCH(bool, canModify);
    QFETCH(int, rows);
    QFETCH(int, row);
    QFETCH(bool, editing);
    QFETCH(QString, mask);
    ui::NavigatorContext c;
    c.active = active;
    c.canModify = canModify;
    c.empty = rows == 0;
    c.bof = row <= 0;
    c.eof = row < 0 || row >= rows - 1;
    c.editing = editing;
    const auto on = ui::navigatorButtonsEnabled(c);
    QString got;
    for (bool b : on)
        got += b ? u'1' : u'0';
    QCOMPARE(got, mask);
}

void TestEditor::windowLayout()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    QVERIFY(Form4->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(Form4->size(), QSize(825, 662));
    QCOMPARE(Form4->windowTitle(), QStringLiteral("Редактирование тестов"));

    // The answer labels mix alphabets: Cyrillic А and Е, Latin B, C and D.
    const QList<QPair<QLabel *, QWidget *>> labels = {
        {Form4->sLabel1, Form4->sDBMemo1}, {Form4->sLabel2, Form4->sDBMemo2}, {Form4->sLabel3, Form4->sDBMemo3},
        {Form4->sLabel4, Form4->sDBMemo4}, {Form4->sLabel5, Form4->sDBMemo5}, {Form4->sLabel6, Form4->sDBMemo6},
        {Form4->sLabel7, Form4->sDBEdit1}, {Form4->sLabel8, Form4->sMemo1}};
    const QList<char16_t> letters = {0x0410, u'B', u'C', u'D', 0x0415};
    for (int i = 0; i < letters.size(); ++i)
        QCOMPARE(labels.at(i + 1).first->text(), QStringLiteral("Вариант ") + QChar(letters.at(i)));
    for (const auto &[label, field] : labels) {
        QCOMPARE(label->buddy(), field);
        QVERIFY2(!field->accessibleName().isEmpty(), qPrintable(field->objectName()));
    }

    // Every control is on the tab chain.
    QWidget *w = Form4->sDBMemo1;
    QSet<QWidget *> reached;
    for (int i = 0; i < 100 && !reached.contains(w); ++i) {
        reached << w;
        w = w->nextInFocusChain();
    }
    QList<QWidget *> controls = {Form4->sDBMemo1, Form4->sDBMemo6, Form4->sDBEdit1, Form4->sMemo1,
                                 Form4->sButton1, Form4->sButton2, Form4->sButton3};
    for (int i = 0; i < TDBNavigator::kButtonCount; ++i) {
        QToolButton *b = nav(TDBNavigator::Button(i));
        QCOMPARE(b->objectName(), TDBNavigator::buttonName(TDBNavigator::Button(i)));
        QVERIFY(!b->toolTip().isEmpty());
        QCOMPARE(b->accessibleName(), b->toolTip());
        controls << b;
    }
    for (QWidget *c : controls)
        QVERIFY2(reached.contains(c) && c->focusPolicy() & Qt::TabFocus, qPrintable(c->objectName()));
}

void TestEditor::browsing()
{
    CourseDir course;
    seedBank(course);
    course.exec(QStringLiteral("insert into БДТест(Вопрос, Ответ1) values ('Без ответа', 'да')"));
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);

    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("Столица России?"));
    QCOMPARE(Form4->sDBMemo6->toPlainText(), QStringLiteral("Мадрид"));
    QCOMPARE(Form4->sDBEdit1->text(), QStringLiteral("1"));
    QCOMPARE(enabledMask(), QStringLiteral("0011111001"));

    press(nav(TDBNavigator::nbNext));
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("2 + 2 = ?"));
    QCOMPARE(Form4->sDBMemo3->toPlainText(), QStringLiteral("4"));
    QCOMPARE(enabledMask(), QStringLiteral("1111111001"));

    // A row without a correct answer and with empty options shows empty fields.
    press(nav(TDBNavigator::nbLast));
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("Без ответа"));
    QCOMPARE(Form4->sDBMemo3->toPlainText(), QString());
    QCOMPARE(Form4->sDBEdit1->text(), QString());
    QCOMPARE(enabledMask(), QStringLiteral("1100111001"));

    press(nav(TDBNavigator::nbPrior));
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("Цвет ясного неба?"));
    press(nav(TDBNavigator::nbFirst));
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("Столица России?"));

    // Refresh shows a row another copy of the program added meanwhile.
    course.addQuestion(QStringLiteral("Новый"), {}, 5);
    press(nav(TDBNavigator::nbRefresh));
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("Столица России?"));
    QCOMPARE(Form4->ADOQuery1->RecordCount(), 5);
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestEditor::insertStoresTheRow_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored");
    // The column holds whole numbers; an empty field means no answer at all.
    QTest::newRow("in range") << "3" << QVariant(3);
    QTest::newRow("out of range kept") << "7" << QVariant(7);
    QTest::newRow("empty is null") << "" << QVariant();
}

void TestEditor::insertStoresTheRow()
{
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    CourseDir course;
    seedBank(course);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);
    press(nav(TDBNavigator::nbNext));

    press(nav(TDBNavigator::nbInsert));
    QCOMPARE(Form4->ADOQuery1->state(), State::Insert);
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QString());
    QCOMPARE(Form4->sDBEdit1->text(), QString());
    typeAtEnd(Form4->sDBMemo1, QStringLiteral("Who?"));
    typeAtEnd(Form4->sDBMemo2, QStringLiteral("me"));
    typeAtEnd(Form4->sDBMemo6, QStringLiteral("you"));
    // Typed and taken back first, so that an emptied field is what gets posted.
    QTest::keyClicks(Form4->sDBEdit1, QStringLiteral("9"));
    retype(Form4->sDBEdit1, typed);
    press(nav(TDBNavigator::nbPost));

    QVERIFY2(dialogs.boxes.isEmpty(), qPrintable(dialogs.texts().join('\n')));
    QCOMPARE(Form4->ADOQuery1->state(), State::Browse);
    QCOMPARE(course.count(QStringLiteral("БДТест")), 4);
    const auto rows = course.rows(
        QStringLiteral("select Ответ1, Ответ2, Ответ5, ОтветПр, typeof(ОтветПр) from БДТест where Вопрос = 'Who?'"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).at(0).toString(), QStringLiteral("me"));
    QVERIFY(rows.at(0).at(1).isNull()); // never typed into: left out
    QCOMPARE(rows.at(0).at(2).toString(), QStringLiteral("you"));
    QCOMPARE(rows.at(0).at(3).isNull(), stored.isNull());
    if (!stored.isNull())
        QCOMPARE(rows.at(0).at(4).toString(), QStringLiteral("integer"));
    QCOMPARE(rows.at(0).at(3).toInt(), stored.toInt());
    // The new row was inserted before the current one and stays current.
    QCOMPARE(Form4->ADOQuery1->RecNo(), 1);
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("Who?"));
}

void TestEditor::endingAnEdit_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<int>("rowAfter");
    QTest::newRow("post") << int(TDBNavigator::nbPost) << true << 0;
    QTest::newRow("moving to the next row posts") << int(TDBNavigator::nbNext) << true << 1;
    QTest::newRow("moving to the last row posts") << int(TDBNavigator::nbLast) << true << 2;
    QTest::newRow("refresh posts") << int(TDBNavigator::nbRefresh) << true << 0;
    QTest::newRow("cancel") << int(TDBNavigator::nbCancel) << false << 0;
}

void TestEditor::endingAnEdit()
{
    QFETCH(int, button);
    QFETCH(bool, stored);
    QFETCH(int, rowAfter);
    CourseDir course;
    seedBank(course);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);

    typeAtEnd(Form4->sDBMemo1, QStringLiteral(" (city)"));
    QCOMPARE(Form4->ADOQuery1->state(), State::Edit);
    QCOMPARE(enabledMask(), QStringLiteral("0011110111"));
    QCOMPARE(questionOf(course, 1), QStringLiteral("Столица России?")); // nothing written while typing

    press(nav(TDBNavigator::Button(button)));
    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(Form4->ADOQuery1->state(), State::Browse);
    QCOMPARE(Form4->ADOQuery1->RecNo(), rowAfter);
    const QString expected = stored ? QStringLiteral("Столица России? (city)") : QStringLiteral("Столица России?");
    QCOMPARE(questionOf(course, 1), expected);
    press(nav(TDBNavigator::nbFirst));
    QCOMPARE(Form4->sDBMemo1->toPlainText(), expected);
    QCOMPARE(course.rows(QStringLiteral("select Ответ1 from БДТест where Код = 1")).value(0).value(0).toString(),
             QStringLiteral("Москва"));
}

void TestEditor::typingKeepsTheCursor()
{
    CourseDir course;
    seedBank(course);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);

    // The first key press starts editing, which re-announces the row; the field
    // must not jump back to the stored text or move the cursor.
    QTextCursor c = Form4->sDBMemo1->textCursor();
    c.setPosition(3);
    Form4->sDBMemo1->setTextCursor(c);
    QTest::keyClicks(Form4->sDBMemo1, QStringLiteral("XY"));
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("СтоXYлица России?"));
    QCOMPARE(Form4->sDBMemo1->textCursor().position(), 5);
    QCOMPARE(Form4->ADOQuery1->fieldValue(Form4->ADOQuery1->fieldIndex(QStringLiteral("Вопрос"))).toString(),
             QStringLiteral("СтоXYлица России?"));

    press(nav(TDBNavigator::nbPost));
    Form4->sDBEdit1->setCursorPosition(0);
    QTest::keyClicks(Form4->sDBEdit1, QStringLiteral("4"));
    QCOMPARE(Form4->sDBEdit1->text(), QStringLiteral("41"));
    QCOMPARE(Form4->sDBEdit1->cursorPosition(), 1);
}

void TestEditor::deleteAsksFirst_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("confirmed") << true;
    QTest::newRow("declined") << false;
}

void TestEditor::deleteAsksFirst()
{
    QFETCH(bool, confirmed);
    CourseDir course;
    seedBank(course);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);
    press(nav(TDBNavigator::nbNext));

    dialogs.confirmAnswers << confirmed;
    press(nav(TDBNavigator::nbDelete));
    QCOMPARE(dialogs.confirmTexts, QStringList{QStringLiteral("Удалить запись?")});
    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(course.count(QStringLiteral("БДТест")), confirmed ? 2 : 3);
    QCOMPARE(Form4->ADOQuery1->RecordCount(), confirmed ? 2 : 3);
    QCOMPARE(Form4->ADOQuery1->RecNo(), 1);
    QCOMPARE(Form4->sDBMemo1->toPlainText(),
             confirmed ? QStringLiteral("Цвет ясного неба?") : QStringLiteral("2 + 2 = ?"));
    QCOMPARE(course.rows(QStringLiteral("select count(*) from БДТест where Код = 2")).value(0).value(0).toInt(),
             confirmed ? 0 : 1);

    // Deleting down to an empty bank leaves nothing to delete or move to.
    dialogs.confirmAnswers << true << true << true;
    while (nav(TDBNavigator::nbDelete)->isEnabled())
        press(nav(TDBNavigator::nbDelete));
    QCOMPARE(course.count(QStringLiteral("БДТест")), 0);
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QString());
    QCOMPARE(enabledMask(), QStringLiteral("0000101001"));
}

void TestEditor::refusedValueKeepsTheRowInEditing()
{
    CourseDir course;
    seedBank(course);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);

    retype(Form4->sDBEdit1, QStringLiteral("abc"));
    press(nav(TDBNavigator::nbPost));
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes.at(0).icon, ui::Icon::Error);
    QCOMPARE(dialogs.boxes.at(0).title, QStringLiteral("Электронный учебник"));
    QVERIFY2(dialogs.boxes.at(0).text.startsWith(QStringLiteral("Номер правильного ответа")),
             qPrintable(dialogs.boxes.at(0).text));
    QCOMPARE(Form4->ADOQuery1->state(), State::Edit);
    QCOMPARE(Form4->sDBEdit1->text(), QStringLiteral("abc"));
    QCOMPARE(enabledMask(), QStringLiteral("0011110111"));

    // Moving away tries to post too, fails the same way and stays on the row.
    press(nav(TDBNavigator::nbNext));
    QCOMPARE(dialogs.errorTexts().size(), 2);
    QCOMPARE(Form4->ADOQuery1->RecNo(), 0);
    QCOMPARE(Form4->ADOQuery1->state(), State::Edit);
    QCOMPARE(course.rows(QStringLiteral("select ОтветПр from БДТест where Код = 1")).value(0).value(0).toInt(), 1);

    // Once corrected the row goes in.
    retype(Form4->sDBEdit1, QStringLiteral("4"));
    press(nav(TDBNavigator::nbNext));
    QCOMPARE(dialogs.errorTexts().size(), 2);
    QCOMPARE(Form4->ADOQuery1->RecNo(), 1);
    QCOMPARE(course.rows(QStringLiteral("select ОтветПр from БДТест where Код = 1")).value(0).value(0).toInt(), 4);

    // A refused new row can be dropped with cancel.
    press(nav(TDBNavigator::nbInsert));
    QTest::keyClicks(Form4->sDBEdit1, QStringLiteral("2,5"));
    press(nav(TDBNavigator::nbPost));
    QCOMPARE(dialogs.errorTexts().size(), 3);
    QCOMPARE(Form4->ADOQuery1->state(), State::Insert);
    press(nav(TDBNavigator::nbCancel));
    QCOMPARE(Form4->ADOQuery1->state(), State::Browse);
    QCOMPARE(Form4->ADOQuery1->RecordCount(), 3);
    QCOMPARE(course.count(QStringLiteral("БДТест")), 3);
}

void TestEditor::leavingAnUntouchedNewRow_data()
{
    QTest::addColumn<int>("insertAt"); // the row current when "insert" is pressed
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("rowAfter");
    QTest::addColumn<QString>("question");
    // The new row is dropped, the row it pushed down comes back, and the move counts from there.
    QTest::newRow("middle, first") << 1 << int(TDBNavigator::nbFirst) << 0 << "Столица России?";
    QTest::newRow("middle, prior") << 1 << int(TDBNavigator::nbPrior) << 0 << "Столица России?";
    QTest::newRow("middle, next") << 1 << int(TDBNavigator::nbNext) << 2 << "Цвет ясного неба?";
    QTest::newRow("middle, last") << 1 << int(TDBNavigator::nbLast) << 2 << "Цвет ясного неба?";
    QTest::newRow("last row, prior") << 2 << int(TDBNavigator::nbPrior) << 1 << "2 + 2 = ?";
    QTest::newRow("last row, next") << 2 << int(TDBNavigator::nbNext) << 2 << "Цвет ясного неба?";
    QTest::newRow("last row, last") << 2 << int(TDBNavigator::nbLast) << 2 << "Цвет ясного неба?";
}

void TestEditor::leavingAnUntouchedNewRow()
{
    QFETCH(int, insertAt);
    QFETCH(int, button);
    QFETCH(int, rowAfter);
    QFETCH(QString, question);
    CourseDir course;
    seedBank(course);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);
    Form4->ADOQuery1->setRecNo(insertAt);

    press(nav(TDBNavigator::nbInsert));
    QCOMPARE(Form4->ADOQuery1->RecordCount(), 4);
    QVERIFY(nav(TDBNavigator::Button(button))->isEnabled());
    press(nav(TDBNavigator::Button(button)));
    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(Form4->ADOQuery1->state(), State::Browse);
    QCOMPARE(Form4->ADOQuery1->RecordCount(), 3);
    QCOMPARE(course.count(QStringLiteral("БДТест")), 3);
    QCOMPARE(Form4->ADOQuery1->RecNo(), rowAfter);
    QCOMPARE(Form4->sDBMemo1->toPlainText(), question);

    // The row reached is a real one: a change to it is stored in its own row.
    typeAtEnd(Form4->sDBMemo1, QStringLiteral("!"));
    press(nav(TDBNavigator::nbPost));
    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(questionOf(course, rowAfter + 1), question + QStringLiteral("!"));
}

void TestEditor::changeToARowDeletedElsewhere()
{
    CourseDir course;
    seedBank(course);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);

    typeAtEnd(Form4->sDBMemo1, QStringLiteral(" (city)"));
    course.exec(QStringLiteral("delete from БДТест where Код = 1")); // another copy of the program
    press(nav(TDBNavigator::nbPost));
    // The change is not silently lost: the user is told, and it stays on screen.
    QCOMPARE(dialogs.errorTexts().size(), 1);
    QVERIFY2(dialogs.errorTexts().at(0).contains(QStringLiteral("«БДТест»")), qPrintable(dialogs.errorTexts().at(0)));
    QCOMPARE(Form4->ADOQuery1->state(), State::Edit);
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("Столица России? (city)"));
    QCOMPARE(course.count(QStringLiteral("БДТест")), 2);

    press(nav(TDBNavigator::nbCancel));
    press(nav(TDBNavigator::nbRefresh));
    QCOMPARE(dialogs.errorTexts().size(), 1);
    QCOMPARE(Form4->ADOQuery1->RecordCount(), 2);
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("2 + 2 = ?"));
}

void TestEditor::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found");
    // The row with no question at all is not matched even by "%%".
    QTest::newRow("empty box") << ""
                               << QStringList{"Столица России?", "2 + 2 = ?", "Цвет ясного неба?", "Два\nстроки"};
    QTest::newRow("part of a question") << "ясного" << QStringList{"Цвет ясного неба?"};
    QTest::newRow("no match") << "нет такого" << QStringList{};
    QTest::newRow("line break taken whole") << "Два\nстроки" << QStringList{"Два\nстроки"};
    QTest::newRow("percent is a wildcard") << "Ст%Рос" << QStringList{"Столица России?"};
}

void TestEditor::search()
{
    QFETCH(QString, text);
    QFETCH(QStringList, found);
    CourseDir course;
    seedBank(course);
    course.addQuestion(QStringLiteral("Два\nстроки"), {}, 1);
    course.exec(QStringLiteral("insert into БДТест(Ответ1) values ('без вопроса')"));
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);
    StatementLog log;

    Form4->sMemo1->setPlainText(text);
    press(Form4->sButton1);
    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(log.entries.size(), 1);
    QCOMPARE(log.entries.at(0).text, QStringLiteral("select * from БДТест\nwhere Вопрос  Like :a "));
    QCOMPARE(log.entries.at(0).params, (QVariantMap{{"a", QStringLiteral("%") + text + QStringLiteral("%")}}));

    QStringList got;
    const int col = Form4->ADOQuery1->fieldIndex(QStringLiteral("Вопрос"));
    for (int r = 0; r < Form4->ADOQuery1->RecordCount(); ++r)
        got << Form4->ADOQuery1->value(r, col).toString();
    QCOMPARE(got, found);
    QCOMPARE(Form4->sDBMemo1->toPlainText(), found.value(0));
    QCOMPARE(Form4->sMemo1->toPlainText(), QString());
    QVERIFY(!Form4->sDBNavigator1->isEnabled());
    QVERIFY(!nav(TDBNavigator::nbNext)->isEnabled());

    // All records brings back the whole bank and the navigator.
    log.clear();
    Form4->sMemo1->setPlainText(QStringLiteral("забытый текст"));
    press(Form4->sButton2);
    QCOMPARE(log.entries.size(), 1);
    QCOMPARE(log.entries.at(0).text, QStringLiteral("select * from БДТест"));
    QVERIFY(log.entries.at(0).params.isEmpty());
    QCOMPARE(Form4->ADOQuery1->RecordCount(), 5);
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("Столица России?"));
    QCOMPARE(Form4->sMemo1->toPlainText(), QString());
    QVERIFY(Form4->sDBNavigator1->isEnabled());
    QCOMPARE(enabledMask(), QStringLiteral("0011111001"));
}

void TestEditor::searchAgainSearchesTheWholeBank()
{
    CourseDir course;
    seedBank(course);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);

    Form4->sMemo1->setPlainText(QStringLiteral("Столица"));
    press(Form4->sButton1);
    QCOMPARE(Form4->ADOQuery1->RecordCount(), 1);
    Form4->sMemo1->setPlainText(QStringLiteral("2 + 2"));
    press(Form4->sButton1);
    QCOMPARE(Form4->ADOQuery1->RecordCount(), 1);
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("2 + 2 = ?"));
    QVERIFY(!Form4->sDBNavigator1->isEnabled());
}

void TestEditor::changeDuringSearchIsDropped_data()
{
    QTest::addColumn<bool>("searchAgain");
    QTest::newRow("all records") << false;
    QTest::newRow("search again") << true;
}

void TestEditor::changeDuringSearchIsDropped()
{
    QFETCH(bool, searchAgain);
    CourseDir course;
    seedBank(course);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);

    Form4->sMemo1->setPlainText(QStringLiteral("Столица"));
    press(Form4->sButton1);
    typeAtEnd(Form4->sDBMemo1, QStringLiteral(" changed"));
    // With the navigator off there is no way to post the change.
    QVERIFY(!nav(TDBNavigator::nbPost)->isEnabled());
    press(nav(TDBNavigator::nbPost));

    if (searchAgain) {
        Form4->sMemo1->setPlainText(QStringLiteral("Столица"));
        press(Form4->sButton1);
    } else {
        press(Form4->sButton2);
    }
    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(Form4->ADOQuery1->state(), State::Browse);
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("Столица России?"));
    QCOMPARE(questionOf(course, 1), QStringLiteral("Столица России?"));
}

void TestEditor::changeWhileBrowsingIsPostedFirst_data()
{
    QTest::addColumn<bool>("search"); // "Найти", else "Все записи"
    QTest::newRow("search") << true;
    QTest::newRow("all records") << false;
}

// In normal browsing a typed change is kept by "Найти" and "Все записи" as it is
// by moving to another row; a refused one stops them with the row still in editing.
void TestEditor::changeWhileBrowsingIsPostedFirst()
{
    QFETCH(bool, search);
    CourseDir course;
    seedBank(course);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);
    QPushButton *button = search ? Form4->sButton1 : Form4->sButton2;

    typeAtEnd(Form4->sDBMemo1, QStringLiteral(" (v2)"));
    Form4->sMemo1->setPlainText(QStringLiteral("Столица"));
    press(button);
    QVERIFY(dialogs.boxes.isEmpty());
    QCOMPARE(questionOf(course, 1), QStringLiteral("Столица России? (v2)"));
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("Столица России? (v2)"));
    press(Form4->sButton2);

    retype(Form4->sDBEdit1, QStringLiteral("abc"));
    Form4->sMemo1->setPlainText(QStringLiteral("неба"));
    press(button);
    QCOMPARE(dialogs.errorTexts().size(), 1);
    QVERIFY2(dialogs.errorTexts().at(0).startsWith(QStringLiteral("Номер правильного ответа")),
             qPrintable(dialogs.errorTexts().at(0)));
    QCOMPARE(Form4->ADOQuery1->state(), State::Edit);
    QCOMPARE(Form4->sDBEdit1->text(), QStringLiteral("abc"));
    QCOMPARE(Form4->sMemo1->toPlainText(), QStringLiteral("неба"));
    QVERIFY(Form4->sDBNavigator1->isEnabled());
    QCOMPARE(course.rows(QStringLiteral("select ОтветПр from БДТест where Код = 1")).value(0).value(0).toInt(), 1);
}

void TestEditor::searchResultSurvivesExit()
{
    CourseDir course;
    seedBank(course);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);

    Form4->sMemo1->setPlainText(QStringLiteral("неба"));
    press(Form4->sButton1);
    press(Form4->sButton3);
    QVERIFY(!Form4->isVisible());

    StatementLog log;
    showForm(Form4);
    QVERIFY(Form4->isVisible());
    QVERIFY(log.entries.isEmpty()); // showing re-reads nothing
    QCOMPARE(Form4->ADOQuery1->RecordCount(), 1);
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QStringLiteral("Цвет ясного неба?"));
    QVERIFY(!Form4->sDBNavigator1->isEnabled());

    press(Form4->sButton2);
    press(Form4->sButton3);
    showForm(Form4);
    QVERIFY(Form4->sDBNavigator1->isEnabled());
    QCOMPARE(Form4->ADOQuery1->RecordCount(), 3);
}

void TestEditor::failedReadLeavesTheQueryClosed_data()
{
    QTest::addColumn<bool>("refresh"); // read again by the navigator instead of "Найти"
    QTest::newRow("search") << false;
    QTest::newRow("refresh") << true;
}

void TestEditor::failedReadLeavesTheQueryClosed()
{
    QFETCH(bool, refresh);
    CourseDir course;
    seedBank(course);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form4);
    press(nav(TDBNavigator::nbNext));

    course.exec(QStringLiteral("alter table БДТест rename to Вопросы"));
    Form4->sMemo1->setPlainText(QStringLiteral("Столица"));
    press(refresh ? static_cast<QAbstractButton *>(nav(TDBNavigator::nbRefresh)) : Form4->sButton1);
    QCOMPARE(dialogs.errorTexts().size(), 1);
    QVERIFY2(dialogs.errorTexts().at(0).contains(QStringLiteral("БДТест")), qPrintable(dialogs.errorTexts().at(0)));
    QVERIFY(!Form4->ADOQuery1->Active());
    QCOMPARE(Form4->sDBMemo1->toPlainText(), QString());
    QVERIFY(Form4->sDBMemo1->isReadOnly());
    QCOMPARE(Form4->sMemo1->toPlainText(), QStringLiteral("Столица"));
    QVERIFY(Form4->sDBNavigator1->isEnabled()); // the failing step came before the switch
    QCOMPARE(enabledMask(), QStringLiteral("0000000000"));

    course.exec(QStringLiteral("alter table Вопросы rename to БДТест"));
    press(Form4->sButton2);
    QCOMPARE(dialogs.errorTexts().size(), 1);
    QCOMPARE(Form4->ADOQuery1->RecordCount(), 3);
    QVERIFY(!Form4->sDBMemo1->isReadOnly());
    QCOMPARE(enabledMask(), QStringLiteral("0011111001"));
}

ETEXTBOOK_TEST_MAIN(TestEditor)
#include "tst_editor.moc"
