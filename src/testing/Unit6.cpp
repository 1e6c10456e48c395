#include "Unit6.h"
#include "app/Unit1.h"

TForm6 *Form6 = nullptr;

TForm6::TForm6(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Результаты тестов"));
    ADOQuery1 = new data::DataSet(*Form1->ADOConnection1, this);
    ADOQuery1->setUpdateTable(QStringLiteral("Тесты"), QStringLiteral("Код"));
    ADOQuery1->query().addLine(QStringLiteral("select * from Тесты"));
    ADOQuery1->Open();
}

TForm6::~TForm6()
{
    if (Form6 == this)
        Form6 = nullptr;
}
