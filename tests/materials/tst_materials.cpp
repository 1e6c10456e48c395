// The materials window with a recording viewer and player: choice of section,
// search, the lookup lists' current key, opening entries, adding and deleting.
#include "MaterialsFakes.h"
#include "TestSupport.h"
#include "app/Unit1.h"
#include "materials/Materials.h"
#include "materials/Unit7.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace testsupport;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

FakeViewer *viewer() { return static_cast<FakeViewer *>(Form7->WebBrowser1); }
FakePlayer *player() { return static_cast<FakePlayer *>(Form7->MediaPlayer1); }

TSpeedButton *sectionButton(int n)
{
    return n == 1 ? Form1->sSpeedButton1 : n == 2 ? Form1->sSpeedButton2 : Form1->sSpeedButton3;
}

// Shows the window afresh through the main window's button, as a user reopens it.
void showSection(int n)
{
    Form7->hide();
    press(sectionButton(n));
}

QString tableOf(int n) { return QString::fromUtf8(n == 1 ? "Лекции" : n == 2 ? "Лабы" : "Видео"); }
QString nameField(int n) { return QStringLiteral("Название") + (n == 1 ? "Лекции" : n == 2 ? "Лабы" : "Видео"); }
QString addressField(int n) { return QStringLiteral("Адрес") + (n == 1 ? "Лекции" : n == 2 ? "Лабы" : "Видео"); }

void seed(CourseDir &course, int n, const QVariant &name, const QVariant &address)
{
    course.exec(QStringLiteral("insert into %1(%2, %3) values (?, ?)")
                    .arg(tableOf(n), nameField(n), addressField(n)),
                {name, address});
}

QStringList lines(const TDBLookupListBox *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QList<int> selectedRows(const TDBLookupListBox *list)
{
    QList<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->rowSelected(i))
            rows << i;
    return rows;
}

QPoint rowCentre(TDBLookupListBox *list, int row) { return list->visualItemRect(list->item(row)).center(); }

void clickRow(TDBLookupListBox *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, row));
}

void doubleClickAt(TDBLookupListBox *list, const QPoint &at)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

QVariantList column(CourseDir &course, const QString &sql)
{
    QVariantList out;
    for (const QVariantList &row : course.rows(sql))
        out << row.value(0);
    return out;
}

} // namespace

class TestMaterials : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void creationChoosesNoSection();
    void missingColumnEndsStartUp();
    void sectionIsChosenOnlyWhenShown();
    void blankPageFollowsTheWorkingDirectory();
    void findAndShowAll_data();
    void findAndShowAll();
    void typedTextGoesToLikeUnchanged_data();
    void typedTextGoesToLikeUnchanged();
    void currentKeyFollowsTheAddress();
    void openDocument_data();
    void openDocument();
    void openVideo();
    void videoThatCannotOpen();
    void fileFilterTranslation_data();
    void fileFilterTranslation();
    void allFilesMeansEveryFile();
    void documentUrls_data();
    void documentUrls();
    void addEntry_data();
    void addEntry();
    void addRefused();
    void deleteRemovesEveryEntryWithTheAddress_data();
    void deleteRemovesEveryEntryWithTheAddress();
    void deleteConsultsOnlyTheCurrentSection();
    void failedReadEmptiesTheList_data();
    void failedReadEmptiesTheList();
};

void TestMaterials::initTestCase()
{
    ui::setDocumentViewerFactory([](QWidget *parent) { return new FakeViewer(parent); });
    ui::setMediaPlayerFactory([](QWidget *parent) { return new FakePlayer(parent); });
}

void TestMaterials::cleanupTestCase()
{
    ui::setDocumentViewerFactory({});
    ui::setMediaPlayerFactory({});
}

void TestMaterials::init() { MaterialSection = 0; }

