// The administrator's results grid: cells edited in place and written when the
// cursor leaves the row, a refused row that keeps the cursor, deleting with a
// question, a new row below the last, and the grid and its data set moving together.
#include "TestSupport.h"
#include "app/Unit1.h"
#include "common/DBGrid.h"
#include "testing/Unit6.h"
#include "testing/Unit8.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace testsupport;
using State = data::DataSet::State;

namespace {

struct Session {
    CourseDir course;
    ScriptedDialogs dialogs;
    std::unique_ptr<Forms> forms;
    TDBGrid *grid = nullptr;
    QAbstractItemModel *model = nullptr;
    data::DataSet *results = nullptr;
    int user = -1, score = -1;

    // The administrator's results window over the given results.
    void start(const QList<QPair<QString, int>> &rows)
    {
        for (const auto &r : rows)
            course.exec("insert into Тесты(Пользователь, Верно) values (?, ?)", {r.first, r.second});
        forms = std::make_unique<Forms>();
        if (!forms->ok())
            qFatal("the windows could not be created");
        Form1->sPanel1->setText("Admin");
        showForm(Form8);
        press(Form8->sSpeedButton2);
        grid = Form6->DBGrid1;
        model = grid->model();
        results = Form6->ADOQuery1;
        user = results->fieldIndex("Пользователь");
        score = results->fieldIndex("Верно");
        if (grid->isReadOnly() || user < 0 || score < 0)
            qFatal("the administrator's results grid is not editable");
    }
    QModelIndex cell(int row, int column) const { return model->index(row, column); }
    QString indicator(int row) const { return model->headerData(row, Qt::Vertical).toString(); }
    QStringList stored()
    {
        QStringList out;
        for (const QVariantList &r : course.rows("select Пользователь, Верно from Тесты order by Код"))
            out << r.at(0).toString() + ':' + r.at(1).toString();
        return out;
    }
};

} // namespace

class TestMenuGrid : public QObject {
    Q_OBJECT
private slots:
    void editIsWrittenWhenTheRowIsLeft_data();
    void editIsWrittenWhenTheRowIsLeft();
    void editThroughTheCellEditor();
    void untouchedCellStartsNoEdit();
    void refusedRowKeepsTheCursor_data();
    void refusedRowKeepsTheCursor();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void newRowBelowTheLast();
    void newRowInAnEmptyGrid();
    void keyIsNotEditable();
    void gridAndDataSetMoveTogether();
    void pendingEditSurvivesTheNextRequest();
    void refusedPendingEditDoesNotLockTheWindowAway();
};

void TestMenuGrid::editIsWrittenWhenTheRowIsLeft_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("key");   // a key pressed on the grid, or 0
    QTest::addColumn<int>("target"); // else the row chosen with the mouse
    QTest::newRow("down arrow") << 0 << int(Qt::Key_Down) << -1;
    QTest::newRow("up arrow") << 1 << int(Qt::Key_Up) << -1;
    QTest::newRow("another row chosen") << 0 << 0 << 1;
}

void TestMenuGrid::editIsWrittenWhenTheRowIsLeft()
{
    QFETCH(int, row);
    QFETCH(int, key);
    QFETCH(int, target);
    Session s;
    s.start({{"ivan", 12}, {"petr", 20}});
    s.grid->setCurrentIndex(s.cell(row, s.score));
    QVERIFY(s.model->setData(s.cell(row, s.score), "25"));
    QVERIFY(s.model->setData(s.cell(row, s.user), "olga"));
    // Nothing is written while the cursor stays on the row.
    QCOMPARE(s.results->state(), State::Edit);
    QCOMPARE(s.indicator(row), QStringLiteral("I"));
    QCOMPARE(s.cell(row, s.score).data().toString(), QStringLiteral("25"));
    QCOMPARE(s.stored(), (QStringList{"ivan:12", "petr:20"}));

    if (key)
        QTest::keyClick(s.grid, Qt::Key(key));
    else
        s.grid->setCurrentIndex(s.cell(target, s.score));
    QVERIFY(s.dialogs.boxes.isEmpty());
    QCOMPARE(s.results->state(), State::Browse);
    QCOMPARE(s.results->RecNo(), 1 - row);
    QCOMPARE(s.stored(), row == 0 ? (QStringList{"olga:25", "petr:20"}) : (QStringList{"ivan:12", "olga:25"}));
}

void TestMenuGrid::editThroughTheCellEditor()
{
    Session s;
    s.start({{"ivan", 12}, {"petr", 20}});
    s.grid->setCurrentIndex(s.cell(0, s.score));
    s.grid->edit(s.cell(0, s.score));
    auto *editor = qobject_cast<QLineEdit *>(s.grid->indexWidget(s.cell(0, s.score)));
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("12"));
    editor->setText("17");
    // Moving on with the editor still open hands its text to the row before the row is left.
    QTest::keyClick(s.grid, Qt::Key_Down);
    QVERIFY(!s.grid->indexWidget(s.cell(0, s.score))); // the editor is closed
    QCOMPARE(s.stored(), (QStringList{"ivan:17", "petr:20"}));
    // Esc in the cell editor drops what was typed there.
    s.grid->edit(s.cell(1, s.score));
    editor = qobject_cast<QLineEdit *>(s.grid->indexWidget(s.cell(1, s.score)));
    QVERIFY(editor);
    editor->setText("99");
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!s.grid->indexWidget(s.cell(1, s.score)));
    QCOMPARE(s.results->state(), State::Browse);
    QCOMPARE(s.cell(1, s.score).data().toString(), QStringLiteral("20"));
}

