// The real document viewer and media player: the web engine starts only when the
// viewer is first on screen; the player opens real videos, refuses a broken one
// in Russian, and offers Play and Stop as the file's state allows.
#include "TestSupport.h"
#include "app/Unit1.h"
#include "common/DocumentViewer.h"
#include "common/Errors.h"
#include "common/MediaPlayer.h"
#include "materials/Unit7.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QWebEnginePage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVideoWidget>
#include <QWebEngineView>

using namespace testsupport;

namespace {

QString demoVideo(const char *name)
{
    return QStringLiteral(ETEXTBOOK_SOURCE_DIR "/demo-content/video/") + QLatin1String(name);
}

QToolButton *barButton(ui::MediaPlayer *player, const char *name)
{
    return player->findChild<QToolButton *>(QLatin1String(name));
}

// What the bar offers, as "play" / "stop" / "" for neither.
QString offered(ui::MediaPlayer *player)
{
    QStringList on;
    if (barButton(player, "btPlay")->isEnabled())
        on << "play";
    if (barButton(player, "btStop")->isEnabled())
        on << "stop";
    return on.join(',');
}

void writeJunk(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QByteArray bytes(64 * 1024, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7919 + 13) % 251);
    f.write(bytes);
}

} // namespace

class TestMaterialsMedia : public QObject {
    Q_OBJECT
private slots:
    void playerOpensRealVideos();
    void playAfterTheEndStartsAgain();
    void brokenFileIsRefusedInRussian();
    void windowPlaysIntoTheVideoPanel();
    void viewerStartsWithTheWindow();
    void viewerShowsEachKindOfDocument_data();
    void viewerShowsEachKindOfDocument();
};

void TestMaterialsMedia::playerOpensRealVideos()
{
    QWidget host;
    QFrame panel;
    panel.resize(320, 240);
    ui::MediaPlayer *player = ui::createMediaPlayer(&host);
    QCOMPARE(player->mode(), ui::MediaPlayer::Mode::NotOpen);
    QCOMPARE(offered(player), QString());
    player->setDisplay(&panel);
    host.show();
    panel.show();

    player->setFileName(demoVideo("binary-count.avi"));
    player->Open();
    QVERIFY(player->hasVideo());
    QCOMPARE(player->mode(), ui::MediaPlayer::Mode::Stopped);
    QCOMPARE(offered(player), QStringLiteral("play"));
    auto *picture = panel.findChild<QVideoWidget *>();
    QVERIFY(picture);
    player->setDisplayRect(QRect(0, 0, 320, 240));
    QCOMPARE(picture->geometry(), QRect(0, 0, 320, 240));
    // The picture keeps the size it was given when the panel grows later.
    panel.resize(640, 480);
    QCOMPARE(picture->geometry(), QRect(0, 0, 320, 240));

    player->Play();
    QCOMPARE(player->mode(), ui::MediaPlayer::Mode::Playing);
    QCOMPARE(offered(player), QStringLiteral("stop"));
    player->Stop();
    QCOMPARE(player->mode(), ui::MediaPlayer::Mode::Stopped);
    QCOMPARE(offered(player), QStringLiteral("play"));

    // A second file replaces the first.
    player->setFileName(demoVideo("logic-and.mpg"));
    player->Open();
    QVERIFY(player->hasVideo());
    QCOMPARE(player->mode(), ui::MediaPlayer::Mode::Stopped);
    QCOMPARE(panel.findChildren<QVideoWidget *>().size(), 1);
}

void TestMaterialsMedia::playAfterTheEndStartsAgain()
{
    const QString gst = QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
    QVERIFY2(!gst.isEmpty(), "gst-launch-1.0 is missing: run scripts/setup.sh");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("short.avi"));
    // A third of a second of picture, so that the end comes soon.
    const int rc = QProcess::execute(gst, {"-q", "videotestsrc", "num-buffers=8", "!",
                                           "video/x-raw,width=64,height=48,framerate=25/1", "!", "jpegenc", "!",
                                           "avimux", "!", "filesink", "location=" + file});
    QCOMPARE(rc, 0);

    QWidget host;
    QFrame panel;
    ui::MediaPlayer *player = ui::createMediaPlayer(&host);
    player->setDisplay(&panel);
    host.show();
    player->setFileName(file);
    player->Open();
    QVERIFY(player->hasVideo());
    player->Play();
    QTRY_COMPARE_WITH_TIMEOUT(player->mode(), ui::MediaPlayer::Mode::Stopped, 30000);
    QCOMPARE(offered(player), QStringLiteral("play"));
    player->Play();
    QCOMPARE(player->mode(), ui::MediaPlayer::Mode::Playing);
    QCOMPARE(offered(player), QStringLiteral("stop"));
}

void TestMaterialsMedia::brokenFileIsRefusedInRussian()
{
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.avi"));
    writeJunk(junk);

    QWidget host;
    QFrame panel;
    ui::MediaPlayer *player = ui::createMediaPlayer(&host);
    player->setDisplay(&panel);
    host.show();
    player->setFileName(demoVideo("binary-count.avi"));
    player->Open();

    const struct {
        QString file;
        QString named;
    } cases[] = {{junk, QStringLiteral("«junk.avi»")},
                 {dir.filePath(QStringLiteral("нет такого.avi")), QStringLiteral("нет такого.avi")}};
    for (const auto &c : cases) {
        player->setFileName(c.file);
        QString text;
        try {
            player->Open();
        } catch (const AppError &e) {
            text = e.text();
        }
        QVERIFY2(text.contains(c.named), qPrintable(text));
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("^Файл .*[а-я]{4}"))), qPrintable(text));
        // The file opened before is closed and nothing can be played.
        QCOMPARE(player->mode(), ui::MediaPlayer::Mode::NotOpen);
        QVERIFY(!player->hasVideo());
        QCOMPARE(offered(player), QString());
    }
}

