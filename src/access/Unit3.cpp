#include "Unit3.h"
#include "app/Unit1.h"
#include "data/Connection.h"

TForm3 *Form3 = nullptr;

TForm3::TForm3(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    ADOQuery1 = std::make_unique<data::Query>(*Form1->ADOConnection1);
    ADOQuery1->addLine(QStringLiteral("select Логин from Пользователи"));
    ADOQuery1->Open();
    ADOQuery2 = std::make_unique<data::Query>(*Form1->ADOConnection1);
    ADOQuery2->addLine(QStringLiteral("select Пароль from Пользователи"));
    ADOQuery2->Open();
}

TForm3::~TForm3()
{
    if (Form3 == this)
        Form3 = nullptr;
}
