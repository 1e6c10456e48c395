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

ETEXTBOOK_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
