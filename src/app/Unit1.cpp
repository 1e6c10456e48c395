#include "Unit1.h"
#include "Unit9.h"
#include "access/Unit3.h"
#include "app/help/HelpService.h"
#include "common/Badge.h"
#include "common/Errors.h"
#include "common/Fonts.h"
#include "data/Connection.h"
#include "materials/Unit7.h"
#include "testing/Unit8.h"
#include "users/Unit5.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>

TForm1 *Form1 = nullptr;

QString CurrentLogin() { return Form1 ? Form1->sPanel1->text() : QStringLiteral("ghg"); }

void TImage::setPicture(const QPixmap &picture)
{
    picture_ = picture;
    update();
}

void TImage::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!picture_.isNull())
        p.drawPixmap(rect(), picture_);
}

namespace {

TSpeedButton *makeButton(QWidget *parent, const char *name, const QString &caption, const QString &picture,
                         const QRect &geometry, const QFont &font, int group)
{
    auto *b = new TSpeedButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(caption);
    b->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    b->setIcon(QIcon(picture));
    b->setIconSize(QSize(59, 59).boundedTo(geometry.size() - QSize(4, 4)));
    b->setGeometry(geometry);
    b->setFont(font);
    b->setGroupIndex(group);
    // The section bar's pointing hand is for its own surface, not its buttons.
    b->setCursor(Qt::ArrowCursor);
    return b;
}

} // namespace

TForm1::TForm1(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Электронный учебник"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(ui::pixelFont(QStringLiteral("MS Sans Serif"), 11));

    // The connection opens while the window loads. A failure is shown and start-up
    // goes on; the next window that needs the file then fails and ends start-up.
    ADOConnection1 = new data::Connection(this);
    ADOConnection1->setObjectName(QStringLiteral("ADOConnection1"));
    ui::runAction(nullptr, [this] { ADOConnection1->open(); });

    img1 = new TImage(this);
    img1->setObjectName(QStringLiteral("img1"));
    img1->setGeometry(0, 0, 801, 553);
    img1->setPicture(QPixmap(QStringLiteral(":/art/background.jpg")));

    const QFont small = ui::pixelFont(QStringLiteral("Palatino Linotype"), 12);
    sSpeedButton6 = makeButton(this, "sSpeedButton6", QStringLiteral("Справка"), QStringLiteral(":/art/help.png"),
                               QRect(528, 0, 122, 30), small, 0);
    sSpeedButton7 = makeButton(this, "sSpeedButton7", QStringLiteral("О программе"),
                               QStringLiteral(":/art/about.png"), QRect(664, 0, 138, 30), small, 0);

    sPanel4 = new QFrame(this);
    sPanel4->setObjectName(QStringLiteral("sPanel4"));
    sPanel4->setGeometry(-16, 440, 817, 113);
    sPanel4->setCursor(Qt::PointingHandCursor);
    sPanel4->setAutoFillBackground(true);

    sPanel1 = new QLabel(sPanel4);
    sPanel1->setObjectName(QStringLiteral("sPanel1"));
    // A login is shown as typed, never read as markup.
    sPanel1->setTextFormat(Qt::PlainText);
    sPanel1->setGeometry(33, 1, 64, 48);
    sPanel1->setAlignment(Qt::AlignCenter);
    sPanel1->setFrameShape(QFrame::Panel);
    sPanel1->setFrameShadow(QFrame::Raised);
    sPanel1->setFont(ui::pixelFont(QStringLiteral("Arial"), 21, true));
    ui::setBadgeText(sPanel1, QStringLiteral("ghg"));
    sPanel1->setCursor(Qt::ArrowCursor);

    const QFont section = ui::pixelFont(QStringLiteral("Palatino Linotype"), 16, true);
    sSpeedButton1 = makeButton(sPanel4, "sSpeedButton1", QStringLiteral("Теория"), QStringLiteral(":/art/theory.png"),
                               QRect(16, 48, 153, 49), section, 1);
    sSpeedButton2 = makeButton(sPanel4, "sSpeedButton2", QStringLiteral("Практика"),
                               QStringLiteral(":/art/practice.png"), QRect(176, 48, 185, 49), section, 1);
    sSpeedButton3 = makeButton(sPanel4, "sSpeedButton3", QStringLiteral("Видео"), QStringLiteral(":/art/video.png"),
                               QRect(368, 48, 137, 49), section, 1);
    sSpeedButton4 = makeButton(sPanel4, "sSpeedButton4", QStringLiteral("Тест"), QStringLiteral(":/art/test.png"),
                               QRect(512, 48, 105, 49), section, 1);
    sSpeedButton5 = makeButton(sPanel4, "sSpeedButton5", QStringLiteral("Пользователи"),
                               QStringLiteral(":/art/users.png"), QRect(632, 48, 185, 49), section, 1);

    connect(sSpeedButton1, &QToolButton::clicked, this, &TForm1::sSpeedButton1Click);
    connect(sSpeedButton2, &QToolButton::clicked, this, &TForm1::sSpeedButton2Click);
    connect(sSpeedButton3, &QToolButton::clicked, this, &TForm1::sSpeedButton3Click);
    connect(sSpeedButton4, &QToolButton::clicked, this, &TForm1::sSpeedButton4Click);
    connect(sSpeedButton5, &QToolButton::clicked, this, &TForm1::sSpeedButton5Click);
    connect(sSpeedButton6, &QToolButton::clicked, this, &TForm1::sSpeedButton6Click);
    connect(sSpeedButton7, &QToolButton::clicked, this, &TForm1::sSpeedButton7Click);

    setTabOrder(sSpeedButton1, sSpeedButton2);
    setTabOrder(sSpeedButton2, sSpeedButton3);
    setTabOrder(sSpeedButton3, sSpeedButton4);
    setTabOrder(sSpeedButton4, sSpeedButton5);
    setTabOrder(sSpeedButton5, sSpeedButton6);
    setTabOrder(sSpeedButton6, sSpeedButton7);

    // The outer frame of 811 × 587 leaves this client area inside the window manager's border.
    setClientSize(801, 553, false);
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::setAlphaBlend(bool on, int level)
{
    alphaBlend_ = on;
    alphaValue_ = qBound(0, level, 255);
    setWindowOpacity(on ? alphaValue_ / 255.0 : 1.0);
}

void TForm1::FormShow()
{
    showForm(Form3);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    event->accept();
    QApplication::quit();
}

void TForm1::sSpeedButton1Click() { ui::runAction(this, [] { showForm(Form7); }); }
void TForm1::sSpeedButton2Click() { ui::runAction(this, [] { showForm(Form7); }); }
void TForm1::sSpeedButton3Click() { ui::runAction(this, [] { showForm(Form7); }); }
void TForm1::sSpeedButton4Click() { ui::runAction(this, [] { showForm(Form8); }); }
void TForm1::sSpeedButton5Click() { ui::runAction(this, [] { showForm(Form5); }); }

void TForm1::sSpeedButton6Click()
{
    ui::runAction(this, [this] { help::helpService().showKeywordIndex(this, QStringLiteral("help.hlp")); });
}

void TForm1::sSpeedButton7Click() { ui::runAction(this, [] { showForm(Form9); }); }
