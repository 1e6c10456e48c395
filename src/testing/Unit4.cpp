#include "Unit4.h"
#include "app/Unit1.h"

TForm4 *Form4 = nullptr;

TForm4::TForm4(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Редактирование тестов"));
    ADOQuery1 = new data::DataSet(*Form1->ADOConnection1, this);
    ADOQuery1->setUpdateTable(QStringLiteral("БДТест"), QStringLiteral("Код"));
    ADOQuery1->query().addLine(QStringLiteral("select * from БДТест"));
    ADOQuery1->Open();
}

TForm4::~TForm4()
{
    if (Form4 == this)
        Form4 = nullptr;
}
