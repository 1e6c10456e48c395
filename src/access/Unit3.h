#pragma once
// The login window: the only way into the program.
#include "common/Form.h"
#include "data/Query.h"

#include <memory>

class TForm3 : public TForm {
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);
    ~TForm3() override;

    std::unique_ptr<data::Query> ADOQuery1; // logins
    std::unique_ptr<data::Query> ADOQuery2; // passwords
};

extern TForm3 *Form3;
