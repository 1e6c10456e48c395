// The test menu and the results window: the badge and the administrator's button
// taken at each showing, the results each login may see, the results grid that
// only the administrator may change, and results that show at the next request.
#include "TestSupport.h"
#include "app/Unit1.h"
#include "common/DBGrid.h"
#include "testing/Unit2.h"
#include "testing/Unit4.h"
#include "testing/Unit6.h"
#include "testing/Unit8.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTest>

#include <memory>

using namespace testsupport;

namespace {

const QString kAll = QStringLiteral("select * from Тесты");
const QString kOwn = QStringLiteral("select * from Тесты\nwhere Пользователь= :a");

struct Session {
    CourseDir course;
    ScriptedDialogs dialogs;
    std::unique_ptr<Forms> forms;

    // Creates the windows, signs login in as the login window would and opens the menu.
    TForm8 *start(const QString &login)
    {
        forms = std::make_unique<Forms>();
        if (!forms->ok())
            qFatal("the windows could not be created");
        signIn(login);
        showForm(Form8);
        return Form8;
    }
    void signIn(const QString &login) { Form1->sPanel1->setText(login); }
    void addResult(const QString &login, int score)
    {
        course.exec(QStringLiteral("insert into Тесты(Пользователь, Верно) values (?, ?)"), {login, score});
    }
};

// The grid's rows as "login:score".
QStringList shownResults()
{
    QStringList out;
    const auto *m = Form6->DBGrid1->model();
    const int user = Form6->ADOQuery1->fieldIndex("Пользователь");
    const int score = Form6->ADOQuery1->fieldIndex("Верно");
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, user).data().toString() + ':' + m->index(r, score).data().toString();
    return out;
}

} // namespace

class TestMenu : public QObject {
    Q_OBJECT
private slots:
    void atCreation();
    void badgeAndEditButton_data();
    void badgeAndEditButton();
    void refreshOnlyFromHidden();
    void buttonsShowTheirWindows();
    void resultsPerLogin_data();
    void resultsPerLogin();
    void noResultsStillShowsTitles();
    void newResultShowsAtTheNextRequest();
    void failingResultsQuery();
    void resultsGridOnlyForTheAdministrator_data();
    void resultsGridOnlyForTheAdministrator();
};

void TestMenu::atCreation()
{
    Session s;
    Forms forms;
    QVERIFY(forms.ok());
    // Nobody has signed in: the badge's first caption, and no administrator button.
    QCOMPARE(Form8->sPanel1->text(), QStringLiteral("ghg"));
    QVERIFY(Form8->sSpeedButton3->isHidden());
    QCOMPARE(Form8->windowTitle(), QStringLiteral("Тест"));
    QCOMPARE(Form8->size(), QSize(528, 449));
    QCOMPARE(Form6->windowTitle(), QStringLiteral("Результаты тестов"));
    QCOMPARE(Form6->size(), QSize(267, 219));
    QVERIFY(!Form8->sSpeedButton1->Down() && !Form8->sSpeedButton2->Down() && !Form8->sSpeedButton3->Down());
    QVERIFY(Form6->DBGrid1->isReadOnly());
    QVERIFY(s.dialogs.boxes.isEmpty());
}

void TestMenu::badgeAndEditButton_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<bool>("admin");
    QTest::newRow("Admin") << "Admin" << true;
    QTest::newRow("lower case") << "admin" << false;
    QTest::newRow("upper case") << "ADMIN" << false;
    QTest::newRow("trailing space") << "Admin " << false;
    QTest::newRow("student") << "ivan" << false;
    QTest::newRow("login that looks like markup") << "<i>ivan</i>" << false;
}

void TestMenu::badgeAndEditButton()
{
    QFETCH(QString, login);
    QFETCH(bool, admin);
    Session s;
    TForm8 *menu = s.start(login);
    QCOMPARE(menu->sPanel1->text(), login);
    // Every character of the login shows; markup in it is not rendered.
    QVERIFY(menu->sPanel1->sizeHint().width() >= QFontMetrics(menu->sPanel1->font()).horizontalAdvance(login));
    QCOMPARE(menu->sSpeedButton3->isVisible(), admin);
    QVERIFY(menu->sSpeedButton1->isVisible() && menu->sSpeedButton2->isVisible());
}

