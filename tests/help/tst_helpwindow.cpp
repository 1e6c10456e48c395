// The help viewer as the user meets it: opened through the help service on the
// course's help.hlp, errors in the error box, narrowing by a partial keyword,
// topics with their formatting, and the choice among several topics.
#include "HelpTestKit.h"
#include "app/help/CourseHelp.h"
#include "app/help/HelpService.h"
#include "app/help/HelpTopicView.h"
#include "app/help/HelpWindow.h"
#include "app/help/WinHelpPicture.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextTable>
#include <QtTest>

using namespace help;

// Three topics: the first jumps to the second, opens the third as a popup, and
// leaves for another file.
static HelpDocument linkedDocument()
{
    HelpDocument doc;
    doc.codePage = 1251;
    doc.title = QStringLiteral("Ссылки");
    HelpParagraph p;
    p.runs = {HelpRun(QStringLiteral("Смотрите ")), HelpRun(QStringLiteral("второй раздел")),
              HelpRun(QStringLiteral(", ")), HelpRun(QStringLiteral("термин")), HelpRun(QStringLiteral(" и ")),
              HelpRun(QStringLiteral("другой файл")), HelpRun(QStringLiteral("."))};
    p.runs[1].link.kind = HelpLink::Jump;
    p.runs[1].link.topic = 1;
    p.runs[3].link.kind = HelpLink::Popup;
    p.runs[3].link.topic = 2;
    p.runs[5].link.kind = HelpLink::Jump;
    p.runs[5].link.file = QStringLiteral("курс.hlp");
    doc.topics = {HelpTopic{QStringLiteral("Начало"), {p}},
                  HelpTopic{QStringLiteral("Второй раздел"), {helptest::para({HelpRun(QStringLiteral("Текст второго."))})}},
                  HelpTopic{QStringLiteral("Термин"), {helptest::para({HelpRun(QStringLiteral("Определение термина."))})}}};
    doc.keywords = {HelpKeyword{QStringLiteral("начало"), {0}}};
    doc.contents = 2;
    return doc;
}

// Clicks the middle of a text in the view, as a user would.
static void clickText(QTextBrowser *view, const QString &text)
{
    QTextCursor c = view->document()->find(text);
    QVERIFY2(!c.isNull(), qPrintable(text));
    QTextCursor middle(view->document());
    middle.setPosition((c.selectionStart() + c.selectionEnd()) / 2);
    const QPoint at = view->cursorRect(middle).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
}

// QTest::keyClicks knows only Latin letters; a key press carrying the text is what
// a Russian keyboard layout delivers.
static void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

class TestHelpWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fileProblems_data();
    void fileProblems();
    void bareNameIsLookedUpWhenOpening();
    void opensAtKeywordIndex();
    void narrowing_data();
    void narrowing();
    void showsTopicWithFormatting();
    void severalTopicsLetUserChoose();
    void titleFallsBack();
    void hotspotsOpenTopicsAndBack();
    void popupShowsTopicInSmallWindow();
    void externalJumpSaysWhere();
    void fileWithoutKeywordsListsTopics();
    void layoutOfParagraphsTablesAndPictures();
    void controlsAreReachable();

private:
    HelpWindow *open(const QString &file = QStringLiteral("help.hlp"));
    void write(const QString &name, const QByteArray &bytes);

    std::unique_ptr<helptest::RecordingDialogs> dialogs_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<QWidget> owner_;
    QString oldCwd_;
};

void TestHelpWindow::init()
{
    dialogs_ = std::make_unique<helptest::RecordingDialogs>();
    dir_ = std::make_unique<QTemporaryDir>();
    oldCwd_ = QDir::currentPath();
    QDir::setCurrent(dir_->path());
    owner_ = std::make_unique<QWidget>();
    owner_->setWindowTitle(QStringLiteral("Главное окно"));
    owner_->show();
    write(QStringLiteral("help.hlp"), courseHelpFile());
}

void TestHelpWindow::cleanup()
{
    owner_.reset();
    QDir::setCurrent(oldCwd_);
    dir_.reset();
    dialogs_.reset();
}