void TestMaterialsMedia::windowPlaysIntoTheVideoPanel()
{
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.avi"));
    writeJunk(junk);
    CourseDir course;
    course.exec(QStringLiteral("insert into Видео(НазваниеВидео, АдресВидео) values (?, ?), (?, ?)"),
                {"Двоичный счёт", demoVideo("binary-count.avi"), "Испорченное", junk});
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    press(Form1->sSpeedButton3);
    TDBLookupListBox *list = Form7->sDBLookupListBox3;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    Form7->sDBLookupListBox3DblClick();
    QVERIFY(dialogs.boxes.isEmpty());
    QVERIFY(Form7->MediaPlayer1->isVisible());
    QCOMPARE(offered(Form7->MediaPlayer1), QStringLiteral("play"));
    auto *picture = Form7->Panel4->findChild<QVideoWidget *>();
    QVERIFY(picture);
    QCOMPARE(picture->geometry(), QRect(QPoint(0, 0), Form7->Panel4->size()));

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    Form7->sDBLookupListBox3DblClick();
    QCOMPARE(dialogs.errorTexts().size(), 1);
    QVERIFY(dialogs.errorTexts()[0].contains(QStringLiteral("«junk.avi»")));
    QVERIFY(Form7->MediaPlayer1->isVisible());
    QCOMPARE(offered(Form7->MediaPlayer1), QString());
}

void TestMaterialsMedia::viewerStartsWithTheWindow()
{
    CourseDir course;
    QFile::copy(QStringLiteral(ETEXTBOOK_SOURCE_DIR "/demo-content/Clear.htm"), course.file("Clear.htm"));
    const QString lecture = QStringLiteral(ETEXTBOOK_SOURCE_DIR "/demo-content/lectures/lecture1.html");
    course.exec(QStringLiteral("insert into Лекции(НазваниеЛекции, АдресЛекции) values (?, ?)"), {"Лекция", lecture});
    ScriptedDialogs dialogs;
    Forms forms;
    QVERIFY(forms.ok());
    // Start-up does not pay for the engine.
    QVERIFY(!Form7->findChild<QWebEngineView *>());

    press(Form1->sSpeedButton1);
    auto *view = Form7->findChild<QWebEngineView *>();
    QVERIFY(view);
    const auto loadedUrl = [view](const QUrl &url) {
        QSignalSpy loaded(view, &QWebEngineView::loadFinished);
        while (view->url() != url || loaded.isEmpty())
            if (!loaded.wait(60000))
                return false;
        return loaded.last().value(0).toBool();
    };
    QVERIFY(loadedUrl(QUrl::fromLocalFile(course.file("Clear.htm"))));

    TDBLookupListBox *list = Form7->sDBLookupListBox1;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    Form7->sDBLookupListBox1DblClick();
    QVERIFY(loadedUrl(QUrl::fromLocalFile(lecture)));
    QVERIFY(dialogs.boxes.isEmpty());
}

void TestMaterialsMedia::viewerShowsEachKindOfDocument_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("check"); // a script whose result must be true, or empty
    QTest::newRow("page with a picture") << "Лекция 1.html" << "document.images[0].naturalWidth === 40";
    QTest::newRow("pdf") << "лаба 4.pdf" << "";
    QTest::newRow("plain text") << "заметки.txt" << "document.body.innerText.includes('Двоичный')";
    QTest::newRow("picture") << "схема.png" << "";
}

void TestMaterialsMedia::viewerShowsEachKindOfDocument()
{
    QFETCH(QString, file);
    QFETCH(QString, check);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("img"));
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QVERIFY(picture.save(dir.filePath("img/рисунок.png")));
    QVERIFY(picture.save(dir.filePath("схема.png")));
    {
        QFile html(dir.filePath("Лекция 1.html"));
        QVERIFY(html.open(QIODevice::WriteOnly));
        html.write("<html><head><meta charset='utf-8'></head><body><p>Лекция</p>"
                   "<img src='img/%D1%80%D0%B8%D1%81%D1%83%D0%BD%D0%BE%D0%BA.png'></body></html>");
        QFile text(dir.filePath("заметки.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("Двоичный счёт\n");
        QPdfWriter pdf(dir.filePath("лаба 4.pdf"));
        QPainter p(&pdf);
        p.drawText(QPointF(100, 100), QStringLiteral("Лабораторная работа 4"));
    }

    QWidget host;
    host.resize(400, 300);
    ui::DocumentViewer *viewer = ui::createDocumentViewer(&host);
    viewer->resize(400, 300);
    viewer->navigate(dir.filePath(file));
    QVERIFY(!host.findChild<QWebEngineView *>());
    host.show();
    auto *view = host.findChild<QWebEngineView *>();
    QVERIFY(view);
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    QVERIFY(loaded.wait(60000));
    QCOMPARE(loaded.last().value(0).toBool(), true);
    QCOMPARE(view->url(), QUrl::fromLocalFile(dir.filePath(file)));
    if (!check.isEmpty()) {
        QVariant result;
        bool answered = false;
        view->page()->runJavaScript(check, [&](const QVariant &v) {
            result = v;
            answered = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(answered, 30000);
        QVERIFY2(result.toBool(), qPrintable(check));
    }
}

ETEXTBOOK_TEST_MAIN(TestMaterialsMedia)
#include "tst_materials_media.moc"
