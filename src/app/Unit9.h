#pragma once
#include "Unit1.h"

class TForm9 : public TForm {
    Q_OBJECT
public:
    explicit TForm9(QWidget *parent = nullptr);
    ~TForm9() override;

    TImage *Image1;
    QLabel *sLabel1;

protected:
    void closeEvent(QCloseEvent *event) override;
};

extern TForm9 *Form9;
