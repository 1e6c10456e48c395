#pragma once
// The tester window: one test of 30 questions drawn from the question bank.
#include "common/Form.h"
#include "common/SpeedButton.h"
#include "data/Query.h"
#include "testing/TestRun.h"

#include <QLabel>
#include <QList>
#include <QStringList>
#include <memory>

class QFrame;
class QPlainTextEdit;

class TForm2 : public TForm {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;

    // The seven column statements over the bank, opened while the window loads.
    std::unique_ptr<data::Query> ADOQuery1, ADOQuery2, ADOQuery3, ADOQuery4, ADOQuery5, ADOQuery6, ADOQuery7;
    // The store-result statement, built afresh at every hand-in.
    std::unique_ptr<data::Query> ADOQuery8;

    QFrame *Panel1; // question bar
    QFrame *Panel2; // second strip
    QFrame *Panel4; // answer bar
    QFrame *Panel5; // status area
    QLabel *Label1; // CurrentLogin
    TSpeedButton *sSpeedButton3; // "Сдать анкету"
    QPlainTextEdit *Memo1;

    // Rebuilt at every start; the earlier ones are destroyed.
    QList<TSpeedButton *> QuestionButtons; // "1" … "30"
    QList<TSpeedButton *> AnswerButtons;   // "A" … "E"

    // The bank as read at the start of the test; position k is the same row in all.
    QStringList QuestionList;
    QStringList AnswerList1, AnswerList2, AnswerList3, AnswerList4, AnswerList5;
    QStringList RightAnswerList;

    testrun::Draw DrawnQuestion{};
    testrun::Answers ChosenAnswer{};
    quint8 CorrectCount = 0;

public slots:
    void FormCreate();        // Start test
    void Button1Click();      // Load bank lists
    void SpeedButton1Click(); // Show question
    void SpeedButton2Click(); // Record answer
    void sSpeedButton3Click(); // Hand in

    // False while the last start failed: then there is no test to answer or hand in.
    bool testStarted() const { return started_; }

protected:
    void FormShow() override { FormCreate(); }

private:
    int downQuestion() const; // 1 … 30, or 0 when none is down
    int downAnswer() const;   // 1 … 5, or 0
    void colourAnswers();
    void abandonTest();

    bool started_ = false;
};

extern TForm2 *Form2;
