// The test run: conversion and scoring on plain lists, the draw, and the tester
// window against a course file, from start to hand-in and its failures.
#include "TestSupport.h"
#include "app/Unit1.h"
#include "common/Errors.h"
#include "common/SpeedButton.h"
#include "data/Connection.h"
#include "data/Query.h"
#include "testing/Unit8.h"
#include "testing/TestRun.h"
#include "testing/Unit2.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <set>

using namespace testsupport;

Q_DECLARE_METATYPE(testrun::Draw)
Q_DECLARE_METATYPE(testrun::Answers)

namespace {

// A fixed draw for the window tests: the positions in order, over and over.
struct FixedDraw {
    QList<int> positions;
    int calls = 0;
    explicit FixedDraw(QList<int> p) : positions(std::move(p))
    {
        testrun::setDrawSource([this](int) { return positions.at(calls++ % positions.size()); });
    }
    ~FixedDraw() { testrun::setDrawSource(nullptr); }
};

testrun::Draw drawOf(const QList<int> &pattern)
{
    testrun::Draw d{};
    for (int i = 0; i < testrun::kQuestions; ++i)
        d[i] = pattern.at(i % pattern.size());
    return d;
}

testrun::Answers answersOf(const QList<int> &pattern)
{
    testrun::Answers a{};
    for (int i = 0; i < testrun::kQuestions; ++i)
        a[i] = quint8(pattern.at(i % pattern.size()));
    return a;
}

// Boxes answered as usual, each also noting how many results were stored when it came up.
class CountingDialogs : public ScriptedDialogs {
public:
    explicit CountingDialogs(CourseDir &c) : course(c) {}
    CourseDir &course;
    QList<int> storedAtBox;
    void message(QWidget *w, const QString &title, const QString &text, ui::Icon icon) override
    {
        storedAtBox << course.count(QStringLiteral("Тесты"));
        ScriptedDialogs::message(w, title, text, icon);
    }
};

void addBank(CourseDir &course, int rows, const QList<int> &rights = {1})
{
    for (int k = 0; k < rows; ++k)
        course.addQuestion(QStringLiteral("Вопрос %1").arg(k),
                           {QStringLiteral("a%1").arg(k), QStringLiteral("b%1").arg(k), QStringLiteral("c%1").arg(k),
                            QStringLiteral("d%1").arg(k), QStringLiteral("e%1").arg(k)},
                           rights.at(k % rights.size()));
}

TSpeedButton *question(int i) { return Form2->findChild<TSpeedButton *>(QStringLiteral("QuestionButton%1").arg(i)); }
TSpeedButton *answer(int i) { return Form2->findChild<TSpeedButton *>(QStringLiteral("AnswerButton%1").arg(i)); }

QColor caption(TSpeedButton *b) { return b->palette().color(QPalette::ButtonText); }

// Answer buttons that are down, as their letters.
QString downAnswers()
{
    QString s;
    for (int i = 1; i <= 5; ++i)
        if (answer(i)->Down())
            s += answer(i)->text();
    return s;
}

const QColor red(255, 0, 0), black(0, 0, 0);

// The blank columns that a button's caption leaves at its left and right: where
// the button drawn with its caption differs from the button drawn without.
QPair<int, int> captionMargins(QAbstractButton *b)
{
    const QImage with = b->grab().toImage();
    const QString text = b->text();
    b->setText(QString());
    const QImage without = b->grab().toImage();
    b->setText(text);
    int left = with.width(), right = -1;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            if (with.pixel(x, y) != without.pixel(x, y)) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
    return {left, with.width() - 1 - right};
}

} // namespace

class TestTester : public QObject {
    Q_OBJECT
private slots:
    void toInteger_data();
    void toInteger();
    void scoring_data();
    void scoring();
    void drawing();
    void layout();
    void everyStartBuildsANewTest();
    void answering();
    void handIn_data();
    void handIn();
    void emptyBank();
    void correctAnswerNotAWholeNumber();
    void failedStoreKeepsTheTestOpen();
    void closeBoxStoresNothing();
    void bankChangesShowFromTheNextStart();
    void sevenReadsSeeOneBank();
    void busyFileStartsNoTest();
};

