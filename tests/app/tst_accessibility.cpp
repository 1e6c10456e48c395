// Every control of every window can be reached with the keyboard and tells a
// screen reader what it is.
#include "TestSupport.h"
#include "app/Unit1.h"
#include "app/Unit9.h"
#include "access/Unit3.h"
#include "materials/Unit7.h"
#include "testing/Unit2.h"
#include "testing/Unit4.h"
#include "testing/Unit6.h"
#include "testing/Unit8.h"
#include "users/Unit5.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

using namespace testsupport;

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void everyControlIsNamedAndReachable();
    void userBadgesSayWhoIsSignedIn();
};

void TestAccessibility::everyControlIsNamedAndReachable()
{
    CourseDir course;
    course.addQuestion(QStringLiteral("Вопрос"), {"1", "2", "3", "4", "5"}, 1);
    course.closeOwnConnection();
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    // The tester builds its buttons when it is shown.
    showForm(Form2);
    QStringList problems;
    int checked = 0;
    for (QWidget *window : QList<QWidget *>{Form1, Form2, Form3, Form4, Form5, Form6, Form7, Form8, Form9}) {
        const auto widgets = window->findChildren<QWidget *>();
        for (QWidget *w : widgets) {
            const bool control = qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) ||
                                 qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QTextEdit *>(w) ||
                                 qobject_cast<QAbstractItemView *>(w);
            if (!control || w->objectName().startsWith(QLatin1String("qt_")))
                continue;
            // Unnamed parts of Qt's own composite widgets (headers, scroll bar
            // buttons) are not the program's controls.
            if (w->objectName().isEmpty())
                continue;
            ++checked;
            const QString id = window->objectName() + QLatin1Char('.') + w->objectName();
            if (w->focusPolicy() == Qt::NoFocus)
                problems << id + QStringLiteral(": not reachable with the keyboard");
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
            const QString name = iface ? iface->text(QAccessible::Name) : QString();
            if (name.trimmed().isEmpty())
                problems << id + QStringLiteral(": no accessible name");
        }
    }
    QVERIFY2(checked > 80, qPrintable(QString::number(checked)));
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

// What a screen reader reads for the three user badges follows their caption.
void TestAccessibility::userBadgesSayWhoIsSignedIn()
{
    CourseDir course;
    course.addQuestion(QStringLiteral("Вопрос"), {"1", "2", "3", "4", "5"}, 1);
    course.addUser(QStringLiteral("Иванов"), QStringLiteral("1"));
    course.closeOwnConnection();
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    auto heard = [](QWidget *badge) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(badge);
        return iface ? iface->text(QAccessible::Name) + QLatin1Char('|') + iface->text(QAccessible::Description)
                     : QString();
    };
    QList<QWidget *> badges{Form1->sPanel1, Form8->sPanel1, Form2->Label1};
    for (QWidget *b : badges)
        QVERIFY2(heard(b).contains(QStringLiteral("ghg")), qPrintable(heard(b)));

    for (const QString &login : {QStringLiteral("Иванов"), QStringLiteral("Admin")}) {
        showForm(Form1);
        showForm(Form3);
        Form3->UserName->setText(login);
        Form3->Password->setText(login == QLatin1String("Admin") ? QStringLiteral("admin") : QStringLiteral("1"));
        press(Form3->OKButton);
        QCOMPARE(CurrentLogin(), login);
        Form8->hide();
        showForm(Form8);
        Form2->hide();
        showForm(Form2);
        for (QWidget *b : badges) {
            QVERIFY2(heard(b).contains(login), qPrintable(b->window()->objectName() + QLatin1String(": ") + heard(b)));
            QVERIFY2(heard(b).contains(QStringLiteral("Пользователь")), qPrintable(heard(b)));
        }
    }
}

ETEXTBOOK_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
