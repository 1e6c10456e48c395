#pragma once
// The question editor: the administrator maintains the question bank here.
#include "common/Form.h"
#include "data/DataSet.h"

class TForm4 : public TForm {
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);
    ~TForm4() override;

    data::DataSet *ADOQuery1;
};

extern TForm4 *Form4;
