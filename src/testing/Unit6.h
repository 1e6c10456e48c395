#pragma once
// The results window: a grid of stored test results, filled by the test menu.
#include "common/DBGrid.h"
#include "common/Form.h"
#include "data/DataSet.h"

class TForm6 : public TForm {
    Q_OBJECT
public:
    explicit TForm6(QWidget *parent = nullptr);
    ~TForm6() override;

    data::DataSet *ADOQuery1;
    TDBGrid *DBGrid1;

    // Only the administrator may change stored results; everybody else reads them.
    void setEditable(bool editable);
};

extern TForm6 *Form6;