void TestMenuGrid::untouchedCellStartsNoEdit()
{
    Session s;
    s.start({{"ivan", 12}});
    // The editor hands back every cell it closes, changed or not.
    QVERIFY(s.model->setData(s.cell(0, s.score), "12"));
    QCOMPARE(s.results->state(), State::Browse);
    // An emptied cell becomes null, which the table allows for the score.
    QVERIFY(s.model->setData(s.cell(0, s.score), ""));
    QCOMPARE(s.results->state(), State::Edit);
    s.results->Post();
    QCOMPARE(s.course.rows("select Верно is null from Тесты"), (QList<QVariantList>{{1}}));
}

void TestMenuGrid::refusedRowKeepsTheCursor_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("not a number") << "много";
    QTest::newRow("above 255") << "300";
    QTest::newRow("negative") << "-1";
}

void TestMenuGrid::refusedRowKeepsTheCursor()
{
    QFETCH(QString, value);
    Session s;
    s.start({{"ivan", 12}, {"petr", 20}});
    s.grid->setCurrentIndex(s.cell(0, s.score));
    QVERIFY(s.model->setData(s.cell(0, s.score), value));
    QTest::keyClick(s.grid, Qt::Key_Down);
    QCOMPARE(s.dialogs.errorTexts().size(), 1);
    // The cursor stays on the rejected row with the typed value, so it can be corrected.
    QCOMPARE(s.results->RecNo(), 0);
    QCOMPARE(s.grid->currentIndex().row(), 0);
    QCOMPARE(s.results->state(), State::Edit);
    QCOMPARE(s.cell(0, s.score).data().toString(), value);
    QCOMPARE(s.stored(), (QStringList{"ivan:12", "petr:20"}));
    // Esc gives up the change; the cursor is free again.
    QTest::keyClick(s.grid, Qt::Key_Escape);
    QCOMPARE(s.results->state(), State::Browse);
    QCOMPARE(s.cell(0, s.score).data().toString(), QStringLiteral("12"));
    QTest::keyClick(s.grid, Qt::Key_Down);
    QCOMPARE(s.results->RecNo(), 1);
    QCOMPARE(s.dialogs.errorTexts().size(), 1);
}

void TestMenuGrid::deleteAsksFirst_data()
{
    QTest::addColumn<bool>("withControl");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("Delete, yes") << false << true << QStringList{"ivan:12", "olga:5"};
    QTest::newRow("Delete, no") << false << false << QStringList{"ivan:12", "petr:20", "olga:5"};
    QTest::newRow("Ctrl+Delete, yes") << true << true << QStringList{"ivan:12", "olga:5"};
    QTest::newRow("Ctrl+Delete, no") << true << false << QStringList{"ivan:12", "petr:20", "olga:5"};
}

void TestMenuGrid::deleteAsksFirst()
{
    QFETCH(bool, withControl);
    QFETCH(bool, answer);
    QFETCH(QStringList, left);
    Session s;
    s.start({{"ivan", 12}, {"petr", 20}, {"olga", 5}});
    s.grid->setCurrentIndex(s.cell(1, s.user));
    s.dialogs.confirmAnswers << answer;
    QTest::keyClick(s.grid, Qt::Key_Delete, withControl ? Qt::ControlModifier : Qt::NoModifier);
    QCOMPARE(s.dialogs.confirmTexts, QStringList{"Удалить эту запись?"});
    QCOMPARE(s.stored(), left);
    QCOMPARE(s.model->rowCount(), left.size());
    QCOMPARE(s.grid->currentIndex().row(), 1);
    QCOMPARE(s.cell(1, s.user).data().toString(), left.at(1).section(':', 0, 0));
}