void TestMaterials::creationChoosesNoSection()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    QCOMPARE(MaterialSection, quint8(0));
    QVERIFY(Form7->windowTitle().isEmpty());
    QVERIFY(Form7->windowState() & Qt::WindowMaximized);
    QCOMPARE(viewer()->addresses, QStringList{QDir(course.path()).filePath("Clear.htm")});
    QCOMPARE(player()->display, Form7->Panel4);
    QVERIFY(!Form7->MediaPlayer1->isVisibleTo(Form7));
    QVERIFY(!Form7->Panel4->isVisibleTo(Form7));
    QVERIFY(!Form7->sGroupBox1->isVisibleTo(Form7));
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestMaterials::missingColumnEndsStartUp()
{
    CourseDir course;
    course.exec(QStringLiteral("ALTER TABLE Лабы DROP COLUMN АдресЛабы"));
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(!forms.ok());
    QVERIFY(!Form7);
    QCOMPARE(dialogs.errorTexts().size(), 1);
    QVERIFY2(dialogs.errorTexts()[0].contains(QStringLiteral("«Лабы»")) &&
                 dialogs.errorTexts()[0].contains(QStringLiteral("«АдресЛабы»")),
             qPrintable(dialogs.errorTexts()[0]));
}

void TestMaterials::sectionIsChosenOnlyWhenShown()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());

    press(Form1->sSpeedButton2);
    QVERIFY(Form7->isVisible());
    QCOMPARE(Form7->windowTitle(), QStringLiteral("Практика"));
    QCOMPARE(MaterialSection, quint8(2));
    QVERIFY(Form7->sDBLookupListBox2->isVisible());
    QVERIFY(!Form7->sDBLookupListBox1->isVisible());
    QVERIFY(!Form7->sDBLookupListBox3->isVisible());
    QVERIFY(!Form7->Panel4->isVisible());
    QVERIFY(Form7->sGroupBox2->isVisible());
    const qsizetype configured = viewer()->addresses.size();

    // A visible window is only brought to the front: nothing is configured again.
    press(Form1->sSpeedButton3);
    QVERIFY(Form1->sSpeedButton3->Down());
    QCOMPARE(Form7->windowTitle(), QStringLiteral("Практика"));
    QCOMPARE(MaterialSection, quint8(2));
    QVERIFY(Form7->sDBLookupListBox2->isVisible());
    QCOMPARE(viewer()->addresses.size(), configured);

    showSection(3);
    QCOMPARE(Form7->windowTitle(), QStringLiteral("Видео"));
    QCOMPARE(MaterialSection, quint8(3));
    QVERIFY(Form7->sDBLookupListBox3->isVisible());
    QVERIFY(Form7->Panel4->isVisible());
    // The bar waits for an entry to be opened.
    QVERIFY(!Form7->MediaPlayer1->isVisible());

    showSection(1);
    QCOMPARE(Form7->windowTitle(), QStringLiteral("Теория"));
    QCOMPARE(MaterialSection, quint8(1));
    QVERIFY(Form7->sDBLookupListBox1->isVisible());
    QVERIFY(!Form7->Panel4->isVisible());
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestMaterials::blankPageFollowsTheWorkingDirectory()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showSection(1);
    QCOMPARE(viewer()->addresses.last(), QDir(course.path()).filePath("Clear.htm"));

    QTemporaryDir elsewhere;
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    showSection(1);
    QVERIFY(QDir::setCurrent(course.path()));
    // Looked up where the process is now, whether or not the page is there.
    QCOMPARE(viewer()->addresses.last(), QDir(elsewhere.path()).filePath("Clear.htm"));
}

void TestMaterials::findAndShowAll_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("findText");
    QTest::addColumn<QString>("allText");
    QTest::newRow("lectures") << 1 << "select * from Лекции\nwhere НазваниеЛекции  Like :a "
                              << "select * from Лекции";
    QTest::newRow("labs") << 2 << "select * from Лабы\nwhere НазваниеЛабы Like :a " << "select * from Лабы";
    QTest::newRow("videos") << 3 << "select * from Видео\nwhere НазваниеВидео Like :a " << "select * from Видео";
}

