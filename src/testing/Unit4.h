#pragma once
// The question editor: the administrator maintains the question bank here.
#include "common/Form.h"
#include "data/DataSet.h"

class QFrame;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TDBEdit;
class TDBMemo;
class TDBNavigator;

class TForm4 : public TForm {
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);
    ~TForm4() override;

    data::DataSet *ADOQuery1; // the editor query: every bound field and the navigator show its current row

    QFrame *sPanel2;
    QLabel *sLabel1; // "Вопрос"
    TDBMemo *sDBMemo1;
    QLabel *sLabel2; // "Вариант А"
    TDBMemo *sDBMemo2;
    QLabel *sLabel3; // "Вариант B"
    TDBMemo *sDBMemo3;
    QLabel *sLabel4; // "Вариант C"
    TDBMemo *sDBMemo4;
    QLabel *sLabel5; // "Вариант D"
    TDBMemo *sDBMemo5;
    QLabel *sLabel6; // "Вариант Е"
    TDBMemo *sDBMemo6;
    QLabel *sLabel7; // "Номер правильного ответа"
    TDBEdit *sDBEdit1;
    TDBNavigator *sDBNavigator1;
    QGroupBox *sGroupBox1; // "Поиск"
    QLabel *sLabel8;
    QPlainTextEdit *sMemo1; // the search box
    QPushButton *sButton1;  // "Найти"
    QPushButton *sButton2;  // "Все записи"
    QPushButton *sButton3;  // "Выход"

public slots:
    void sButton1Click();
    void sButton2Click();
    void sButton3Click();

private:
    void postPendingChange();
};

extern TForm4 *Form4;

// The Like pattern of a search: the search box's whole text, line breaks
// included, between two "%".
QString questionSearchPattern(const QString &searchText);
