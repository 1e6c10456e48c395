#pragma once
// The test menu: start a test, view results, edit the question bank.
#include "common/Form.h"

class TForm8 : public TForm {
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);
    ~TForm8() override;

public slots:
    void FormCreate();

protected:
    void FormShow() override { FormCreate(); }
};

extern TForm8 *Form8;
