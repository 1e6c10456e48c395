#pragma once
// The tester window: one test of 30 questions drawn from the question bank.
#include "common/Form.h"
#include "data/Query.h"

#include <memory>

class TForm2 : public TForm {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;

    // The seven column statements over the bank, opened while the window loads.
    std::unique_ptr<data::Query> ADOQuery1, ADOQuery2, ADOQuery3, ADOQuery4, ADOQuery5, ADOQuery6, ADOQuery7;

public slots:
    void FormCreate();

protected:
    void FormShow() override { FormCreate(); }
};

extern TForm2 *Form2;
