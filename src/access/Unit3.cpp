#include "Unit3.h"
#include "SignIn.h"
#include "SignInGate.h"
#include "app/Unit1.h"
#include "common/Dialogs.h"
#include "common/Badge.h"
#include "common/Errors.h"
#include "common/Fonts.h"
#include "data/Connection.h"
#include "materials/Unit7.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>

TForm3 *Form3 = nullptr;

namespace {

// The password field masks every character with "*", whatever the platform's habit.
class StarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return u'*';
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The typed login that last equalled a stored one; only the badge reads it.
QString g_lastLogin;

} // namespace

TForm3::TForm3(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFont(ui::pixelFont(QStringLiteral("MS Sans Serif"), 11));
    setAccessibleName(QStringLiteral("Вход в систему"));
    ADOQuery1 = std::make_unique<data::Query>(*Form1->ADOConnection1);
    ADOQuery1->addLine(QStringLiteral("select Логин from Пользователи"));
    ADOQuery2 = std::make_unique<data::Query>(*Form1->ADOConnection1);
    ADOQuery2->addLine(QStringLiteral("select Пароль from Пользователи"));
    Form1->ADOConnection1->readTransaction([this] {
        ADOQuery1->Open();
        ADOQuery2->Open();
    });

    const QFont bold = ui::pixelFont(QStringLiteral("MS Sans Serif"), 11, true);

    // Without a frame the window needs its own edge to stand out from the desktop.
    auto *border = new QFrame(this);
    border->setObjectName(QStringLiteral("Panel1"));
    border->setFrameShape(QFrame::Panel);
    border->setFrameShadow(QFrame::Raised);
    border->setGeometry(0, 0, 294, 141);

    Prompt = new QLabel(QStringLiteral("Введите пользователя и пароль"), this);
    Prompt->setObjectName(QStringLiteral("Prompt"));
    Prompt->setFont(bold);
    Prompt->setGeometry(12, 8, 270, 18);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 30, 278, 4);

    Label1 = new QLabel(QStringLiteral("Пользователь"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(bold);
    Label1->setGeometry(12, 45, 100, 16);
    UserName = new QLineEdit(this);
    UserName->setObjectName(QStringLiteral("UserName"));
    UserName->setMaxLength(signin::kFieldLength);
    UserName->setGeometry(116, 42, 166, 21);
    UserName->setAccessibleName(QStringLiteral("Пользователь"));
    Label1->setBuddy(UserName);

    Label2 = new QLabel(QStringLiteral("Пароль"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(bold);
    Label2->setGeometry(12, 74, 100, 16);
    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setMaxLength(signin::kFieldLength);
    Password->setEchoMode(QLineEdit::Password);
    auto *star = new StarPasswordStyle;
    star->setParent(Password);
    Password->setStyle(star);
    Password->setGeometry(116, 71, 166, 21);
    Password->setAccessibleName(QStringLiteral("Пароль"));
    Label2->setBuddy(Password);

    OKButton = new QPushButton(QStringLiteral("&OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setAccessibleName(QStringLiteral("OK"));
    OKButton->setDefault(true);
    OKButton->setGeometry(126, 106, 75, 25);
    CancelButton = new QPushButton(QStringLiteral("&Отмена"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAccessibleName(QStringLiteral("Отмена"));
    CancelButton->setGeometry(207, 106, 75, 25);

    connect(OKButton, &QPushButton::clicked, this, &TForm3::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &TForm3::CancelButtonClick);

    setTabOrder(UserName, Password);
    setTabOrder(Password, OKButton);
    setTabOrder(OKButton, CancelButton);
    setFocusProxy(UserName);

    setClientSize(294, 141, true);
    FormCreate();
}

TForm3::~TForm3()
{
    signin::signInGate().open();
    if (Form3 == this)
        Form3 = nullptr;
}

void TForm3::FormCreate()
{
    LoginList.clear();
    PasswordList.clear();
    // Entry i of one list goes with entry i of the other: both reads must see the
    // same accounts, whatever another copy of the program writes meanwhile.
    Form1->ADOConnection1->readTransaction([this] {
        ADOQuery1->Close();
        ADOQuery1->Open();
        ADOQuery2->Close();
        ADOQuery2->Open();
    });
    for (ADOQuery1->First(); !ADOQuery1->Eof(); ADOQuery1->Next())
        LoginList << ADOQuery1->fieldAsText(0);
    for (ADOQuery2->First(); !ADOQuery2->Eof(); ADOQuery2->Next())
        PasswordList << ADOQuery2->fieldAsText(0);
}

void TForm3::FormShow()
{
    Form1->setAlphaBlend(true, 0);
    // Transparency is only a look; the gate is what keeps the other windows out of reach.
    signin::signInGate().close(this);
    activateWindow();
    UserName->setFocus();
}

void TForm3::OKButtonClick()
{
    ui::runAction(this, [this] {
        const signin::SignInOutcome out =
            signin::checkSignIn(LoginList, PasswordList, UserName->text(), Password->text());
        if (out.account >= 0)
            g_lastLogin = out.matchedLogin;
        if (out.result == signin::SignInOutcome::NoAccount) {
            ui::showMessage(this, signin::noAccountMessage());
            return;
        }
        if (out.result == signin::SignInOutcome::WrongPassword) {
            ui::showMessage(this, signin::wrongPasswordMessage());
            return;
        }
        ui::setBadgeText(Form1->sPanel1, g_lastLogin);
        const bool admin = signin::isAdministrator(CurrentLogin());
        Form1->sSpeedButton5->setVisible(admin);
        Form7->sGroupBox1->setVisible(admin);
        Form1->setAlphaBlend(false);
        signin::signInGate().open();
        signedIn_ = true;
        close();
        signedIn_ = false;
    });
}

void TForm3::CancelButtonClick()
{
    signin::terminateProcess(0);
}

void TForm3::keyPressEvent(QKeyEvent *event)
{
    // A plain window has no dialog keys of its own: Enter presses the focused
    // button or else "OK", Esc presses "Отмена".
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() & ~Qt::KeypadModifier)
            break;
        if (auto *b = qobject_cast<QPushButton *>(focusWidget()))
            b->click();
        else
            OKButton->click();
        return;
    case Qt::Key_Escape:
        if (event->modifiers() != Qt::NoModifier)
            break;
        CancelButton->click();
        return;
    default:
        break;
    }
    TForm::keyPressEvent(event);
}

void TForm3::closeEvent(QCloseEvent *event)
{
    // Closed any other way than by signing in (Alt+F4), the window would leave an
    // invisible main window behind and nobody signed in: that ends the program as
    // "Отмена" does.
    if (!signedIn_) {
        event->ignore();
        CancelButton->click();
        return;
    }
    TForm::closeEvent(event);
}
