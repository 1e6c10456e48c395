#include "Unit5.h"
#include "app/Unit1.h"
#include "common/Dialogs.h"
#include "common/Errors.h"
#include "data/Connection.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

TForm5 *Form5 = nullptr;

namespace {

const QString kAdmin = QStringLiteral("Admin");

QStringList insertStatement()
{
    return {QStringLiteral("insert into Пользователи(Логин, Пароль, Группа) values (:a1,:a2,:a3 )")};
}

QStringList deleteStatement()
{
    return {QStringLiteral("delete from Пользователи "), QStringLiteral("where Логин= :a1 and Пароль= :a2 ")};
}

// All accounts, whatever the grid's filter lets through.
int accountCount(data::Connection &connection)
{
    data::Query q(connection);
    q.addLine(QStringLiteral("select count(*) from Пользователи"));
    q.Open();
    return q.fieldValue(0).toInt();
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    return l;
}

QLineEdit *makeEdit(QWidget *parent, const char *name, QLabel *label, const QRect &geometry)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(geometry);
    label->setBuddy(e);
    e->setAccessibleName(QString(label->text()).remove(QLatin1Char('&')));
    return e;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text, const QRect &geometry,
                        QStyle::StandardPixmap glyph = QStyle::SP_CustomBase)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(geometry);
    b->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    if (glyph != QStyle::SP_CustomBase)
        b->setIcon(QApplication::style()->standardIcon(glyph));
    return b;
}

} // namespace