void TestTester::toInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::newRow("digit") << "3" << true << 3;
    QTest::newRow("plus") << "+3" << true << 3;
    QTest::newRow("minus") << "-3" << true << -3;
    QTest::newRow("minus zero") << "-0" << true << 0;
    QTest::newRow("leading zeros") << "0005" << true << 5;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << int(-2147483648LL);
    QTest::newRow("empty (null)") << "" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("two signs") << "+-3" << false << 0;
    QTest::newRow("leading blank") << " 3" << false << 0;
    QTest::newRow("trailing blank") << "3 " << false << 0;
    QTest::newRow("decimal point") << "3.0" << false << 0;
    QTest::newRow("exponent") << "1e1" << false << 0;
    QTest::newRow("hex") << "0x1" << false << 0;
    QTest::newRow("fullwidth digit") << QStringLiteral("３") << false << 0;
    QTest::newRow("arabic-indic digit") << QStringLiteral("٣") << false << 0;
    QTest::newRow("just over") << "2147483648" << false << 0;
    QTest::newRow("just under") << "-2147483649" << false << 0;
    QTest::newRow("far over") << "99999999999999999999999" << false << 0;
}

void TestTester::toInteger()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, value);
    try {
        const int v = testrun::toInteger(text);
        QVERIFY2(ok, qPrintable(QStringLiteral("accepted as %1").arg(v)));
        QCOMPARE(v, value);
    } catch (const AppError &e) {
        QVERIFY2(!ok, qPrintable(e.text()));
        QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

void TestTester::scoring_data()
{
    QTest::addColumn<QStringList>("rights");
    QTest::addColumn<testrun::Draw>("drawn");
    QTest::addColumn<testrun::Answers>("chosen");
    QTest::addColumn<int>("count"); // -1: fails with error
    QTest::addColumn<QString>("error");

    QTest::newRow("untouched: answer A everywhere")
        << QStringList{"1", "3"} << drawOf({0, 1}) << answersOf({1}) << 15 << QString();
    QTest::newRow("all correct") << QStringList{"1", "3"} << drawOf({0, 1}) << answersOf({1, 3}) << 30 << QString();
    QTest::newRow("none correct") << QStringList{"1", "3"} << drawOf({0, 1}) << answersOf({2, 2}) << 0 << QString();
    // One row drawn 30 times: each number is scored with its own answer.
    QTest::newRow("one row, answers differ")
        << QStringList{"4"} << drawOf({0}) << answersOf({4, 4, 1}) << 20 << QString();
    QTest::newRow("outside 1 to 5 never matches")
        << QStringList{"0", "7", "-1"} << drawOf({0, 1, 2}) << answersOf({1, 2, 3, 4, 5}) << 0 << QString();
    QTest::newRow("signed text converts") << QStringList{"+2"} << drawOf({0}) << answersOf({2}) << 30 << QString();
    QTest::newRow("empty bank") << QStringList() << drawOf({0}) << answersOf({1}) << -1
                                << "List index out of bounds (0)";
    QTest::newRow("position past the bank")
        << QStringList{"1", "1"} << drawOf({0, 1, 5}) << answersOf({1}) << -1 << "List index out of bounds (5)";
    // The first question number in order decides which entry is named.
    testrun::Draw late = drawOf({0});
    late[8] = 2;
    late[4] = 1;
    QTest::newRow("first failing number named")
        << QStringList{"1", "", "x"} << late << answersOf({1}) << -1 << "'' is not a valid integer value";
}

void TestTester::scoring()
{
    QFETCH(QStringList, rights);
    QFETCH(testrun::Draw, drawn);
    QFETCH(testrun::Answers, chosen);
    QFETCH(int, count);
    QFETCH(QString, error);
    try {
        QCOMPARE(int(testrun::score(rights, drawn, chosen)), count);
        QVERIFY(error.isEmpty());
    } catch (const AppError &e) {
        QCOMPARE(e.text(), error);
    }
}

void TestTester::drawing()
{
    // An empty bank draws nothing: every number holds position 0.
    int calls = 0;
    testrun::setDrawSource([&](int) { return ++calls; });
    QCOMPARE(testrun::drawQuestions(0), drawOf({0}));
    QCOMPARE(calls, 0);
    // A source put in decides every draw, question 1 first.
    const testrun::Draw d = testrun::drawQuestions(100);
    QCOMPARE(calls, 30);
    QCOMPARE(d[0], 1);
    QCOMPARE(d[29], 30);
    testrun::setDrawSource(nullptr);

    // The generator stays in 0 … n − 1, reaches all of it, and differs from test to test.
    QCOMPARE(testrun::drawQuestions(1), drawOf({0}));
    std::set<int> seen;
    std::set<testrun::Draw> tests;
    for (int t = 0; t < 40; ++t) {
        const testrun::Draw draw = testrun::drawQuestions(3);
        tests.insert(draw);
        for (int p : draw) {
            QVERIFY(p >= 0 && p < 3);
            seen.insert(p);
        }
    }
    QCOMPARE(seen.size(), size_t(3));
    QVERIFY(tests.size() > 30);
}

void TestTester::layout()
{
    CourseDir course;
    addBank(course, 3);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    Form1->sPanel1->setText(QStringLiteral("Иванов"));
    showForm(Form2);

    QCOMPARE(Form2->windowTitle(), QStringLiteral("Тестер"));
    QCOMPARE(Form2->size(), QSize(1024, 682));
    QCOMPARE(Form2->minimumSize(), Form2->maximumSize());
    QVERIFY(Form2->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(Form2->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(Form2->Panel1->geometry(), QRect(0, 0, 1024, 41));
    QCOMPARE(Form2->Panel2->geometry(), QRect(0, 41, 1024, 56));
    QCOMPARE(Form2->Panel4->size(), QSize(456, 54));
    QCOMPARE(Form2->Memo1->geometry(), QRect(0, 97, 1024, 585));
    QCOMPARE(Form2->Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(Form2->Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QVERIFY(!Form2->Memo1->isReadOnly());

    QCOMPARE(Form2->Label1->text(), QStringLiteral("Иванов"));
    QCOMPARE(Form2->Label1->font().pixelSize(), 24);
    QVERIFY(Form2->Label1->font().bold());
    QCOMPARE(Form2->sSpeedButton3->text(), QStringLiteral("Сдать анкету"));
    QCOMPARE(Form2->sSpeedButton3->geometry(), QRect(400, 3, 100, 50));
    QCOMPARE(Form2->sSpeedButton3->groupIndex(), 0);
    QCOMPARE(Form2->sSpeedButton3->font().pixelSize(), 16);
    // The caption is wider than the button on one line; all of it must still show.
    const auto [left, right] = captionMargins(Form2->sSpeedButton3);
    QVERIFY2(left >= 3 && right >= 3, qPrintable(QStringLiteral("%1, %2").arg(left).arg(right)));

    for (int i = 1; i <= 30; ++i) {
        TSpeedButton *b = question(i);
        QVERIFY2(b, qPrintable(QString::number(i)));
        QCOMPARE(b->parentWidget(), Form2->Panel1);
        QCOMPARE(b->geometry(), QRect(30 * i - 25, 5, 30, 30));
        QCOMPARE(b->text(), QString::number(i));
        QVERIFY(b->font().bold());
        QVERIFY(!b->Down());
        QVERIFY(!b->accessibleName().isEmpty());
    }
    for (int i = 1; i <= 5; ++i) {
        TSpeedButton *b = answer(i);
        QVERIFY(b);
        QCOMPARE(b->parentWidget(), Form2->Panel4);
        QCOMPARE(b->geometry(), QRect(80 * i - 70, 2, 70, 50));
        QCOMPARE(b->text(), QString(QChar(u'A' + i - 1)));
        QCOMPARE(b->font().pixelSize(), 27);
        QVERIFY(b->font().bold());
        QVERIFY(!b->Down());
        // No colouring has run yet: the window's own caption colour.
        QCOMPARE(caption(b), Form2->palette().color(QPalette::ButtonText));
    }
    // The two rows are separate groups.
    press(question(3));
    press(answer(2));
    QVERIFY(question(3)->Down());
    QVERIFY(answer(2)->Down());
}

void TestTester::everyStartBuildsANewTest()
{
    CourseDir course;
    addBank(course, 5);
    ScriptedDialogs dialogs;
    FixedDraw draw({0, 1, 2, 3, 4});
    Forms forms;
    QVERIFY(forms.ok());
    QCOMPARE(draw.calls, 30); // the start at creation

    StatementLog log;
    showForm(Form2);
    QCOMPARE(log.texts(), (QStringList{"select Вопрос from БДТест", "select Ответ1 from БДТест",
                                       "select Ответ2 from БДТест", "select Ответ3 from БДТест",
                                       "select Ответ4 from БДТест", "select Ответ5 from БДТест",
                                       "select ОтветПр from БДТест"}));
    QCOMPARE(draw.calls, 60);
    const QPointer<TSpeedButton> oldQuestion = question(2), oldAnswer = answer(4);
    press(question(2));
    press(answer(4));
    QCOMPARE(Form2->ChosenAnswer[1], quint8(4));

    // Showing while visible only brings the window forward: the test goes on.
    showForm(Form2);
    QCOMPARE(draw.calls, 60);
    QCOMPARE(question(2), oldQuestion.data());
    QCOMPARE(Form2->ChosenAnswer[1], quint8(4));

    Form2->close();
    Form1->sPanel1->setText(QStringLiteral("<b>Петров</b>"));
    showForm(Form2);
    QCOMPARE(draw.calls, 90);
    QVERIFY(oldQuestion.isNull());
    QVERIFY(oldAnswer.isNull());
    QCOMPARE(Form2->Panel1->findChildren<TSpeedButton *>().size(), 30);
    QCOMPARE(Form2->Panel4->findChildren<TSpeedButton *>().size(), 5);
    QCOMPARE(Form2->ChosenAnswer, answersOf({1}));
    QVERIFY(Form2->Memo1->toPlainText().isEmpty());
    QVERIFY(!question(2)->Down());
    QVERIFY(downAnswers().isEmpty());
    QCOMPARE(Form2->Label1->text(), QStringLiteral("<b>Петров</b>"));
    // The label is sized to every character of the login; markup in it is not rendered.
    QVERIFY(Form2->Label1->width() >= QFontMetrics(Form2->Label1->font()).horizontalAdvance(Form2->Label1->text()));
}

void TestTester::answering()
{
    CourseDir course;
    course.addQuestion(QStringLiteral("Первая строка\nвторая строка"),
                       {QStringLiteral("один"), QString(), QStringLiteral("три"), QStringLiteral("четыре"),
                        QStringLiteral("пять")},
                       2);
    addBank(course, 2);
    ScriptedDialogs dialogs;
    FixedDraw draw({0, 1, 2});
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form2);

    // "C" before any question: recorded nowhere, but down and red.
    press(answer(3));
    QCOMPARE(Form2->ChosenAnswer, answersOf({1}));
    QCOMPARE(downAnswers(), QStringLiteral("C"));
    QCOMPARE(caption(answer(3)), red);
    QCOMPARE(caption(answer(1)), black);

    // Question 1 puts its unanswered "A" down; line breaks and an empty answer keep their lines.
    press(question(1));
    QCOMPARE(downAnswers(), QStringLiteral("A"));
    QCOMPARE(caption(answer(1)), red);
    QCOMPARE(caption(answer(3)), black);
    QCOMPARE(Form2->Memo1->toPlainText(),
             QStringLiteral("Первая строка\nвторая строка\nодин\n\nтри\nчетыре\nпять"));

    press(question(7)); // position 0 again
    press(answer(3));
    press(question(8)); // position 1
    QCOMPARE(downAnswers(), QStringLiteral("A"));
    QCOMPARE(Form2->Memo1->toPlainText(), QStringLiteral("Вопрос 0\na0\nb0\nc0\nd0\ne0"));
    press(question(7));
    QCOMPARE(downAnswers(), QStringLiteral("C"));
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(caption(answer(i)), i == 3 ? red : black);
    QVERIFY(Form2->Memo1->toPlainText().startsWith(QStringLiteral("Первая строка")));

    // Pressing the question that is down shows it again and changes nothing.
    Form2->Memo1->setPlainText(QStringLiteral("напечатано"));
    answer(5)->setDownState(true);
    press(question(7));
    QCOMPARE(downAnswers(), QStringLiteral("C"));
    QVERIFY(Form2->Memo1->toPlainText().startsWith(QStringLiteral("Первая строка")));
    QCOMPARE(Form2->ChosenAnswer[6], quint8(3));
    QCOMPARE(Form2->ChosenAnswer[7], quint8(1));
    QCOMPARE(Form2->ChosenAnswer[0], quint8(1));
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestTester::handIn_data()
{
    // Positions are drawn 0, 1, 0, 1, …; row 0 is right with "A", row 1 with "C".
    QTest::addColumn<QList<int>>("press"); // answer per question number; 0: untouched
    QTest::addColumn<int>("count");
    QTest::newRow("at once") << QList<int>{0} << 15;
    QTest::newRow("everything right") << QList<int>{1, 3} << 30;
    QTest::newRow("nothing right") << QList<int>{2, 2} << 0;
    QTest::newRow("half the numbers answered") << QList<int>{3, 3} << 15;
}

void TestTester::handIn()
{
    QFETCH(QList<int>, press);
    QFETCH(int, count);
    CourseDir course;
    addBank(course, 2, {1, 3});
    CountingDialogs dialogs(course);
    FixedDraw draw({0, 1});
    Forms forms;
    QVERIFY(forms.ok());
    Form1->sPanel1->setText(QStringLiteral("Иванов"));
    showForm(Form2);
    for (int i = 1; i <= 30; ++i) {
        const int a = press.at((i - 1) % press.size());
        if (a == 0)
            continue;
        testsupport::press(question(i));
        testsupport::press(answer(a));
    }
    // The result carries the login of the moment of handing in.
    Form1->sPanel1->setText(QStringLiteral("Сидоров"));
    StatementLog log;
    testsupport::press(Form2->sSpeedButton3);

    QCOMPARE(log.entries.size(), 1);
    QCOMPARE(log.entries[0].text, QStringLiteral("Insert into Тесты(Пользователь,Верно)\nvalues(:a1,:a2)"));
    QCOMPARE(log.entries[0].params.value("a1").toString(), QStringLiteral("Сидоров"));
    QCOMPARE(log.entries[0].params.value("a2").typeId(), int(QMetaType::UChar));
    QCOMPARE(log.entries[0].params.value("a2").toInt(), count);
    const auto rows = course.rows(QStringLiteral("select Пользователь, Верно from Тесты"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][0].toString(), QStringLiteral("Сидоров"));
    QCOMPARE(rows[0][1].toInt(), count);
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Вы %1 ответили верно").arg(count)});
    QCOMPARE(dialogs.boxes[0].icon, ui::Icon::Information);
    QCOMPARE(dialogs.storedAtBox, QList<int>{1}); // stored before the score was shown
    QVERIFY(!Form2->isVisible());
}

void TestTester::emptyBank()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form2);
    QCOMPARE(Form2->DrawnQuestion, drawOf({0}));

    Form2->Memo1->setPlainText(QStringLiteral("прежний текст"));
    press(question(4));
    QCOMPARE(dialogs.errorTexts(), QStringList{"List index out of bounds (0)"});
    // The steps before the failing one stay done.
    QCOMPARE(downAnswers(), QStringLiteral("A"));
    QCOMPARE(caption(answer(1)), red);
    QCOMPARE(Form2->Memo1->toPlainText(), QStringLiteral("прежний текст"));

    dialogs.clear();
    press(Form2->sSpeedButton3);
    QCOMPARE(dialogs.errorTexts(), QStringList{"List index out of bounds (0)"});
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(course.count(QStringLiteral("Тесты")), 0);
    QVERIFY(Form2->isVisible());
}

void TestTester::correctAnswerNotAWholeNumber()
{
    CourseDir course;
    addBank(course, 1);
    course.addQuestion(QStringLiteral("без ответа"), {"a", "b", "c", "d", "e"}, QVariant());
    ScriptedDialogs dialogs;
    FixedDraw draw({0, 0, 0, 0, 1});
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form2);
    press(question(2));
    press(answer(5));

    for (int attempt = 0; attempt < 2; ++attempt) {
        dialogs.clear();
        press(Form2->sSpeedButton3);
        QCOMPARE(dialogs.texts(), QStringList{"'' is not a valid integer value."});
        QCOMPARE(dialogs.boxes[0].icon, ui::Icon::Error);
        QCOMPARE(course.count(QStringLiteral("Тесты")), 0);
        QVERIFY(Form2->isVisible());
        QCOMPARE(Form2->ChosenAnswer[1], quint8(5));
    }
}

void TestTester::failedStoreKeepsTheTestOpen()
{
    CourseDir course;
    addBank(course, 1);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form2);
    press(question(1));
    press(answer(2));
    course.exec(QStringLiteral("create trigger refuse before insert on Тесты begin "
                               "select raise(abort, 'результаты не принимаются'); end"));

    press(Form2->sSpeedButton3);
    QCOMPARE(dialogs.boxes.size(), 1);
    QCOMPARE(dialogs.boxes[0].icon, ui::Icon::Error);
    QVERIFY(!dialogs.texts().join(' ').contains(QStringLiteral("ответили верно")));
    QCOMPARE(course.count(QStringLiteral("Тесты")), 0);
    QVERIFY(Form2->isVisible());

    // Handing in again scores again and retries the store.
    course.exec(QStringLiteral("drop trigger refuse"));
    dialogs.clear();
    press(Form2->sSpeedButton3);
    QCOMPARE(dialogs.texts(), QStringList{"Вы 29 ответили верно"});
    QCOMPARE(course.rows(QStringLiteral("select Верно from Тесты")), (QList<QVariantList>{{29}}));
    QVERIFY(!Form2->isVisible());
}

void TestTester::closeBoxStoresNothing()
{
    CourseDir course;
    addBank(course, 4);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form2);
    press(question(1));
    QVERIFY(Form2->close());
    QVERIFY(!Form2->isVisible());
    QCOMPARE(course.count(QStringLiteral("Тесты")), 0);
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestTester::bankChangesShowFromTheNextStart()
{
    CourseDir course;
    addBank(course, 1, {2});
    ScriptedDialogs dialogs;
    FixedDraw draw({0});
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form2);
    course.exec(QStringLiteral("update БДТест set Вопрос = 'изменён', ОтветПр = 1"));
    press(question(1));
    QVERIFY(Form2->Memo1->toPlainText().startsWith(QStringLiteral("Вопрос 0\n")));
    press(Form2->sSpeedButton3);
    QCOMPARE(dialogs.texts(), QStringList{"Вы 0 ответили верно"});

    showForm(Form2);
    press(question(1));
    QVERIFY(Form2->Memo1->toPlainText().startsWith(QStringLiteral("изменён\n")));
}

