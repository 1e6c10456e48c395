#include "Unit2.h"
#include "app/Unit1.h"
#include "data/Connection.h"

TForm2 *Form2 = nullptr;

TForm2::TForm2(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Тестер"));
    data::Connection &c = *Form1->ADOConnection1;
    const char *columns[] = {"Вопрос", "Ответ1", "Ответ2", "Ответ3", "Ответ4", "Ответ5", "ОтветПр"};
    std::unique_ptr<data::Query> *queries[] = {&ADOQuery1, &ADOQuery2, &ADOQuery3, &ADOQuery4,
                                               &ADOQuery5, &ADOQuery6, &ADOQuery7};
    for (int i = 0; i < 7; ++i) {
        *queries[i] = std::make_unique<data::Query>(c);
        (*queries[i])->addLine(QStringLiteral("select %1 from БДТест").arg(QString::fromUtf8(columns[i])));
        (*queries[i])->Open();
    }
    FormCreate();
}

TForm2::~TForm2()
{
    if (Form2 == this)
        Form2 = nullptr;
}

void TForm2::FormCreate() {}
