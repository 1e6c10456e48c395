#include "Unit6.h"
#include "app/Unit1.h"
#include "common/Fonts.h"

#include <QHeaderView>
#include <QVBoxLayout>

TForm6 *Form6 = nullptr;

namespace {
const QString kTable = QStringLiteral("Тесты");
const QString kKey = QStringLiteral("Код");
} // namespace

TForm6::TForm6(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Результаты тестов"));
    setWindowFlags(Qt::Window | Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ADOQuery1 = new data::DataSet(*Form1->ADOConnection1, this);
    ADOQuery1->setObjectName(QStringLiteral("ADOQuery1"));
    ADOQuery1->setUpdateTable(kTable, kKey);
    ADOQuery1->query().addLine(QStringLiteral("select * from Тесты"));
    ADOQuery1->Open();

    DBGrid1 = new TDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Результаты тестов"));
    DBGrid1->setFont(ui::pixelFont(QStringLiteral("Arial"), 16, true));
    DBGrid1->horizontalHeader()->setFont(ui::pixelFont(QStringLiteral("MS Sans Serif"), 11));
    DBGrid1->verticalHeader()->setFont(ui::pixelFont(QStringLiteral("MS Sans Serif"), 11));
    DBGrid1->horizontalHeader()->setDefaultSectionSize(80);
    // The engine numbers the rows; a typed key would be thrown away on posting.
    DBGrid1->setReadOnlyFields({kKey});
    DBGrid1->setDataSet(ADOQuery1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(DBGrid1);

    // Nobody has signed in yet; the test menu decides at every "Просмотр результатов".
    setEditable(false);
    setClientSize(267, 219, true);
}

TForm6::~TForm6()
{
    if (Form6 == this)
        Form6 = nullptr;
}

void TForm6::setEditable(bool editable)
{
    // Both the grid and the data set refuse changes, so no key or command of the
    // grid can reach the table for an ordinary user.
    ADOQuery1->setUpdateTable(editable ? kTable : QString(), kKey);
    DBGrid1->setReadOnly(!editable);
}