// Another copy deletes a question between the seven column reads: every list must
// still be of one state of the bank, so that position k is one row in all seven.
void TestTester::sevenReadsSeeOneBank()
{
    CourseDir course;
    for (int k = 1; k <= 6; ++k)
        course.addQuestion(QStringLiteral("Вопрос %1").arg(k),
                           {QStringLiteral("a%1").arg(k), QStringLiteral("b%1").arg(k), QStringLiteral("c%1").arg(k),
                            QStringLiteral("d%1").arg(k), QStringLiteral("e%1").arg(k)},
                           k % 5 + 1);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    data::Connection other;
    other.open();
    other.setBusyTimeout(100);
    int refused = 0;
    data::setStatementHook([&](const QString &text, const QVariantMap &) {
        if (text != QStringLiteral("select Ответ3 from БДТест"))
            return;
        data::Query w(other);
        w.addLine(QStringLiteral("delete from БДТест where Код = (select min(Код) from БДТест)"));
        try {
            w.ExecSQL();
        } catch (const AppError &) {
            ++refused;
        }
    });
    showForm(Form2);
    data::setStatementHook(nullptr);
    QCOMPARE(refused, 1);
    const QStringList *lists[] = {&Form2->AnswerList1, &Form2->AnswerList2, &Form2->AnswerList3,
                                  &Form2->AnswerList4, &Form2->AnswerList5, &Form2->RightAnswerList};
    for (const QStringList *l : lists)
        QCOMPARE(l->size(), Form2->QuestionList.size());
    for (int k = 0; k < Form2->QuestionList.size(); ++k) {
        const int n = Form2->QuestionList.at(k).mid(7).toInt();
        QCOMPARE(Form2->AnswerList1.at(k), QStringLiteral("a%1").arg(n));
        QCOMPARE(Form2->AnswerList5.at(k), QStringLiteral("e%1").arg(n));
        QCOMPARE(Form2->RightAnswerList.at(k), QString::number(n % 5 + 1));
    }
    // No read keeps the file locked once the test has started.
    data::Query w(other);
    w.addLine(QStringLiteral("delete from БДТест where Код = (select min(Код) from БДТест)"));
    w.ExecSQL();
    QCOMPARE(course.count(QStringLiteral("БДТест")), 5);
}

