#include "Unit4.h"
#include "app/Unit1.h"
#include "common/DBControls.h"
#include "common/DBNavigator.h"
#include "common/Errors.h"
#include "common/Fonts.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

TForm4 *Form4 = nullptr;

QString questionSearchPattern(const QString &searchText)
{
    return QLatin1Char('%') + searchText + QLatin1Char('%');
}

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, int left, int top)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setFont(ui::pixelFont(QStringLiteral("Arial"), 16, true));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, QColor(0x21, 0x21, 0x21));
    l->setPalette(pal);
    l->move(left, top);
    l->adjustSize();
    return l;
}

TDBMemo *makeMemo(QWidget *parent, const char *name, QLabel *label, const QRect &geometry)
{
    auto *m = new TDBMemo(parent);
    m->setObjectName(QLatin1String(name));
    m->setGeometry(geometry);
    m->setAccessibleName(label->text());
    label->setBuddy(m);
    return m;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAccessibleName(text);
    b->setGeometry(geometry);
    return b;
}

} // namespace

TForm4::TForm4(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Редактирование тестов"));
    // No frame and no title bar: "Выход" is the way out.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    ADOQuery1 = new data::DataSet(*Form1->ADOConnection1, this);
    ADOQuery1->setObjectName(QStringLiteral("ADOQuery1"));
    ADOQuery1->setUpdateTable(QStringLiteral("БДТест"), QStringLiteral("Код"));
    ADOQuery1->query().addLine(QStringLiteral("select * from БДТест"));
    ADOQuery1->Open();

    sPanel2 = new QFrame(this);
    sPanel2->setObjectName(QStringLiteral("sPanel2"));
    sPanel2->setGeometry(0, 0, 825, 662);
    sPanel2->setFrameShape(QFrame::Panel);
    sPanel2->setFrameShadow(QFrame::Raised);
    sPanel2->setAutoFillBackground(true);
    sPanel2->setFont(ui::pixelFont(QStringLiteral("Arial"), 13));
    {
        QPalette pal = sPanel2->palette();
        pal.setColor(QPalette::WindowText, Qt::black);
        pal.setColor(QPalette::Text, Qt::black);
        pal.setColor(QPalette::ButtonText, Qt::black);
        sPanel2->setPalette(pal);
    }

    sLabel1 = makeLabel(sPanel2, "sLabel1", QStringLiteral("Вопрос"), 16, 16);
    sDBMemo1 = makeMemo(sPanel2, "sDBMemo1", sLabel1, QRect(16, 37, 793, 81));
    // "А" and "Е" below are Cyrillic, "B", "C" and "D" Latin, as the labels have
    // always read.
    sLabel2 = makeLabel(sPanel2, "sLabel2", QStringLiteral("Вариант \u0410"), 16, 128);
    sDBMemo2 = makeMemo(sPanel2, "sDBMemo2", sLabel2, QRect(16, 149, 385, 81));
    sLabel3 = makeLabel(sPanel2, "sLabel3", QStringLiteral("Вариант B"), 16, 232);
    sDBMemo3 = makeMemo(sPanel2, "sDBMemo3", sLabel3, QRect(16, 253, 385, 81));
    sLabel4 = makeLabel(sPanel2, "sLabel4", QStringLiteral("Вариант C"), 16, 336);
    sDBMemo4 = makeMemo(sPanel2, "sDBMemo4", sLabel4, QRect(16, 357, 385, 81));
    sLabel5 = makeLabel(sPanel2, "sLabel5", QStringLiteral("Вариант D"), 16, 448);
    sDBMemo5 = makeMemo(sPanel2, "sDBMemo5", sLabel5, QRect(16, 469, 385, 81));
    sLabel6 = makeLabel(sPanel2, "sLabel6", QStringLiteral("Вариант \u0415"), 16, 552);
    sDBMemo6 = makeMemo(sPanel2, "sDBMemo6", sLabel6, QRect(16, 573, 385, 81));

    sLabel7 = makeLabel(sPanel2, "sLabel7", QStringLiteral("Номер правильного ответа"), 464, 152);
    sDBEdit1 = new TDBEdit(sPanel2);
    sDBEdit1->setObjectName(QStringLiteral("sDBEdit1"));
    sDBEdit1->setGeometry(496, 176, 121, 24);
    sDBEdit1->setAccessibleName(sLabel7->text());
    sLabel7->setBuddy(sDBEdit1);

    sGroupBox1 = new QGroupBox(QStringLiteral("Поиск"), sPanel2);
    sGroupBox1->setObjectName(QStringLiteral("sGroupBox1"));
    sGroupBox1->setGeometry(440, 249, 353, 272);
    sGroupBox1->setFont(ui::pixelFont(QStringLiteral("Arial"), 16, true));
    sGroupBox1->setAccessibleName(QStringLiteral("Поиск"));
    sLabel8 = makeLabel(sGroupBox1, "sLabel8", QStringLiteral("Вопрос"), 16, 32);
    sMemo1 = new QPlainTextEdit(sGroupBox1);
    sMemo1->setObjectName(QStringLiteral("sMemo1"));
    sMemo1->setGeometry(16, 56, 329, 73);
    sMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    sMemo1->setTabChangesFocus(true);
    sMemo1->setAccessibleName(QStringLiteral("Искать вопрос с текстом"));
    {
        QPalette pal = sMemo1->palette();
        pal.setColor(QPalette::Base, Qt::white);
        sMemo1->setPalette(pal);
    }
    sLabel8->setBuddy(sMemo1);
    sButton1 = makeButton(sGroupBox1, "sButton1", QStringLiteral("Найти"), QRect(216, 144, 129, 57));
    sButton2 = makeButton(sGroupBox1, "sButton2", QStringLiteral("Все записи"), QRect(216, 216, 129, 41));

    sDBNavigator1 = new TDBNavigator(sPanel2);
    sDBNavigator1->setObjectName(QStringLiteral("sDBNavigator1"));
    sDBNavigator1->setGeometry(432, 541, 377, 33);

    sButton3 = makeButton(sPanel2, "sButton3", QStringLiteral("Выход"), QRect(680, 616, 137, 33));
    sButton3->setFont(ui::pixelFont(QStringLiteral("Arial"), 19, true));

    sDBMemo1->setDataField(ADOQuery1, QStringLiteral("Вопрос"));
    sDBMemo2->setDataField(ADOQuery1, QStringLiteral("Ответ1"));
    sDBMemo3->setDataField(ADOQuery1, QStringLiteral("Ответ2"));
    sDBMemo4->setDataField(ADOQuery1, QStringLiteral("Ответ3"));
    sDBMemo5->setDataField(ADOQuery1, QStringLiteral("Ответ4"));
    sDBMemo6->setDataField(ADOQuery1, QStringLiteral("Ответ5"));
    sDBEdit1->setDataField(ADOQuery1, QStringLiteral("ОтветПр"));
    sDBNavigator1->setDataSource(ADOQuery1);

    connect(sButton1, &QPushButton::clicked, this, &TForm4::sButton1Click);
    connect(sButton2, &QPushButton::clicked, this, &TForm4::sButton2Click);
    connect(sButton3, &QPushButton::clicked, this, &TForm4::sButton3Click);

    // The question and the five answers down the left, then the right column
    // from top to bottom.
    QWidget *order[] = {sDBMemo1, sDBMemo2, sDBMemo3, sDBMemo4, sDBMemo5, sDBMemo6, sDBEdit1, sMemo1, sButton1,
                        sButton2};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    setTabOrder(sButton2, sDBNavigator1->button(TDBNavigator::nbFirst));
    setTabOrder(sDBNavigator1->button(TDBNavigator::nbRefresh), sButton3);

    setClientSize(825, 662, true);
}