void TestMenuGrid::newRowBelowTheLast()
{
    Session s;
    s.start({{"ivan", 12}, {"petr", 20}});
    s.grid->setCurrentIndex(s.cell(1, s.score));
    QTest::keyClick(s.grid, Qt::Key_Down);
    QCOMPARE(s.model->rowCount(), 3);
    QCOMPARE(s.results->state(), State::Insert);
    QCOMPARE(s.grid->currentIndex().row(), 2);
    QCOMPARE(s.indicator(2), QStringLiteral("*"));
    // Down on the still empty new row adds no second one; leaving it drops it.
    QTest::keyClick(s.grid, Qt::Key_Down);
    QCOMPARE(s.model->rowCount(), 3);
    QTest::keyClick(s.grid, Qt::Key_Up);
    QCOMPARE(s.model->rowCount(), 2);
    QCOMPARE(s.grid->currentIndex().row(), 1);
    QCOMPARE(s.course.count("Тесты"), 2);

    QTest::keyClick(s.grid, Qt::Key_Down);
    QVERIFY(s.model->setData(s.cell(2, s.user), "olga"));
    QVERIFY(s.model->setData(s.cell(2, s.score), "9"));
    // Down from a filled new row stores it and starts the next one.
    QTest::keyClick(s.grid, Qt::Key_Down);
    QCOMPARE(s.stored(), (QStringList{"ivan:12", "petr:20", "olga:9"}));
    QCOMPARE(s.model->rowCount(), 4);
    QTest::keyClick(s.grid, Qt::Key_Escape);
    QCOMPARE(s.model->rowCount(), 3);
    // The stored row shows what the engine filled in: its key and its date.
    const int key = s.results->fieldIndex("Код");
    const int date = s.results->fieldIndex("Дата");
    QVERIFY(s.cell(2, key).data().toInt() > 0);
    QVERIFY(!s.cell(2, date).data().toString().isEmpty());
    QVERIFY(s.dialogs.boxes.isEmpty());
}

void TestMenuGrid::newRowInAnEmptyGrid()
{
    Session s;
    s.start({});
    QCOMPARE(s.model->rowCount(), 0);
    QTest::keyClick(s.grid, Qt::Key_Down);
    QCOMPARE(s.model->rowCount(), 1);
    QCOMPARE(s.results->state(), State::Insert);
    // Deleting a new row that was never stored asks nothing.
    QTest::keyClick(s.grid, Qt::Key_Delete);
    QVERIFY(s.dialogs.confirmTexts.isEmpty());
    QCOMPARE(s.model->rowCount(), 0);
    QCOMPARE(s.course.count("Тесты"), 0);
}

void TestMenuGrid::keyIsNotEditable()
{
    Session s;
    s.start({{"ivan", 12}});
    const int key = s.results->fieldIndex("Код");
    QVERIFY(!(s.model->flags(s.cell(0, key)) & Qt::ItemIsEditable));
    QVERIFY(!s.model->setData(s.cell(0, key), "77"));
    QCOMPARE(s.results->state(), State::Browse);
}

void TestMenuGrid::gridAndDataSetMoveTogether()
{
    Session s;
    s.start({{"ivan", 12}, {"petr", 20}, {"olga", 5}});
    QCOMPARE(s.grid->currentIndex().row(), 0);
    s.results->Last();
    QCOMPARE(s.grid->currentIndex().row(), 2);
    s.grid->setCurrentIndex(s.cell(1, s.score));
    QCOMPARE(s.results->RecNo(), 1);
    // Only the current row carries the indicator.
    QCOMPARE((QStringList{s.indicator(0), s.indicator(1), s.indicator(2)}), (QStringList{"", "▶", ""}));
    s.results->Close();
    QCOMPARE(s.model->rowCount(), 0);
    QVERIFY(!s.grid->currentIndex().isValid());
}

void TestMenuGrid::pendingEditSurvivesTheNextRequest()
{
    Session s;
    s.start({{"ivan", 12}});
    QVERIFY(s.model->setData(s.cell(0, s.score), "13"));
    press(Form8->sSpeedButton2);
    QCOMPARE(s.stored(), QStringList{"ivan:13"});
    QCOMPARE(s.cell(0, s.score).data().toString(), QStringLiteral("13"));
}

// A value the file refuses, left pending when the window was closed: every later
// request must still bring the grid back, with the row in editing to mend.
void TestMenuGrid::refusedPendingEditDoesNotLockTheWindowAway()
{
    Session s;
    s.start({{"ivan", 12}});
    QVERIFY(s.model->setData(s.cell(0, s.score), "abc"));
    QVERIFY(Form6->close());
    QVERIFY(!Form6->isVisible());

    for (int attempt = 0; attempt < 2; ++attempt) {
        s.dialogs.clear();
        press(Form8->sSpeedButton2);
        QCOMPARE(s.dialogs.errorTexts().size(), 1);
        QVERIFY2(Form6->isVisible(), "the results window stays locked away");
        QCOMPARE(s.results->state(), State::Edit);
        QCOMPARE(s.cell(0, s.score).data().toString(), QStringLiteral("abc"));
        QCOMPARE(s.stored(), QStringList{"ivan:12"});
        Form6->close();
    }

    // Mended, the next request writes it and shows the fresh results.
    QVERIFY(s.model->setData(s.cell(0, s.score), "14"));
    s.dialogs.clear();
    press(Form8->sSpeedButton2);
    QVERIFY(s.dialogs.boxes.isEmpty());
    QVERIFY(Form6->isVisible());
    QCOMPARE(s.results->state(), State::Browse);
    QCOMPARE(s.stored(), QStringList{"ivan:14"});
}

ETEXTBOOK_TEST_MAIN(TestMenuGrid)
#include "tst_menu_grid.moc"
