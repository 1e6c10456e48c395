#pragma once
// The materials window: one section of study material at a time.
#include "common/Form.h"
#include "data/Query.h"

#include <QGroupBox>
#include <memory>

class TForm7 : public TForm {
    Q_OBJECT
public:
    explicit TForm7(QWidget *parent = nullptr);
    ~TForm7() override;

    QGroupBox *sGroupBox1; // "Редактирование": the administrator's editing group
    std::unique_ptr<data::Query> ADOQuery1; // edit statement
    std::unique_ptr<data::Query> ADOQuery2; // lectures
    std::unique_ptr<data::Query> ADOQuery3; // labs
    std::unique_ptr<data::Query> ADOQuery4; // videos

public slots:
    void FormCreate();

protected:
    void FormShow() override { FormCreate(); }
};

extern TForm7 *Form7;
