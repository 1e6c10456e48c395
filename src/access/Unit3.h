#pragma once
// The login window: the only way into the program.
#include "common/Form.h"
#include "data/Query.h"

#include <QStringList>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm3 : public TForm {
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);
    ~TForm3() override;

    std::unique_ptr<data::Query> ADOQuery1; // logins
    std::unique_ptr<data::Query> ADOQuery2; // passwords

    QLabel *Prompt;
    QFrame *Bevel1;
    QLabel *Label1; // "Пользователь"
    QLineEdit *UserName;
    QLabel *Label2; // "Пароль"
    QLineEdit *Password;
    QPushButton *OKButton;
    QPushButton *CancelButton;

    // The accounts as read at creation, paired by position; never refreshed.
    QStringList LoginList;
    QStringList PasswordList;

public slots:
    void FormCreate();
    void OKButtonClick();
    void CancelButtonClick();

protected:
    void FormShow() override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool signedIn_ = false; // set while a successful sign-in closes the window
};

extern TForm3 *Form3;
