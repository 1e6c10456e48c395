#pragma once
// The test menu: start a test, view results, edit the question bank.
#include "common/Form.h"
#include "common/SpeedButton.h"

#include <QLabel>

class QFrame;

class TForm8 : public TForm {
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);
    ~TForm8() override;

    QFrame *sPanel4;             // the background panel
    TSpeedButton *sSpeedButton1; // "Тестирование"
    TSpeedButton *sSpeedButton2; // "Просмотр результатов"
    TSpeedButton *sSpeedButton3; // "Редактирование тестов", the administrator's only
    QLabel *sPanel1;             // the menu badge: CurrentLogin as of the last refresh

public slots:
    void FormCreate();
    void sSpeedButton1Click();
    void sSpeedButton2Click();
    void sSpeedButton3Click();

protected:
    void FormShow() override { FormCreate(); }
};

extern TForm8 *Form8;
