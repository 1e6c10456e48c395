#include "Unit8.h"

TForm8 *Form8 = nullptr;

TForm8::TForm8(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Тест"));
    FormCreate();
}

TForm8::~TForm8()
{
    if (Form8 == this)
        Form8 = nullptr;
}

void TForm8::FormCreate() {}