// Another program holds the file exclusively when "Тестирование" is pressed: the
// student is told the file is busy and gets no half test to answer or hand in.
void TestTester::busyFileStartsNoTest()
{
    CourseDir course;
    addBank(course, 3);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    Form1->sPanel1->setText(QStringLiteral("Иванов"));
    showForm(Form8);
    // An earlier test leaves its lists and buttons behind.
    press(Form8->sSpeedButton1);
    QVERIFY(Form2->isVisible());
    press(question(1));
    Form2->close();
    QVERIFY(dialogs.boxes.isEmpty());

    Form1->ADOConnection1->setBusyTimeout(200);
    course.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    press(Form8->sSpeedButton1);
    QVERIFY2(dialogs.errorTexts().size() == 1 && dialogs.errorTexts().at(0).contains(QStringLiteral("занята")),
             qPrintable(dialogs.texts().join(QLatin1Char('|'))));
    // Nothing of a test is on offer: no question, no answer, no hand-in.
    const bool noTest = !Form2->isVisible() ||
                        (Form2->QuestionButtons.isEmpty() && Form2->AnswerButtons.isEmpty() &&
                         !Form2->sSpeedButton3->isEnabled());
    QVERIFY2(noTest, "a test was offered over a bank that could not be read");
    dialogs.clear();
    Form2->sSpeedButton3Click();
    QVERIFY(!dialogs.texts().join(QLatin1Char(' ')).contains(QStringLiteral("out of bounds")));
    QVERIFY(!dialogs.texts().join(QLatin1Char(' ')).contains(QStringLiteral("ответили верно")));
    course.exec(QStringLiteral("ROLLBACK"));
    QCOMPARE(course.count(QStringLiteral("Тесты")), 0);

    // Once the file is free, "Тестирование" starts a whole test.
    dialogs.clear();
    press(Form8->sSpeedButton1);
    QVERIFY(dialogs.boxes.isEmpty());
    QVERIFY(Form2->isVisible());
    QCOMPARE(Form2->QuestionButtons.size(), 30);
    QCOMPARE(Form2->QuestionList.size(), 3);
    QVERIFY(Form2->sSpeedButton3->isEnabled());
    press(Form2->sSpeedButton3);
    QCOMPARE(course.count(QStringLiteral("Тесты")), 1);
}

ETEXTBOOK_TEST_MAIN(TestTester)
#include "tst_tester.moc"
