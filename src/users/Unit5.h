#pragma once
// The users window: the administrator's tool for the accounts.
#include "common/Form.h"
#include "data/DataSet.h"

#include <memory>

class TForm5 : public TForm {
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);
    ~TForm5() override;

    data::DataSet *ADOTable1;               // the table view for the grid
    std::unique_ptr<data::Query> ADOQuery1; // the change statement
};

extern TForm5 *Form5;