void TestMaterials::findAndShowAll()
{
    QFETCH(int, section);
    QFETCH(QString, findText);
    QFETCH(QString, allText);
    CourseDir course;
    for (int n = 1; n <= 3; ++n) {
        seed(course, n, "Первая запись", "/m/1");
        seed(course, n, "Вторая", "/m/2");
        seed(course, n, "Третья запись", "/m/3");
    }
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showSection(section);
    TDBLookupListBox *list = Form7->sectionList(section);
    const QStringList all{"Первая запись", "Вторая", "Третья запись"};
    QCOMPARE(lines(list), all);

    StatementLog log;
    dialogs.inputAnswers << QString("запись");
    press(Form7->sButton1);
    QCOMPARE(dialogs.prompts.size(), 1);
    QCOMPARE(dialogs.prompts[0].caption, QStringLiteral("Найти"));
    QCOMPARE(dialogs.prompts[0].prompt, QStringLiteral("Введите имя, искомого файла"));
    QCOMPARE(log.texts(), QStringList{findText});
    QCOMPARE(log.entries[0].params.value("a").toString(), QStringLiteral("%запись%"));
    QCOMPARE(lines(list), (QStringList{"Первая запись", "Третья запись"}));
    for (int other = 1; other <= 3; ++other)
        if (other != section)
            QCOMPARE(lines(Form7->sectionList(other)), all);

    // The filter lives in the query and survives closing the window.
    log.clear();
    showSection(section);
    QCOMPARE(lines(list), (QStringList{"Первая запись", "Третья запись"}));
    QVERIFY(log.texts().contains(findText));

    log.clear();
    press(Form7->sButton2);
    QCOMPARE(log.texts(), QStringList{allText});
    QVERIFY(log.entries[0].params.isEmpty());
    QCOMPARE(lines(list), all);
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestMaterials::typedTextGoesToLikeUnchanged_data()
{
    QTest::addColumn<std::optional<QString>>("typed");
    QTest::addColumn<QStringList>("expected");
    const QStringList named{"Лекция 1", "Лекция 10", "100% готово", "a_b", "axb"};
    QTest::newRow("cancelled") << std::optional<QString>() << named;
    QTest::newRow("empty") << std::optional<QString>(QString()) << named;
    QTest::newRow("percent") << std::optional<QString>("%") << named;
    QTest::newRow("underscore is one character") << std::optional<QString>("a_b") << QStringList{"a_b", "axb"};
    QTest::newRow("percent inside") << std::optional<QString>("0%") << QStringList{"Лекция 10", "100% готово"};
    QTest::newRow("case of Cyrillic") << std::optional<QString>("лекция 1") << QStringList{"Лекция 1", "Лекция 10"};
    QTest::newRow("blanks count") << std::optional<QString>(" 1") << QStringList{"Лекция 1", "Лекция 10"};
    QTest::newRow("nothing") << std::optional<QString>("нет такого") << QStringList{};
}

void TestMaterials::typedTextGoesToLikeUnchanged()
{
    QFETCH(std::optional<QString>, typed);
    QFETCH(QStringList, expected);
    CourseDir course;
    for (const char *name : {"Лекция 1", "Лекция 10", "100% готово", "a_b", "axb"})
        seed(course, 1, QString::fromUtf8(name), "/m/x");
    seed(course, 1, QVariant(), "/m/unnamed");
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showSection(1);
    QCOMPARE(Form7->sDBLookupListBox1->count(), 6);
    dialogs.inputAnswers << typed;
    press(Form7->sButton1);
    QCOMPARE(lines(Form7->sDBLookupListBox1), expected);
    QVERIFY(dialogs.boxes.isEmpty());
}


void TestMaterials::currentKeyFollowsTheAddress()
{
    CourseDir course;
    seed(course, 1, "Введение", "/m/same.html");
    seed(course, 1, "Введение (копия)", "/m/same.html");
    seed(course, 1, "Другая", "/m/other.html");
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showSection(1);
    TDBLookupListBox *list = Form7->sDBLookupListBox1;
    QVERIFY(list->keyValue().isNull());

    // Reaching the list with Tab selects nothing.
    list->setFocus(Qt::TabFocusReason);
    QVERIFY(list->keyValue().isNull());
    QVERIFY(selectedRows(list).isEmpty());

    clickRow(list, 1);
    QCOMPARE(list->keyValue().toString(), QStringLiteral("/m/same.html"));
    QCOMPARE(selectedRows(list), (QList<int>{0, 1}));

    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->keyValue().toString(), QStringLiteral("/m/other.html"));
    QCOMPARE(selectedRows(list), QList<int>{2});
    clickRow(list, 0);

    // Hidden by a search, the key stays and nothing shows selected.
    dialogs.inputAnswers << QString("Другая");
    press(Form7->sButton1);
    QCOMPARE(lines(list), QStringList{"Другая"});
    QVERIFY(selectedRows(list).isEmpty());
    QCOMPARE(list->keyValue().toString(), QStringLiteral("/m/same.html"));

    press(Form7->sButton2);
    QCOMPARE(selectedRows(list), (QList<int>{0, 1}));
    showSection(1);
    QCOMPARE(selectedRows(list), (QList<int>{0, 1}));
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestMaterials::openDocument_data()
{
    QTest::addColumn<int>("section");
    QTest::newRow("lecture") << 1;
    QTest::newRow("lab") << 2;
}

void TestMaterials::openDocument()
{
    QFETCH(int, section);
    const QString first = QStringLiteral("/курс/Лекции и лабы/№1 #раз.html");
    const QString last = QStringLiteral("/курс/последняя.pdf");
    CourseDir course;
    seed(course, section, "Первая", first);
    seed(course, section, "Последняя", last);
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showSection(section);
    TDBLookupListBox *list = Form7->sectionList(section);
    const qsizetype before = viewer()->addresses.size();

    doubleClickAt(list, rowCentre(list, 0));
    QCOMPARE(viewer()->addresses.size(), before + 1);
    QCOMPARE(viewer()->addresses.last(), first);

    // Below the last line: the last entry becomes current, nothing opens.
    const QPoint below = list->visualItemRect(list->item(1)).bottomLeft() + QPoint(5, 20);
    QVERIFY(!list->indexAt(below).isValid());
    doubleClickAt(list, below);
    QCOMPARE(list->keyValue().toString(), last);
    QCOMPARE(viewer()->addresses.size(), before + 1);

    // The keyboard opens the current entry too.
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(viewer()->addresses.last(), last);
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestMaterials::openVideo()
{
    CourseDir course;
    seed(course, 3, "Первое", "/видео/первое.avi");
    seed(course, 3, "Второе", "/видео/второе.mpg");
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showSection(3);
    TDBLookupListBox *list = Form7->sDBLookupListBox3;

    // An empty key opens nothing and shows nothing.
    player()->calls.clear();
    Form7->sDBLookupListBox3DblClick();
    QVERIFY(player()->calls.isEmpty());
    QVERIFY(!Form7->MediaPlayer1->isVisible());

    doubleClickAt(list, rowCentre(list, 1));
    QVERIFY(Form7->MediaPlayer1->isVisible());
    const QSize panel = Form7->Panel4->size();
    QVERIFY(!panel.isEmpty());
    QCOMPARE(player()->calls, (QStringList{"file:/видео/второе.mpg", "open",
                                           QStringLiteral("rect:0,0,%1,%2").arg(panel.width()).arg(panel.height())}));

    // Showing the window again hides the bar and gives the player its panel again.
    player()->calls.clear();
    showSection(3);
    QVERIFY(!Form7->MediaPlayer1->isVisible());
    QCOMPARE(player()->calls, QStringList{"display"});

    // A file without a picture gets no rectangle.
    player()->calls.clear();
    player()->video = false;
    doubleClickAt(list, rowCentre(list, 0));
    QCOMPARE(player()->calls, (QStringList{"file:/видео/первое.avi", "open"}));
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestMaterials::videoThatCannotOpen()
{
    CourseDir course;
    seed(course, 3, "Испорченное", "/видео/испорчено.avi");
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showSection(3);
    player()->failText = QStringLiteral("Файл «испорчено.avi» не удаётся открыть");
    player()->calls.clear();
    doubleClickAt(Form7->sDBLookupListBox3, rowCentre(Form7->sDBLookupListBox3, 0));
    QCOMPARE(dialogs.errorTexts(), QStringList{"Файл «испорчено.avi» не удаётся открыть."});
    QCOMPARE(player()->calls, (QStringList{"file:/видео/испорчено.avi", "open"}));
    QVERIFY(Form7->MediaPlayer1->isVisible());
}

void TestMaterials::fileFilterTranslation_data()
{
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QString>("qt");
    QTest::newRow("video") << "Видео (*.avi,*.wmv,*.mpg)|*.avi;*.wmv;*.mpg" << "Видео (*.avi *.wmv *.mpg)";
    // "*.*" names every file where the filter comes from; here it would leave out
    // every name without a dot.
    QTest::newRow("all files, trailing blank") << "Все файлы |*.*" << "Все файлы (*)";
    QTest::newRow("two entries") << "Тексты|*.txt|Все|*.*" << "Тексты (*.txt);;Все (*)";
    QTest::newRow("dotted pattern kept") << "Архивы|*.tar.*" << "Архивы (*.tar.*)";
    QTest::newRow("words in parentheses stay") << "Страницы (HTML)|*.htm;*.html"
                                               << "Страницы (HTML) (*.htm *.html)";
    QTest::newRow("no patterns") << "Любые" << "Любые (*)";
    QTest::newRow("blank patterns") << "Любые| ; " << "Любые (*)";
    QTest::newRow("no description") << "|*.pdf" << "*.pdf (*.pdf)";
    QTest::newRow("empty") << "" << "";
}

void TestMaterials::fileFilterTranslation()
{
    QFETCH(QString, bar);
    QFETCH(QString, qt);
    QCOMPARE(materials::qtFileFilter(bar), qt);
}

// What each section's dialog lets through, matched the way the file dialog matches.
void TestMaterials::allFilesMeansEveryFile()
{
    auto offers = [](int number, const QString &name) {
        const QString filter = materials::qtFileFilter(materials::section(number)->fileFilter);
        const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
        const QStringList patterns = filter.mid(open + 1, filter.size() - open - 2).split(QLatin1Char(' '));
        return QDir::match(patterns, name);
    };
    for (int number : {1, 2}) {
        QVERIFY(offers(number, QStringLiteral("лекция.html")));
        QVERIFY2(offers(number, QStringLiteral("Конспект")), "a file without an extension is hidden");
        QVERIFY(offers(number, QStringLiteral(".скрытый")));
    }
    QVERIFY(offers(3, QStringLiteral("фильм.avi")));
    QVERIFY(!offers(3, QStringLiteral("Конспект")));
}

void TestMaterials::documentUrls_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QUrl>("url");
    QTest::newRow("path with # and spaces")
        << "/курс/Лекция #1 (вводная).html" << QUrl::fromLocalFile("/курс/Лекция #1 (вводная).html");
    QTest::newRow("relative path") << "lectures/l1.html"
                                   << QUrl::fromLocalFile(QDir::current().absoluteFilePath("lectures/l1.html"));
    QTest::newRow("colon in a file name") << "/курс/ч:1.htm" << QUrl::fromLocalFile("/курс/ч:1.htm");
    QTest::newRow("web address") << "https://example.org/a?b=1" << QUrl("https://example.org/a?b=1");
    QTest::newRow("file URL") << "file:///tmp/a.pdf" << QUrl("file:///tmp/a.pdf");
    QTest::newRow("empty") << "" << QUrl();
}

void TestMaterials::documentUrls()
{
    QFETCH(QString, address);
    QFETCH(QUrl, url);
    QCOMPARE(ui::documentUrl(address), url);
}

void TestMaterials::addEntry_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("insertText");
    QTest::newRow("lectures") << 1 << "Все файлы (*)"
                              << "Insert into Лекции(НазваниеЛекции,АдресЛекции)\nvalues(:a1,:a2)";
    QTest::newRow("labs") << 2 << "Все файлы (*)" << "Insert into Лабы(НазваниеЛабы,АдресЛабы)\nvalues(:a1,:a2)";
    QTest::newRow("videos") << 3 << "Видео (*.avi *.wmv *.mpg)"
                            << "Insert into Видео(НазваниеВидео,АдресВидео)\nvalues(:a1,:a2)";
}

void TestMaterials::addEntry()
{
    QFETCH(int, section);
    QFETCH(QString, filter);
    QFETCH(QString, insertText);
    const QString path = QStringLiteral("/курс/файл «1».avi");
    CourseDir course;
    seed(course, section, "Есть", "/m/old");
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showSection(section);
    StatementLog log;
    dialogs.fileAnswers << path;
    dialogs.inputAnswers << QString("  Новая  ");
    press(Form7->sButton3);
    QCOMPARE(dialogs.fileFilters, QStringList{filter});
    QCOMPARE(dialogs.prompts.size(), 1);
    QCOMPARE(dialogs.prompts[0].caption, QStringLiteral("Добавить"));
    QCOMPARE(dialogs.prompts[0].prompt, QStringLiteral("Введите имя, добавляемого файла"));
    // Only the current section's list is read again.
    const QString select = QStringLiteral("select * from ") + tableOf(section);
    QCOMPARE(log.texts(), (QStringList{insertText, select}));
    QCOMPARE(log.entries[0].params.value("a1").toString(), QStringLiteral("  Новая  "));
    QCOMPARE(log.entries[0].params.value("a2").toString(), path);
    QCOMPARE(lines(Form7->sectionList(section)), (QStringList{"Есть", "  Новая  "}));
    QCOMPARE(course.rows(QStringLiteral("select %1, %2 from %3 where %2 = ?")
                             .arg(nameField(section), addressField(section), tableOf(section)),
                         {path}),
             (QList<QVariantList>{{QStringLiteral("  Новая  "), path}}));

    // The dialog starts from the file chosen last; under a search the new entry
    // is listed only when its name matches.
    dialogs.inputAnswers << QString("Есть") << QString("Ещё одна");
    press(Form7->sButton1);
    dialogs.fileAnswers << "/курс/второй.avi";
    press(Form7->sButton3);
    QCOMPARE(dialogs.fileStarts, (QStringList{QString(), path}));
    QCOMPARE(lines(Form7->sectionList(section)), QStringList{"Есть"});
    QCOMPARE(course.count(tableOf(section)), 3);
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestMaterials::addRefused()
{
    CourseDir course;
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showSection(1);
    StatementLog log;

    press(Form7->sButton3); // the dialog is cancelled
    QCOMPARE(dialogs.texts(), QStringList{"Не указано расположение файла!\nФайл не добавлен"});
    QVERIFY(dialogs.prompts.isEmpty());

    dialogs.clear();
    dialogs.fileAnswers << "/курс/а.html";
    press(Form7->sButton3); // the name is cancelled
    dialogs.fileAnswers << "/курс/б.html";
    dialogs.inputAnswers << QString();
    press(Form7->sButton3); // the name is left empty
    QCOMPARE(dialogs.texts(), (QStringList{"Не указано имя файла!\nФайл не добавлен",
                                           "Не указано имя файла!\nФайл не добавлен"}));
    QCOMPARE(dialogs.prompts.size(), 2);

    // A cancelled dialog keeps the file chosen before.
    press(Form7->sButton3);
    QCOMPARE(dialogs.fileStarts.last(), QStringLiteral("/курс/б.html"));
    QVERIFY(log.entries.isEmpty());
    QCOMPARE(course.count("Лекции"), 0);
}

void TestMaterials::deleteRemovesEveryEntryWithTheAddress_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("deleteText");
    QTest::newRow("lectures") << 1 << "delete from Лекции \nwhere АдресЛекции=:a1";
    QTest::newRow("labs") << 2 << "delete from Лабы \nwhere АдресЛабы=:a1";
    QTest::newRow("videos") << 3 << "delete from Видео \nwhere АдресВидео=:a1";
}

void TestMaterials::deleteRemovesEveryEntryWithTheAddress()
{
    QFETCH(int, section);
    QFETCH(QString, deleteText);
    CourseDir course;
    seed(course, section, "Один", "/m/twice");
    seed(course, section, "Другой", "/m/other");
    seed(course, section, "Один ещё раз", "/m/twice");
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showSection(section);
    TDBLookupListBox *list = Form7->sectionList(section);
    clickRow(list, 2);
    // Hidden by a search, the entry is still the one deleted.
    dialogs.inputAnswers << QString("Другой");
    press(Form7->sButton1);

    StatementLog log;
    press(Form7->sButton4);
    // All three lists are read again, each with the statement it holds.
    QStringList reopened{"select * from Лекции", "select * from Лабы", "select * from Видео"};
    const QString filtered[3] = {"\nwhere НазваниеЛекции  Like :a ", "\nwhere НазваниеЛабы Like :a ",
                                 "\nwhere НазваниеВидео Like :a "};
    reopened[section - 1] += filtered[section - 1];
    QCOMPARE(log.texts(), QStringList{deleteText} + reopened);
    QCOMPARE(log.entries[0].params.value("a1").toString(), QStringLiteral("/m/twice"));
    const QString addresses = QStringLiteral("select %1 from %2").arg(addressField(section), tableOf(section));
    QCOMPARE(column(course, addresses), QVariantList{"/m/other"});

    // The key stays on the deleted address: a second delete removes nothing more.
    press(Form7->sButton2);
    QCOMPARE(lines(list), QStringList{"Другой"});
    QVERIFY(selectedRows(list).isEmpty());
    QCOMPARE(list->keyValue().toString(), QStringLiteral("/m/twice"));
    log.clear();
    press(Form7->sButton4);
    QCOMPARE(log.texts().value(0), deleteText);
    QCOMPARE(column(course, addresses), QVariantList{"/m/other"});
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestMaterials::deleteConsultsOnlyTheCurrentSection()
{
    CourseDir course;
    seed(course, 1, "Лекция", "/m/lecture");
    seed(course, 2, "Без адреса", "");
    seed(course, 2, "Лаба", "/m/lab");
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showSection(1);
    clickRow(Form7->sDBLookupListBox1, 0);

    // Nothing selected among the labs: the delete goes out with a null key and
    // matches nothing; the lecture selected earlier does not count.
    showSection(2);
    StatementLog log;
    press(Form7->sButton4);
    QCOMPARE(log.texts().value(0), QStringLiteral("delete from Лабы \nwhere АдресЛабы=:a1"));
    QVERIFY(log.entries[0].params.value("a1").isNull());
    QCOMPARE(course.count("Лабы"), 2);
    QCOMPARE(course.count("Лекции"), 1);

    // An entry with an empty address is never deleted by it.
    clickRow(Form7->sDBLookupListBox2, 0);
    QCOMPARE(Form7->sDBLookupListBox2->keyValue().toString(), QString());
    log.clear();
    press(Form7->sButton4);
    QVERIFY(log.entries.isEmpty());
    QCOMPARE(course.count("Лабы"), 2);
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestMaterials::failedReadEmptiesTheList_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("broken"); // the section whose table the engine cannot read
    QTest::newRow("find") << "find" << 1;
    QTest::newRow("show all") << "all" << 1;
    QTest::newRow("showing the window") << "show" << 2;
    QTest::newRow("reading again after a delete") << "delete" << 2;
}

void TestMaterials::failedReadEmptiesTheList()
{
    QFETCH(QString, operation);
    QFETCH(int, broken);
    CourseDir course;
    for (int n = 1; n <= 3; ++n) {
        seed(course, n, "Первая", QStringLiteral("/m/%1/1").arg(n));
        seed(course, n, "Вторая", QStringLiteral("/m/%1/2").arg(n));
    }
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    showSection(1);
    clickRow(Form7->sDBLookupListBox1, 0);
    TDBLookupListBox *list = Form7->sectionList(broken);
    QCOMPARE(list->count(), 2);

    course.exec(QStringLiteral("ALTER TABLE %1 RENAME TO Старое").arg(tableOf(broken)));
    if (operation == u"find") {
        dialogs.inputAnswers << QString("Перв");
        press(Form7->sButton1);
    } else if (operation == u"all") {
        press(Form7->sButton2);
    } else if (operation == u"show") {
        showSection(1);
    } else {
        press(Form7->sButton4);
        QCOMPARE(column(course, "select АдресЛекции from Лекции"), QVariantList{"/m/1/2"});
    }
    QCOMPARE(dialogs.errorTexts().size(), 1);
    // Its query stays closed, so the list offers no entry to open or delete.
    QCOMPARE(list->count(), 0);
    QVERIFY(!Form7->sectionQuery(broken)->Active());
    const qsizetype opened = viewer()->addresses.size();
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(viewer()->addresses.size(), opened);

    course.exec(QStringLiteral("ALTER TABLE Старое RENAME TO %1").arg(tableOf(broken)));
    showSection(broken);
    press(Form7->sButton2);
    QCOMPARE(list->count(), 2);
    QCOMPARE(dialogs.errorTexts().size(), 1);
}

ETEXTBOOK_TEST_MAIN(TestMaterials)
#include "tst_materials.moc"