void TestMenu::refreshOnlyFromHidden()
{
    Session s;
    TForm8 *menu = s.start("ivan");
    s.signIn("Admin");
    showForm(menu); // already visible: brought forward, nothing refreshed
    QCOMPARE(menu->sPanel1->text(), QStringLiteral("ivan"));
    QVERIFY(!menu->sSpeedButton3->isVisible());
    // The results follow the menu's own badge, not the main window's.
    StatementLog log;
    press(menu->sSpeedButton2);
    QCOMPARE(log.texts(), QStringList{kOwn});
    menu->close();
    QVERIFY(!menu->isVisible());
    showForm(menu);
    QCOMPARE(menu->sPanel1->text(), QStringLiteral("Admin"));
    QVERIFY(menu->sSpeedButton3->isVisible());
}

void TestMenu::buttonsShowTheirWindows()
{
    Session s;
    TForm8 *menu = s.start("Admin");
    press(menu->sSpeedButton1);
    QVERIFY(Form2->isVisible());
    QVERIFY(menu->sSpeedButton1->Down());
    press(menu->sSpeedButton3);
    QVERIFY(Form4->isVisible());
    QVERIFY(menu->sSpeedButton3->Down() && !menu->sSpeedButton1->Down());
    press(menu->sSpeedButton2);
    QVERIFY(Form6->isVisible());
    QVERIFY(Form2->isVisible() && Form4->isVisible()); // each window is independent
    QVERIFY(s.dialogs.errorTexts().isEmpty());
}

void TestMenu::resultsPerLogin_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("editable");
    const QStringList all{"ivan:12", "Admin:30", "admin:7", "Ivan:3", "ivan:20"};
    QTest::newRow("Admin sees everybody") << "Admin" << kAll << all << true;
    QTest::newRow("student sees own") << "ivan" << kOwn << QStringList{"ivan:12", "ivan:20"} << false;
    // Differing from "Admin" only in case is an ordinary login, compared with case.
    QTest::newRow("admin in lower case") << "admin" << kOwn << QStringList{"admin:7"} << false;
    QTest::newRow("other case of a student") << "Ivan" << kOwn << QStringList{"Ivan:3"} << false;
    QTest::newRow("login with a quote") << "o'neil" << kOwn << QStringList{} << false;
}

void TestMenu::resultsPerLogin()
{
    QFETCH(QString, login);
    QFETCH(QString, statement);
    QFETCH(QStringList, shown);
    QFETCH(bool, editable);
    Session s;
    s.addResult("ivan", 12);
    s.addResult("Admin", 30);
    s.addResult("admin", 7);
    s.addResult("Ivan", 3);
    s.addResult("ivan", 20);
    TForm8 *menu = s.start(login);
    StatementLog log;
    press(menu->sSpeedButton2);
    QCOMPARE(log.texts(), QStringList{statement});
    const QVariantMap bound = statement == kAll ? QVariantMap() : QVariantMap{{"a", login}};
    QCOMPARE(log.entries.first().params, bound);
    QCOMPARE(shownResults(), shown);
    QVERIFY(Form6->isVisible());
    QCOMPARE(!Form6->DBGrid1->isReadOnly(), editable);
    QVERIFY(s.dialogs.boxes.isEmpty());
}

void TestMenu::noResultsStillShowsTitles()
{
    Session s;
    s.addResult("ivan", 12);
    TForm8 *menu = s.start("petr");
    press(menu->sSpeedButton2);
    const auto *m = Form6->DBGrid1->model();
    QCOMPARE(m->rowCount(), 0);
    QStringList titles;
    for (int c = 0; c < m->columnCount(); ++c)
        titles << m->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"Код", "Пользователь", "Верно", "Дата"}));
}

