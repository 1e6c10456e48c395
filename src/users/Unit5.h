#pragma once
// The users window: the administrator's tool for the accounts.
#include "common/DBGrid.h"
#include "common/Form.h"
#include "common/SpeedButton.h"
#include "data/DataSet.h"

#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm5 : public TForm {
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);
    ~TForm5() override;

    data::DataSet *ADOTable1;               // the table view for the grid
    std::unique_ptr<data::Query> ADOQuery1; // the change statement

    TDBGrid *DBGrid1;

    QGroupBox *sGroupBox1; // "Поиск"
    QLabel *sLabel1;
    QLineEdit *sEdit1;     // the search text
    QCheckBox *sCheckBox1; // "Фильтрация"
    QPushButton *sButton1; // "Поиск"

    QGroupBox *sGroupBox2; // "Пароль администратора"
    QLabel *sLabel5;
    QLineEdit *sEdit5; // old password
    QLabel *sLabel6;
    QLineEdit *sEdit6;      // new password
    QPushButton *sBitBtn3; // "OK"

    TSpeedButton *sSpeedButton1; // mode "Добавить"
    TSpeedButton *sSpeedButton2; // mode "Удалить"

    QLabel *sLabel2;
    QLineEdit *sEdit2; // login
    QLabel *sLabel3;
    QLineEdit *sEdit3; // password
    QLabel *sLabel4;
    QLineEdit *sEdit4;     // group
    QPushButton *sBitBtn1; // "Қосу"
    QPushButton *sBitBtn2; // "Удалить"

public slots:
    void sButton1Click();
    void sSpeedButton1Click();
    void sSpeedButton2Click();
    void sBitBtn1Click();
    void sBitBtn2Click();
    void sBitBtn3Click();

private:
    void prepareChange(const QStringList &lines);
};

extern TForm5 *Form5;
