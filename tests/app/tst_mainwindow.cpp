// The main window as the hub: grouped buttons, showing versus bringing to the
// front, hiding on close, the two windows whose closing ends the program, help.
#include "TestSupport.h"
#include "app/Unit1.h"
#include "app/Unit9.h"
#include "app/help/HelpService.h"
#include "materials/Unit7.h"
#include "testing/Unit8.h"
#include "users/Unit5.h"

#include <QApplication>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace testsupport;

namespace {

class CountingForm : public TForm {
public:
    int shows = 0;

protected:
    void FormShow() override { ++shows; }
};

class FakeHelp : public help::HelpService {
public:
    QStringList files;
    void showKeywordIndex(QWidget *, const QString &file) override { files << file; }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void groupedButtons();
    void showRunsOnlyFromHidden();
    void sectionButtonsShowTheirWindows();
    void closingHidesOtherWindows();
    void closingEndsTheProgram_data();
    void closingEndsTheProgram();
    void helpOpensTheCourseHelpFile();
    void layout();
    void standardButtonsReadRussian();
};

void TestMainWindow::standardButtonsReadRussian()
{
    // Qt's own dialogs take their button texts from its translations.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Да"));
}

void TestMainWindow::groupedButtons()
{
    QWidget bar;
    TSpeedButton a(&bar), b(&bar), c(&bar), other(&bar);
    a.setGroupIndex(1);
    b.setGroupIndex(1);
    c.setGroupIndex(1);
    other.setGroupIndex(2);
    QStringList seen;
    auto watch = [&](TSpeedButton &btn, const QString &name) {
        QObject::connect(&btn, &QToolButton::clicked, [&, name] {
            // The new state is in place when the action runs.
            seen << name + (a.Down() ? "a" : "") + (b.Down() ? "b" : "") + (c.Down() ? "c" : "");
        });
    };
    watch(a, "A:");
    watch(b, "B:");
    watch(c, "C:");
    other.setDownState(true);
    press(&a);
    press(&b);
    press(&b); // the down button runs again and stays down
    QCOMPARE(seen, (QStringList{"A:a", "B:b", "B:b"}));
    c.setDownState(true); // from code: no action
    QCOMPARE(seen.size(), 3);
    QVERIFY(c.Down() && !b.Down() && !a.Down());
    QVERIFY(other.Down()); // another group is left alone
}

void TestMainWindow::showRunsOnlyFromHidden()
{
    ScriptedDialogs dialogs;
    CountingForm w;
    showForm(&w);
    showForm(&w); // visible: only brought to the front
    QCOMPARE(w.shows, 1);
    w.close();
    QVERIFY(!w.isVisible());
    showForm(&w);
    QCOMPARE(w.shows, 2);
}

void TestMainWindow::sectionButtonsShowTheirWindows()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    press(Form1->sSpeedButton4);
    QVERIFY(Form8->isVisible());
    press(Form1->sSpeedButton1);
    QVERIFY(Form1->sSpeedButton1->Down());
    QVERIFY(!Form1->sSpeedButton4->Down());
    QVERIFY(Form7->isVisible());
    QVERIFY(Form8->isVisible()); // stays open behind
    press(Form1->sSpeedButton5);
    QVERIFY(Form5->isVisible());
    press(Form1->sSpeedButton7);
    QVERIFY(Form9->isVisible());
    QVERIFY(dialogs.errorTexts().isEmpty());
}

void TestMainWindow::closingHidesOtherWindows()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    bool quit = false;
    auto conn = connect(qApp, &QCoreApplication::aboutToQuit, [&] { quit = true; });
    for (QWidget *w : QList<QWidget *>{Form7, Form8, Form5}) {
        showForm(w);
        QVERIFY(w->isVisible());
        QVERIFY(w->close());
        QVERIFY(!w->isVisible());
    }
    QVERIFY(Form7 && Form8 && Form5);
    disconnect(conn);
    QVERIFY(!quit);
}

void TestMainWindow::closingEndsTheProgram_data()
{
    QTest::addColumn<bool>("about");
    QTest::newRow("main window") << false;
    QTest::newRow("about window") << true;
}

void TestMainWindow::closingEndsTheProgram()
{
    QFETCH(bool, about);
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showForm(Form9);
    QTimer::singleShot(0, [about] { about ? Form9->close() : Form1->close(); });
    // Should the close not end the loop, this ends it with another code.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(42); });
    QCOMPARE(QApplication::exec(), 0);
}

void TestMainWindow::helpOpensTheCourseHelpFile()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    FakeHelp fake;
    help::setHelpService(&fake);
    press(Form1->sSpeedButton6);
    help::setHelpService(nullptr);
    QCOMPARE(fake.files, QStringList{"help.hlp"});
    QVERIFY(!Form1->sSpeedButton6->isCheckable()); // a plain button, outside the section group
}

void TestMainWindow::layout()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    QCOMPARE(Form1->windowTitle(), QStringLiteral("Электронный учебник"));
    QCOMPARE(Form1->size(), QSize(801, 553));
    QCOMPARE(Form1->sPanel4->geometry(), QRect(-16, 440, 817, 113));
    QCOMPARE(Form1->sSpeedButton5->geometry(), QRect(632, 48, 185, 49));
    QCOMPARE(Form1->sSpeedButton1->font().pixelSize(), 16);
    QVERIFY(!Form1->img1->picture().isNull());
    // Only the bar's own surface shows the pointing hand; its buttons and the badge do not.
    QCOMPARE(Form1->sPanel4->cursor().shape(), Qt::PointingHandCursor);
    for (QWidget *w : QList<QWidget *>{Form1->sSpeedButton1, Form1->sSpeedButton2, Form1->sSpeedButton3,
                                       Form1->sSpeedButton4, Form1->sSpeedButton5, Form1->sPanel1})
        QVERIFY2(w->cursor().shape() == Qt::ArrowCursor, qPrintable(w->objectName()));
    QCOMPARE(Form9->windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(Form9->pos(), QPoint(509, 210));
    QVERIFY(Form9->sLabel1->text().startsWith(QStringLiteral("Разработчики: ")));
    // The credits are one line in a label of fixed width: all of it must show.
    QVERIFY2(QFontMetrics(Form9->sLabel1->font()).horizontalAdvance(Form9->sLabel1->text()) <= Form9->sLabel1->width(),
             qPrintable(Form9->sLabel1->text()));
    QVERIFY(!Form9->Image1->picture().isNull());
}

ETEXTBOOK_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