void TestHelpWindow::write(const QString &name, const QByteArray &bytes)
{
    QFile f(QDir::current().filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

HelpWindow *TestHelpWindow::open(const QString &file)
{
    helpService().showKeywordIndex(owner_.get(), file);
    return owner_->findChild<HelpWindow *>(QStringLiteral("helpWindow"));
}

void TestHelpWindow::fileProblems_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes"); // written under that name unless empty
    QTest::addColumn<bool>("asFolder");
    QTest::addColumn<QString>("says");
    const QByteArray good = courseHelpFile();
    QTest::newRow("missing") << "nothere.hlp" << QByteArray() << false << "не найден в папке курса";
    QTest::newRow("folder") << "folder.hlp" << QByteArray() << true << "находится папка";
    QTest::newRow("text file") << "notes.hlp" << QByteArray("Это просто текст, а не справка.") << false
                               << "не является файлом справки WinHelp";
    QTest::newRow("truncated") << "cut.hlp" << good.left(good.size() / 2) << false << "повреждён";
    QByteArray broken = good;
    broken.replace(4, 4, QByteArray("\xFF\xFF\xFF\x0F", 4)); // directory far beyond the end
    QTest::newRow("directory broken") << "broken.hlp" << broken << false << "повреждён";
}

void TestHelpWindow::fileProblems()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, asFolder);
    QFETCH(QString, says);
    if (asFolder)
        QVERIFY(QDir::current().mkdir(file));
    else if (!bytes.isEmpty())
        write(file, bytes);

    QVERIFY(!open(file));
    QCOMPARE(dialogs_->messages.size(), 1);
    const auto &m = dialogs_->messages.first();
    QCOMPARE(m.icon, ui::Icon::Error);
    QVERIFY2(m.text.contains(QStringLiteral("«%1»").arg(file)), qPrintable(m.text));
    QVERIFY2(m.text.contains(says), qPrintable(m.text));
    QVERIFY2(m.text.contains(QStringLiteral("повторите")), qPrintable(m.text)); // says what to do
    QVERIFY(owner_->isVisible());
    QCOMPARE(owner_->windowTitle(), QStringLiteral("Главное окно"));
}

void TestHelpWindow::bareNameIsLookedUpWhenOpening()
{
    QTemporaryDir other;
    QDir::setCurrent(other.path());
    QVERIFY(!open());
    QCOMPARE(dialogs_->messages.size(), 1);
    QVERIFY(dialogs_->messages.first().text.contains(QDir::toNativeSeparators(other.path())));
    QDir::setCurrent(dir_->path());
    QVERIFY(open());
    QCOMPARE(dialogs_->messages.size(), 1);
}

void TestHelpWindow::opensAtKeywordIndex()
{
    HelpWindow *w = open();
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QVERIFY(!w->isModal());
    QCOMPARE(w->windowTitle(), QStringLiteral("Электронный учебник: справка"));
    auto *edit = w->findChild<QLineEdit *>(QStringLiteral("helpKeywordEdit"));
    auto *list = w->findChild<QListWidget *>(QStringLiteral("helpKeywordList"));
    QVERIFY(edit && list);
    QVERIFY(edit->text().isEmpty());
    QCOMPARE(w->visibleKeywords().size(), w->document().keywords.size());
    QCOMPARE(list->count(), w->document().keywords.size());
    QVERIFY(w->visibleKeywords().contains(QStringLiteral("Сдать анкету")));

    // Opening again brings back the same window at an empty partial keyword.
    typeText(edit, QStringLiteral("те"));
    QCOMPARE(open(), w);
    QVERIFY(edit->text().isEmpty());
    QCOMPARE(owner_->findChildren<HelpWindow *>().size(), 1);
}

void TestHelpWindow::narrowing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("visible");
    QTest::newRow("lower case") << "пароль" << QStringList{"пароль", "пароль администратора"};
    QTest::newRow("upper case Cyrillic") << "ПАР" << QStringList{"пароль", "пароль администратора"};
    QTest::newRow("capitalised keyword, lower typed") << "теор" << QStringList{"Теория"};
    QTest::newRow("several words") << "просмотр р" << QStringList{"Просмотр результатов"};
    QTest::newRow("prefix only, not inside") << "анкету" << QStringList{};
    QTest::newRow("nothing matches") << "xyz" << QStringList{};
}