void TestMenu::newResultShowsAtTheNextRequest()
{
    Session s;
    s.course.addQuestion("2+2?", {"4", "5", "6", "7", "8"}, 1);
    TForm8 *menu = s.start("ivan");
    press(menu->sSpeedButton2);
    QCOMPARE(shownResults(), QStringList{});
    // A test handed in at once: every answer "A", which is right for the only question.
    press(menu->sSpeedButton1);
    QVERIFY(Form2->isVisible());
    press(Form2->sSpeedButton3);
    QVERIFY(!Form2->isVisible());
    QCOMPARE(s.dialogs.texts(), QStringList{"Вы 30 ответили верно"});
    QCOMPARE(s.course.count("Тесты"), 1);
    // The open results window keeps what it read until it is asked again.
    QVERIFY(Form6->isVisible());
    QCOMPARE(shownResults(), QStringList{});
    press(menu->sSpeedButton2);
    QCOMPARE(shownResults(), QStringList{"ivan:30"});
    const int date = Form6->ADOQuery1->fieldIndex("Дата");
    QVERIFY(!Form6->DBGrid1->model()->index(0, date).data().toString().isEmpty());
}

void TestMenu::failingResultsQuery()
{
    Session s;
    s.addResult("ivan", 12);
    TForm8 *menu = s.start("ivan");
    s.course.exec("drop table Тесты");
    press(menu->sSpeedButton2);
    QCOMPARE(s.dialogs.errorTexts().size(), 1);
    QVERIFY(!s.dialogs.errorTexts().first().isEmpty());
    QVERIFY(!Form6->isVisible());
    QCOMPARE(Form6->DBGrid1->model()->rowCount(), 0);
    // Once the table is back the next request works again.
    s.course.exec("CREATE TABLE Тесты (Код INTEGER PRIMARY KEY, Пользователь TEXT, Верно INTEGER, Дата TEXT)");
    s.addResult("ivan", 5);
    press(menu->sSpeedButton2);
    QCOMPARE(s.dialogs.errorTexts().size(), 1);
    QCOMPARE(shownResults(), QStringList{"ivan:5"});
}

void TestMenu::resultsGridOnlyForTheAdministrator_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<bool>("editable");
    QTest::newRow("Admin") << "Admin" << true;
    QTest::newRow("student") << "ivan" << false;
    QTest::newRow("admin in lower case") << "admin" << false;
}

void TestMenu::resultsGridOnlyForTheAdministrator()
{
    QFETCH(QString, login);
    QFETCH(bool, editable);
    Session s;
    s.addResult(login, 12);
    s.addResult(login, 20);
    TForm8 *menu = s.start(login);
    press(menu->sSpeedButton2);
    TDBGrid *grid = Form6->DBGrid1;
    auto *m = grid->model();
    QCOMPARE(m->rowCount(), 2);
    const int score = Form6->ADOQuery1->fieldIndex("Верно");
    QCOMPARE(bool(m->flags(m->index(0, score)) & Qt::ItemIsEditable), editable);
    QCOMPARE(grid->editTriggers() != QAbstractItemView::NoEditTriggers, editable);

    if (editable)
        return; // the administrator's editing has tests of its own
    // Nothing a student does in the grid reaches the table.
    QVERIFY(!m->setData(m->index(0, score), "30"));
    grid->setCurrentIndex(m->index(0, score));
    QTest::keyClick(grid, Qt::Key_Delete);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down); // below the last row
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(m->rowCount(), 2);
    QVERIFY(s.dialogs.confirmTexts.isEmpty());
    QVERIFY(s.dialogs.boxes.isEmpty());
    QCOMPARE(s.course.rows("select Верно from Тесты order by Код"), (QList<QVariantList>{{12}, {20}}));
    QVERIFY(!Form6->ADOQuery1->canModify());

    // Signing in as the administrator afterwards makes it editable at the next request.
    menu->close();
    s.signIn("Admin");
    showForm(menu);
    press(menu->sSpeedButton2);
    QVERIFY(!grid->isReadOnly());
    QVERIFY(m->flags(m->index(0, score)) & Qt::ItemIsEditable);
}

ETEXTBOOK_TEST_MAIN(TestMenu)
#include "tst_menu.moc"