TForm4::~TForm4()
{
    if (Form4 == this)
        Form4 = nullptr;
}

void TForm4::sButton1Click()
{
    ui::runAction(this, [this] {
        postPendingChange();
        ADOQuery1->Close();
        ADOQuery1->query().clearSQL();
        ADOQuery1->query().clearParameters();
        ADOQuery1->query().addLine(QStringLiteral("select * from БДТест"));
        ADOQuery1->query().addLine(QStringLiteral("where Вопрос  Like :a "));
        ADOQuery1->query().setParameter(QStringLiteral("a"), questionSearchPattern(sMemo1->toPlainText()));
        ADOQuery1->Open();
        sMemo1->clear();
        sDBNavigator1->setEnabled(false);
    });
}

void TForm4::sButton2Click()
{
    ui::runAction(this, [this] {
        postPendingChange();
        ADOQuery1->Close();
        ADOQuery1->query().clearSQL();
        ADOQuery1->query().clearParameters();
        ADOQuery1->query().addLine(QStringLiteral("select * from БДТест"));
        ADOQuery1->Open();
        sMemo1->clear();
        sDBNavigator1->setEnabled(true);
    });
}

void TForm4::postPendingChange()
{
    // While browsing, a typed change is kept as moving to another row keeps it; a
    // refused value stops the action with the row still in editing. A change typed
    // over a search result cannot be posted and is dropped, as it always was.
    if (sDBNavigator1->isEnabled())
        ADOQuery1->Post();
}

void TForm4::sButton3Click()
{
    ui::runAction(this, [this] { close(); });
}
