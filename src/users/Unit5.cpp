#include "Unit5.h"
#include "app/Unit1.h"

TForm5 *Form5 = nullptr;

TForm5::TForm5(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Пользователи"));
    ADOTable1 = new data::DataSet(*Form1->ADOConnection1, this);
    ADOTable1->query().addLine(QStringLiteral("select * from Пользователи"));
    ADOTable1->Open();
    ADOTable1->query().requireFields({QStringLiteral("Логин"), QStringLiteral("Пароль"), QStringLiteral("Группа")},
                                     QStringLiteral("Пользователи"));
    ADOQuery1 = std::make_unique<data::Query>(*Form1->ADOConnection1);
}

TForm5::~TForm5()
{
    if (Form5 == this)
        Form5 = nullptr;
}