void TestHelpWindow::narrowing()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, visible);
    HelpWindow *w = open();
    QVERIFY(w);
    auto *edit = w->findChild<QLineEdit *>(QStringLiteral("helpKeywordEdit"));
    auto *list = w->findChild<QListWidget *>(QStringLiteral("helpKeywordList"));
    auto *show = w->findChild<QPushButton *>(QStringLiteral("helpShowButton"));
    typeText(edit, typed);
    QCOMPARE(edit->text(), typed);
    QCOMPARE(w->visibleKeywords(), visible);
    QCOMPARE(show->isEnabled(), !visible.isEmpty());
    if (!visible.isEmpty())
        QCOMPARE(list->currentItem()->text(), visible.first());
    // Erasing the partial keyword brings the whole list back.
    edit->clear();
    QCOMPARE(w->visibleKeywords().size(), w->document().keywords.size());
}

static QTextCharFormat formatAt(QTextBrowser *view, const QString &text)
{
    QTextCursor c = view->document()->find(text);
    if (c.isNull())
        return {};
    QTextCursor inside(view->document());
    inside.setPosition(c.selectionStart() + 1);
    return inside.charFormat();
}

void TestHelpWindow::showsTopicWithFormatting()
{
    HelpWindow *w = open();
    QVERIFY(w);
    auto *edit = w->findChild<QLineEdit *>(QStringLiteral("helpKeywordEdit"));
    auto *view = w->findChild<QTextBrowser *>(QStringLiteral("helpTopicView"));
    typeText(edit, QStringLiteral("сдать"));
    QTest::keyClick(edit, Qt::Key_Return);

    const QString text = view->toPlainText();
    QVERIFY2(text.startsWith(QStringLiteral("Тестирование")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Тест состоит из 30 вопросов.")));
    QVERIFY(view->isReadOnly());
    // One block for the title and one per paragraph of the topic.
    QCOMPARE(view->document()->blockCount(), 5);
    QCOMPARE(formatAt(view, QStringLiteral("Сдать анкету")).fontWeight(), int(QFont::Bold));
    QVERIFY(formatAt(view, QStringLiteral("Внимание:")).fontItalic());
    QCOMPARE(formatAt(view, QStringLiteral("после того как")).fontWeight(), int(QFont::Normal));
    QVERIFY(!formatAt(view, QStringLiteral("после того как")).fontItalic());
}

void TestHelpWindow::severalTopicsLetUserChoose()
{
    HelpWindow *w = open();
    QVERIFY(w);
    auto *list = w->findChild<QListWidget *>(QStringLiteral("helpKeywordList"));
    auto *topics = w->findChild<QListWidget *>(QStringLiteral("helpTopicList"));
    auto *view = w->findChild<QTextBrowser *>(QStringLiteral("helpTopicView"));
    auto *edit = w->findChild<QLineEdit *>(QStringLiteral("helpKeywordEdit"));
    QVERIFY(topics->isHidden());
    QVERIFY(QTest::qWaitForWindowExposed(w));

    typeText(edit, QStringLiteral("вопросы"));
    // A real double click starts with a press, which the item view needs to see.
    const QPoint at = list->visualItemRect(list->currentItem()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QVERIFY(topics->isVisible());
    QStringList titles;
    for (int i = 0; i < topics->count(); ++i)
        titles.append(topics->item(i)->text());
    QCOMPARE(titles, (QStringList{QStringLiteral("Тестирование"), QStringLiteral("Редактор вопросов")}));
    QVERIFY(view->toPlainText().contains(QStringLiteral("несколько разделов")));

    QTest::keyClick(topics, Qt::Key_Down);
    QTest::keyClick(topics, Qt::Key_Return);
    QVERIFY(view->toPlainText().startsWith(QStringLiteral("Редактор вопросов")));

    // A keyword with one topic hides the chooser again.
    edit->clear();
    typeText(edit, QStringLiteral("Найти"));
    auto *show = w->findChild<QPushButton *>(QStringLiteral("helpShowButton"));
    QTest::mouseClick(show, Qt::LeftButton);
    QVERIFY(topics->isHidden());
    QVERIFY(view->toPlainText().startsWith(QStringLiteral("Поиск материалов")));
}

void TestHelpWindow::titleFallsBack()
{
    HelpDocument doc;
    doc.codePage = 1251;
    doc.topics = {HelpTopic{QStringLiteral("Раздел"), {helptest::para({{QStringLiteral("Текст"), false, false}})}}};
    doc.keywords = {HelpKeyword{QStringLiteral("раздел"), {0}}};
    write(QStringLiteral("untitled.hlp"), writeWinHelp(doc));
    HelpWindow *w = open(QStringLiteral("untitled.hlp"));
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Справка"));
    QCOMPARE(w->visibleKeywords(), QStringList{QStringLiteral("раздел")});
}

void TestHelpWindow::hotspotsOpenTopicsAndBack()
{
    write(QStringLiteral("links.hlp"), writeWinHelp(linkedDocument()));
    HelpWindow *w = open(QStringLiteral("links.hlp"));
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto *view = w->findChild<QTextBrowser *>(QStringLiteral("helpTopicView"));
    auto *back = w->findChild<QPushButton *>(QStringLiteral("helpBackButton"));
    QTest::keyClick(w->findChild<QLineEdit *>(QStringLiteral("helpKeywordEdit")), Qt::Key_Return);
    QVERIFY(view->toPlainText().startsWith(QStringLiteral("Начало")));
    QVERIFY(!back->isEnabled());
    QVERIFY(formatAt(view, QStringLiteral("второй раздел")).isAnchor());
    QVERIFY(!formatAt(view, QStringLiteral("Смотрите")).isAnchor());

    clickText(view, QStringLiteral("второй раздел"));
    QTRY_VERIFY(view->toPlainText().startsWith(QStringLiteral("Второй раздел")));
    QCOMPARE(w->currentTopic(), 1);
    QVERIFY(back->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(w->currentTopic(), 0);
    QVERIFY(view->toPlainText().startsWith(QStringLiteral("Начало")));
    QVERIFY(!back->isEnabled());
    // Alt+Left goes back too.
    w->followLink(QUrl(QStringLiteral("topic:2")));
    QCOMPARE(w->currentTopic(), 2);
    QTest::keyClick(w, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(w->currentTopic(), 0);

    // "Содержание" opens the topic the file names as its contents.
    auto *contents = w->findChild<QPushButton *>(QStringLiteral("helpContentsButton"));
    QVERIFY(contents->isEnabled());
    w->showTopic(1);
    QTest::mouseClick(contents, Qt::LeftButton);
    QCOMPARE(w->currentTopic(), 2);
}

void TestHelpWindow::popupShowsTopicInSmallWindow()
{
    write(QStringLiteral("links.hlp"), writeWinHelp(linkedDocument()));
    HelpWindow *w = open(QStringLiteral("links.hlp"));
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto *view = w->findChild<QTextBrowser *>(QStringLiteral("helpTopicView"));
    QTest::keyClick(w->findChild<QLineEdit *>(QStringLiteral("helpKeywordEdit")), Qt::Key_Return);
    QCOMPARE(formatAt(view, QStringLiteral("термин")).underlineStyle(), QTextCharFormat::DotLine);
    clickText(view, QStringLiteral("термин"));
    QTRY_VERIFY(w->popup() && w->popup()->isVisible());
    auto *popup = qobject_cast<QTextBrowser *>(w->popup());
    QVERIFY(popup);
    QCOMPARE(popup->toPlainText(), QStringLiteral("Определение термина."));
    QVERIFY(popup->width() < w->width());
    QCOMPARE(w->currentTopic(), 0); // the topic under it stays
    QCOMPARE(popup->accessibleName(), QStringLiteral("Термин"));
    QTest::keyClick(popup, Qt::Key_Escape);
    QTRY_VERIFY(!w->popup());
}

void TestHelpWindow::externalJumpSaysWhere()
{
    write(QStringLiteral("links.hlp"), writeWinHelp(linkedDocument()));
    HelpWindow *w = open(QStringLiteral("links.hlp"));
    QVERIFY(w);
    QTest::keyClick(w->findChild<QLineEdit *>(QStringLiteral("helpKeywordEdit")), Qt::Key_Return);
    auto *view = w->findChild<QTextBrowser *>(QStringLiteral("helpTopicView"));
    const QString href = formatAt(view, QStringLiteral("другой файл")).anchorHref();
    QVERIFY(!href.isEmpty());
    w->followLink(QUrl(href));
    QCOMPARE(dialogs_->messages.size(), 1);
    QVERIFY2(dialogs_->messages.first().text.contains(QStringLiteral("«курс.hlp»")), qPrintable(dialogs_->messages.first().text));
    QCOMPARE(w->currentTopic(), 0);
}

void TestHelpWindow::fileWithoutKeywordsListsTopics()
{
    // Help files for programs often have no index at all: the topics are listed.
    HelpDocument doc = linkedDocument();
    doc.keywords.clear();
    doc.topics[2].title.clear();
    write(QStringLiteral("noindex.hlp"), writeWinHelp(doc));
    HelpWindow *w = open(QStringLiteral("noindex.hlp"));
    QVERIFY(w);
    QCOMPARE(w->visibleKeywords(), (QStringList{QStringLiteral("Начало"), QStringLiteral("Второй раздел"), QStringLiteral("Раздел 3")}));
    auto *edit = w->findChild<QLineEdit *>(QStringLiteral("helpKeywordEdit"));
    typeText(edit, QStringLiteral("вто"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(w->currentTopic(), 1);
}

void TestHelpWindow::layoutOfParagraphsTablesAndPictures()
{
    HelpDocument doc;
    HelpParagraph indented = helptest::para({HelpRun(QStringLiteral("Indented"))});
    indented.leftIndent = 144;
    indented.firstIndent = -72;
    indented.spaceAbove = 24;
    indented.align = HelpParagraph::Center;
    HelpParagraph sized = helptest::para({HelpRun(QStringLiteral("Big")), HelpRun(QStringLiteral("under"))});
    sized.runs[0].halfPoints = 36;
    sized.runs[1].underline = true;
    QList<HelpParagraph> paragraphs{indented, sized};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) {
            HelpParagraph cell = helptest::para({HelpRun(QStringLiteral("cell %1.%2").arg(r).arg(c))});
            cell.row = r;
            cell.column = c;
            paragraphs.append(cell);
        }
    HelpParagraph pictures = helptest::para({HelpRun(QStringLiteral("pictures ")), HelpRun(), HelpRun()});
    pictures.runs[1].picture = 0;
    pictures.runs[2].picture = 1;
    paragraphs.append(pictures);
    doc.pictures = {HelpPicture{0, false, 5, 4, winhelp::bmpFile(5, 4, 24, {}, QByteArray(16 * 4, char(0x40)))},
                    HelpPicture{1, true, 2540, 1270, {}}};
    doc.topics = {HelpTopic{QStringLiteral("Layout"), paragraphs}};

    QTextDocument d;
    renderTopic(&d, doc, 0);
    const QTextBlock block = d.find(QStringLiteral("Indented")).block();
    QCOMPARE(block.blockFormat().leftMargin(), halfPointsToPixels(144));
    QCOMPARE(block.blockFormat().textIndent(), halfPointsToPixels(-72));
    QCOMPARE(block.blockFormat().topMargin(), halfPointsToPixels(24));
    QCOMPARE(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    QTextCursor big = d.find(QStringLiteral("Big"));
    QCOMPARE(big.charFormat().fontPointSize(), 18.0);
    QVERIFY(d.find(QStringLiteral("under")).charFormat().fontUnderline());

    QTextCursor cell = d.find(QStringLiteral("cell 1.2"));
    QTextTable *table = cell.currentTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 3);
    QCOMPARE(table->cellAt(cell).row(), 1);
    QCOMPARE(table->cellAt(cell).column(), 2);
    QVERIFY(!d.find(QStringLiteral("pictures")).currentTable());

    const QImage bitmap = d.resource(QTextDocument::ImageResource, QUrl(QStringLiteral("picture:0"))).value<QImage>();
    QCOMPARE(bitmap.size(), QSize(5, 4));
    const QImage frame = d.resource(QTextDocument::ImageResource, QUrl(QStringLiteral("picture:1"))).value<QImage>();
    QCOMPARE(frame.size(), QSize(96, 48)); // 25.4 × 12.7 mm at 96 dpi
}

void TestHelpWindow::controlsAreReachable()
{
    HelpWindow *w = open();
    QVERIFY(w);
    for (QLabel *label : w->findChildren<QLabel *>()) {
        QVERIFY2(label->buddy(), qPrintable(label->text()));
        QVERIFY(label->text().contains(u'&'));
    }
    for (QWidget *c : w->findChildren<QWidget *>()) {
        if (qobject_cast<QLabel *>(c) || c->parentWidget() != w)
            continue;
        QVERIFY2(!c->objectName().isEmpty(), c->metaObject()->className());
        QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(c->objectName()));
        QVERIFY2(c->focusPolicy() & Qt::TabFocus, qPrintable(c->objectName()));
    }
}

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
