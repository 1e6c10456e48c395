#pragma once
// The results window: a grid of stored test results, filled by the test menu.
#include "common/Form.h"
#include "data/DataSet.h"

class TForm6 : public TForm {
    Q_OBJECT
public:
    explicit TForm6(QWidget *parent = nullptr);
    ~TForm6() override;

    data::DataSet *ADOQuery1;
};

extern TForm6 *Form6;
