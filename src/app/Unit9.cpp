#include "Unit9.h"
#include "common/Fonts.h"

#include <QApplication>
#include <QCloseEvent>

TForm9 *Form9 = nullptr;

TForm9::TForm9(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("О программе"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    Image1 = new TImage(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 345, 153);
    Image1->setPicture(QPixmap(QStringLiteral(":/art/about.jpg")));

    sLabel1 = new QLabel(QStringLiteral("Разработчики: команда учебника"), this);
    sLabel1->setObjectName(QStringLiteral("sLabel1"));
    sLabel1->setGeometry(24, 136, 239, 13);
    sLabel1->setFont(ui::pixelFont(QStringLiteral("MS Sans Serif"), 11));
    QPalette pal = sLabel1->palette();
    pal.setColor(QPalette::WindowText, QColor(0x21, 0x21, 0x21));
    sLabel1->setPalette(pal);

    resize(345, 153);
    move(509, 210);
}

TForm9::~TForm9()
{
    if (Form9 == this)
        Form9 = nullptr;
}

void TForm9::closeEvent(QCloseEvent *event)
{
    event->accept();
    QApplication::quit();
}
