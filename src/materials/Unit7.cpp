#include "Unit7.h"
#include "app/Unit1.h"

TForm7 *Form7 = nullptr;

TForm7::TForm7(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form7"));
    data::Connection &c = *Form1->ADOConnection1;
    sGroupBox1 = new QGroupBox(QStringLiteral("Редактирование"), this);
    sGroupBox1->setObjectName(QStringLiteral("sGroupBox1"));
    sGroupBox1->hide();
    ADOQuery1 = std::make_unique<data::Query>(c);
    ADOQuery2 = std::make_unique<data::Query>(c);
    ADOQuery2->addLine(QStringLiteral("select * from Лекции"));
    ADOQuery2->Open();
    ADOQuery3 = std::make_unique<data::Query>(c);
    ADOQuery3->addLine(QStringLiteral("select * from Лабы"));
    ADOQuery3->Open();
    ADOQuery4 = std::make_unique<data::Query>(c);
    ADOQuery4->addLine(QStringLiteral("select * from Видео"));
    ADOQuery4->Open();
    FormCreate();
}

TForm7::~TForm7()
{
    if (Form7 == this)
        Form7 = nullptr;
}

void TForm7::FormCreate() {}
