#include "Unit8.h"
#include "Unit2.h"
#include "Unit4.h"
#include "Unit6.h"
#include "app/Unit1.h"
#include "common/Badge.h"
#include "common/Errors.h"
#include "common/Fonts.h"

#include <QFrame>

TForm8 *Form8 = nullptr;

namespace {

TSpeedButton *makeButton(QWidget *parent, const char *name, const QString &caption, const QString &picture,
                         const QRect &geometry, const QFont &font)
{
    auto *b = new TSpeedButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(caption);
    b->setAccessibleName(caption);
    b->setIcon(QIcon(picture));
    b->setIconSize(QSize(59, 59).boundedTo(geometry.size() - QSize(4, 4)));
    b->setGeometry(geometry);
    b->setFont(font);
    b->setGroupIndex(1);
    return b;
}

} // namespace

TForm8::TForm8(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Тест"));
    setWindowFlags(Qt::Window | Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(ui::pixelFont(QStringLiteral("Arial"), 11, true));

    sPanel4 = new QFrame(this);
    sPanel4->setObjectName(QStringLiteral("sPanel4"));
    sPanel4->setGeometry(0, 0, 529, 449);
    sPanel4->setAutoFillBackground(true);

    const QFont big = ui::pixelFont(QStringLiteral("Palatino Linotype"), 21, true);
    // The pictures match the main window's "Тест", "Пользователи" and "Практика".
    sSpeedButton1 = makeButton(sPanel4, "sSpeedButton1", QStringLiteral("Тестирование"),
                               QStringLiteral(":/art/test.png"), QRect(0, 48, 289, 57), big);
    sSpeedButton2 = makeButton(sPanel4, "sSpeedButton2", QStringLiteral("Просмотр результатов"),
                               QStringLiteral(":/art/users.png"), QRect(128, 160, 289, 57), big);
    sSpeedButton3 = makeButton(sPanel4, "sSpeedButton3", QStringLiteral("Редактирование тестов"),
                               QStringLiteral(":/art/practice.png"), QRect(184, 280, 337, 57), big);

    sPanel1 = new QLabel(CurrentLogin(), sPanel4);
    sPanel1->setObjectName(QStringLiteral("sPanel1"));
    // A login is shown as typed, never read as markup.
    sPanel1->setTextFormat(Qt::PlainText);
    sPanel1->setGeometry(1, 401, 527, 48);
    sPanel1->setAlignment(Qt::AlignCenter);
    sPanel1->setFrameShape(QFrame::Panel);
    sPanel1->setFrameShadow(QFrame::Raised);
    sPanel1->setFont(big);

    connect(sSpeedButton1, &QToolButton::clicked, this, &TForm8::sSpeedButton1Click);
    connect(sSpeedButton2, &QToolButton::clicked, this, &TForm8::sSpeedButton2Click);
    connect(sSpeedButton3, &QToolButton::clicked, this, &TForm8::sSpeedButton3Click);
    setTabOrder(sSpeedButton1, sSpeedButton2);
    setTabOrder(sSpeedButton2, sSpeedButton3);

    setClientSize(528, 449, true);
    FormCreate();
}

TForm8::~TForm8()
{
    if (Form8 == this)
        Form8 = nullptr;
}

void TForm8::FormCreate()
{
    ui::setBadgeText(sPanel1, CurrentLogin());
    sSpeedButton3->setVisible(sPanel1->text() == QLatin1String("Admin"));
}

void TForm8::sSpeedButton1Click()
{
    ui::runAction(this, [] {
        // A tester left without a test (its bank could not be read) starts again;
        // a running test is only brought to the front.
        if (Form2->isVisible() && !Form2->testStarted())
            Form2->FormCreate();
        showForm(Form2);
    });
}

void TForm8::sSpeedButton2Click()
{
    ui::runAction(this, [this] {
        data::DataSet &results = *Form6->ADOQuery1;
        // A change the administrator left in the grid is kept, not dropped by the
        // reopen. One the file refuses keeps its row in editing, and the grid comes
        // back with it to mend or cancel: it must never lock the results away.
        try {
            results.Post();
        } catch (...) {
            showForm(Form6);
            throw;
        }
        const QString badge = sPanel1->text();
        const bool admin = badge == QLatin1String("Admin");
        results.Close();
        results.query().clearSQL();
        results.query().clearParameters();
        results.query().addLine(QStringLiteral("select * from Тесты"));
        if (!admin) {
            results.query().addLine(QStringLiteral("where Пользователь= :a"));
            results.query().setParameter(QStringLiteral("a"), badge);
        }
        Form6->setEditable(admin);
        results.Open();
        showForm(Form6);
    });
}

void TForm8::sSpeedButton3Click()
{
    ui::runAction(this, [] { showForm(Form4); });
}