TForm5::TForm5(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Пользователи"));
    setWindowFlags(Qt::Window | Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ADOTable1 = new data::DataSet(*Form1->ADOConnection1, this);
    ADOTable1->setObjectName(QStringLiteral("ADOTable1"));
    ADOTable1->query().addLine(QStringLiteral("select * from Пользователи"));
    ADOTable1->Open();
    ADOTable1->query().requireFields({QStringLiteral("Логин"), QStringLiteral("Пароль"), QStringLiteral("Группа")},
                                     QStringLiteral("Пользователи"));
    ADOQuery1 = std::make_unique<data::Query>(*Form1->ADOConnection1);

    DBGrid1 = new TDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Учётные записи"));
    DBGrid1->setGeometry(8, 8, 320, 249);
    DBGrid1->setFields({QStringLiteral("Логин"), QStringLiteral("Пароль"), QStringLiteral("Группа")});
    DBGrid1->setReadOnly(true);
    DBGrid1->setDataSet(ADOTable1);
    DBGrid1->horizontalHeader()->setDefaultSectionSize(90);

    sGroupBox1 = new QGroupBox(QStringLiteral("Поиск"), this);
    sGroupBox1->setObjectName(QStringLiteral("sGroupBox1"));
    sGroupBox1->setGeometry(336, 8, 213, 249);
    sLabel1 = makeLabel(sGroupBox1, "sLabel1", QStringLiteral("Пользователь"), QRect(12, 28, 189, 16));
    sEdit1 = makeEdit(sGroupBox1, "sEdit1", sLabel1, QRect(12, 48, 189, 24));
    sCheckBox1 = new QCheckBox(QStringLiteral("Фильтрация"), sGroupBox1);
    sCheckBox1->setObjectName(QStringLiteral("sCheckBox1"));
    sCheckBox1->setGeometry(12, 84, 189, 22);
    sCheckBox1->setAccessibleName(QStringLiteral("Фильтрация"));
    sButton1 = makeButton(sGroupBox1, "sButton1", QStringLiteral("Поиск"), QRect(12, 120, 189, 32));

    sGroupBox2 = new QGroupBox(QStringLiteral("Пароль администратора"), this);
    sGroupBox2->setObjectName(QStringLiteral("sGroupBox2"));
    sGroupBox2->setGeometry(557, 8, 218, 249);
    sLabel5 = makeLabel(sGroupBox2, "sLabel5", QStringLiteral("Старый пароль"), QRect(12, 28, 194, 16));
    sEdit5 = makeEdit(sGroupBox2, "sEdit5", sLabel5, QRect(12, 48, 194, 24));
    sLabel6 = makeLabel(sGroupBox2, "sLabel6", QStringLiteral("Новый пароль"), QRect(12, 84, 194, 16));
    sEdit6 = makeEdit(sGroupBox2, "sEdit6", sLabel6, QRect(12, 104, 194, 24));
    sBitBtn3 = makeButton(sGroupBox2, "sBitBtn3", QStringLiteral("OK"), QRect(12, 144, 194, 32),
                          QStyle::SP_DialogApplyButton);

    sSpeedButton1 = new TSpeedButton(this);
    sSpeedButton1->setObjectName(QStringLiteral("sSpeedButton1"));
    sSpeedButton1->setText(QStringLiteral("Добавить"));
    sSpeedButton1->setAccessibleName(QStringLiteral("Добавить"));
    sSpeedButton1->setGeometry(8, 272, 156, 40);
    sSpeedButton1->setGroupIndex(1);
    sSpeedButton2 = new TSpeedButton(this);
    sSpeedButton2->setObjectName(QStringLiteral("sSpeedButton2"));
    sSpeedButton2->setText(QStringLiteral("Удалить"));
    sSpeedButton2->setAccessibleName(QStringLiteral("Режим удаления"));
    sSpeedButton2->setGeometry(172, 272, 156, 40);
    sSpeedButton2->setGroupIndex(1);
    sSpeedButton1->setDownState(true);

    sLabel2 = makeLabel(this, "sLabel2", QStringLiteral("Пользователь"), QRect(336, 272, 140, 16));
    sEdit2 = makeEdit(this, "sEdit2", sLabel2, QRect(336, 292, 140, 24));
    sLabel3 = makeLabel(this, "sLabel3", QStringLiteral("Пароль"), QRect(484, 272, 140, 16));
    sEdit3 = makeEdit(this, "sEdit3", sLabel3, QRect(484, 292, 140, 24));
    sLabel4 = makeLabel(this, "sLabel4", QStringLiteral("Группа"), QRect(632, 272, 143, 16));
    sEdit4 = makeEdit(this, "sEdit4", sLabel4, QRect(632, 292, 143, 24));
    // Both action buttons sit in one place; the mode decides which one is there.
    sBitBtn1 = makeButton(this, "sBitBtn1", QStringLiteral("Қосу"), QRect(560, 344, 215, 44),
                          QStyle::SP_DialogApplyButton);
    sBitBtn2 = makeButton(this, "sBitBtn2", QStringLiteral("Удалить"), QRect(560, 344, 215, 44),
                          QStyle::SP_DialogCancelButton);
    sBitBtn2->setAccessibleName(QStringLiteral("Удалить пользователя"));
    sBitBtn2->hide();

    connect(sButton1, &QPushButton::clicked, this, &TForm5::sButton1Click);
    connect(sSpeedButton1, &QToolButton::clicked, this, &TForm5::sSpeedButton1Click);
    connect(sSpeedButton2, &QToolButton::clicked, this, &TForm5::sSpeedButton2Click);
    connect(sBitBtn1, &QPushButton::clicked, this, &TForm5::sBitBtn1Click);
    connect(sBitBtn2, &QPushButton::clicked, this, &TForm5::sBitBtn2Click);
    connect(sBitBtn3, &QPushButton::clicked, this, &TForm5::sBitBtn3Click);

    const QList<QWidget *> order{DBGrid1, sEdit1,        sCheckBox1,    sButton1, sEdit5, sEdit6,   sBitBtn3,
                                 sSpeedButton1, sSpeedButton2, sEdit2,   sEdit3, sEdit4, sBitBtn1, sBitBtn2};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    setClientSize(783, 408, true);
}

TForm5::~TForm5()
{
    if (Form5 == this)
        Form5 = nullptr;
}

void TForm5::prepareChange(const QStringList &lines)
{
    ADOQuery1->Close();
    ADOQuery1->clearSQL();
    ADOQuery1->clearParameters();
    for (const QString &line : lines)
        ADOQuery1->addLine(line);
}

void TForm5::sButton1Click()
{
    ui::runAction(this, [this] {
        // The last reading of the table failed (another program held the file):
        // read it again first, and say so plainly if that fails too.
        if (!ADOTable1->Active()) {
            try {
                ADOTable1->Open();
            } catch (const AppError &e) {
                throw AppError(QStringLiteral("Список пользователей не удалось прочитать из базы данных. "
                                              "Повторите поиск ещё раз (%1)")
                                   .arg(e.text()));
            }
        }
        if (sCheckBox1->isChecked()) {
            ADOTable1->setFilterText(data::filterExpression(QStringLiteral("Логин"), sEdit1->text()));
            ADOTable1->setFiltered(true);
        } else {
            ADOTable1->setFiltered(false);
            ADOTable1->Locate(QStringLiteral("Логин"), sEdit1->text());
        }
    });
}

void TForm5::sSpeedButton1Click()
{
    ui::runAction(this, [this] {
        sLabel4->show();
        sEdit4->show();
        sBitBtn1->show();
        sBitBtn2->hide();
    });
}

void TForm5::sSpeedButton2Click()
{
    ui::runAction(this, [this] {
        sLabel4->hide();
        sEdit4->hide();
        sBitBtn2->show();
        sBitBtn1->hide();
    });
}

void TForm5::sBitBtn1Click()
{
    ui::runAction(this, [this] {
        if (sEdit2->text().isEmpty())
            return;
        if (sEdit3->text().isEmpty())
            return;
        prepareChange(insertStatement());
        ADOQuery1->setParameter(QStringLiteral("a1"), sEdit2->text());
        ADOQuery1->setParameter(QStringLiteral("a2"), sEdit3->text());
        ADOQuery1->setParameter(QStringLiteral("a3"), sEdit4->text());
        ADOQuery1->ExecSQL();
        ADOTable1->Open();
        sEdit2->clear();
        sEdit3->clear();
        sEdit4->clear();
    });
}

void TForm5::sBitBtn2Click()
{
    ui::runAction(this, [this] {
        if (sEdit2->text() == kAdmin) {
            ui::showMessage(this, QStringLiteral("Нельзя удалить Администратора"));
            return;
        }
        if (sEdit2->text().isEmpty())
            return;
        if (sEdit3->text().isEmpty())
            return;
        prepareChange(deleteStatement());
        ADOQuery1->setParameter(QStringLiteral("a1"), sEdit2->text());
        ADOQuery1->setParameter(QStringLiteral("a2"), sEdit3->text());
        ADOQuery1->ExecSQL();
        ADOTable1->Open();
        sEdit2->clear();
        sEdit3->clear();
    });
}

void TForm5::sBitBtn3Click()
{
    ui::runAction(this, [this] {
        if (sEdit5->text().isEmpty())
            return;
        if (sEdit6->text().isEmpty())
            return;
        data::Connection &connection = ADOQuery1->connection();
        bool replaced = false;
        // The old row goes and the new one comes in one transaction: a new password
        // the engine refuses rolls the delete back, so the administrator row is never lost.
        connection.transaction([&] {
            const int before = accountCount(connection);
            prepareChange(deleteStatement());
            ADOQuery1->setParameter(QStringLiteral("a1"), kAdmin);
            ADOQuery1->setParameter(QStringLiteral("a2"), sEdit5->text());
            ADOQuery1->ExecSQL();
            const int after = accountCount(connection);
            if (after == before)
                return; // no "Admin" row had that password
            prepareChange(insertStatement());
            ADOQuery1->setParameter(QStringLiteral("a1"), kAdmin);
            ADOQuery1->setParameter(QStringLiteral("a2"), sEdit6->text());
            ADOQuery1->setParameter(QStringLiteral("a3"), QStringLiteral(""));
            ADOQuery1->ExecSQL();
            replaced = true;
        });
        // Read once the outcome is committed, so the grid never shows a state that was rolled back.
        ADOTable1->Open();
        if (replaced) {
            sEdit5->clear();
            sEdit6->clear();
        }
    });
}
