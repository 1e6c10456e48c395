#include "Unit2.h"
#include "app/Unit1.h"
#include "common/Badge.h"
#include "common/Dialogs.h"
#include "common/Errors.h"
#include "common/Fonts.h"
#include "data/Connection.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QStyleOptionToolButton>
#include <QStylePainter>

TForm2 *Form2 = nullptr;

namespace {

QFrame *makePanel(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *p = new QFrame(parent);
    p->setObjectName(QLatin1String(name));
    p->setFrameShape(QFrame::Panel);
    p->setFrameShadow(QFrame::Raised);
    p->setGeometry(geometry);
    return p;
}

void setCaptionColour(QWidget *w, const QColor &colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::ButtonText, colour);
    pal.setColor(QPalette::WindowText, colour);
    w->setPalette(pal);
}

// "Сдать анкету" in its bold 16-pixel font is wider than its 100-pixel button;
// on one line it would be cut at both ends, so the caption wraps instead.
class WrappingSpeedButton : public TSpeedButton {
public:
    using TSpeedButton::TSpeedButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter p(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        option.text.clear();
        p.drawComplexControl(QStyle::CC_ToolButton, option);
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(rect().adjusted(3, 3, -3, -3), Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, caption);
    }
};

} // namespace

TForm2::TForm2(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Тестер"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(ui::pixelFont(QStringLiteral("MS Sans Serif"), 11));
    data::Connection &c = *Form1->ADOConnection1;
    const char *columns[] = {"Вопрос", "Ответ1", "Ответ2", "Ответ3", "Ответ4", "Ответ5", "ОтветПр"};
    std::unique_ptr<data::Query> *queries[] = {&ADOQuery1, &ADOQuery2, &ADOQuery3, &ADOQuery4,
                                               &ADOQuery5, &ADOQuery6, &ADOQuery7};
    for (int i = 0; i < 7; ++i) {
        *queries[i] = std::make_unique<data::Query>(c);
        (*queries[i])->addLine(QStringLiteral("select %1 from БДТест").arg(QString::fromUtf8(columns[i])));
    }
    c.readTransaction([&] {
        for (auto *q : queries)
            (*q)->Open();
    });
    ADOQuery8 = std::make_unique<data::Query>(c);

    Panel1 = makePanel(this, "Panel1", QRect(0, 0, 1024, 41));
    Panel1->setAccessibleName(QStringLiteral("Вопросы"));
    Panel2 = makePanel(this, "Panel2", QRect(0, 41, 1024, 56));
    Panel4 = makePanel(Panel2, "Panel4", QRect(1, 1, 456, 54));
    Panel4->setAccessibleName(QStringLiteral("Варианты ответа"));
    Panel5 = makePanel(Panel2, "Panel5", QRect(457, 1, 566, 54));
    {
        // The system's inactive-caption gradient colour of the platform this window comes from.
        QPalette pal = Panel5->palette();
        pal.setColor(QPalette::Window, QColor(215, 228, 242));
        Panel5->setPalette(pal);
        Panel5->setAutoFillBackground(true);
    }

    Label1 = new QLabel(Panel5);
    Label1->setObjectName(QStringLiteral("Label1"));
    // A login is shown as typed, never read as markup.
    Label1->setTextFormat(Qt::PlainText);
    Label1->setFont(ui::pixelFont(QStringLiteral("MS Sans Serif"), 24, true));
    Label1->move(8, 12);

    sSpeedButton3 = new WrappingSpeedButton(Panel5);
    sSpeedButton3->setObjectName(QStringLiteral("sSpeedButton3"));
    sSpeedButton3->setText(QStringLiteral("Сдать анкету"));
    sSpeedButton3->setAccessibleName(QStringLiteral("Сдать анкету"));
    sSpeedButton3->setFont(ui::pixelFont(QStringLiteral("Arial"), 16, true));
    sSpeedButton3->setGeometry(400, 3, 100, 50);
    connect(sSpeedButton3, &QToolButton::clicked, this, &TForm2::sSpeedButton3Click);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Вопрос и варианты ответа"));
    Memo1->setGeometry(0, 97, 1024, 585);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    setClientSize(1024, 682, true);
    FormCreate();
}

TForm2::~TForm2()
{
    if (Form2 == this)
        Form2 = nullptr;
}

void TForm2::FormCreate()
{
    ChosenAnswer.fill(1);
    Memo1->clear();
    started_ = false;
    try {
        Button1Click();
    } catch (...) {
        // The bank could not be read: the window offers no test at all, neither
        // the earlier test's buttons nor a hand-in over empty lists.
        abandonTest();
        throw;
    }
    started_ = true;
    sSpeedButton3->setEnabled(true);
    DrawnQuestion = testrun::drawQuestions(int(QuestionList.size()));

    // Buttons of the earlier test go at once, so nothing can press them any more.
    qDeleteAll(QuestionButtons);
    QuestionButtons.clear();
    qDeleteAll(AnswerButtons);
    AnswerButtons.clear();

    QFont questionFont = font();
    questionFont.setBold(true);
    for (int i = 1; i <= testrun::kQuestions; ++i) {
        auto *b = new TSpeedButton(Panel1);
        b->setObjectName(QStringLiteral("QuestionButton%1").arg(i));
        b->setText(QString::number(i));
        b->setAccessibleName(QStringLiteral("Вопрос %1").arg(i));
        b->setFont(questionFont);
        b->setGroupIndex(1);
        b->setGeometry(30 * i - 25, 5, 30, 30);
        connect(b, &QToolButton::clicked, this, &TForm2::SpeedButton1Click);
        b->show();
        QuestionButtons << b;
    }
    const QFont answerFont = ui::pixelFont(font().family(), 27, true);
    for (int i = 1; i <= testrun::kAnswers; ++i) {
        auto *b = new TSpeedButton(Panel4);
        const QString letter(QChar(u'A' + (i - 1)));
        b->setObjectName(QStringLiteral("AnswerButton%1").arg(i));
        b->setText(letter);
        b->setAccessibleName(QStringLiteral("Ответ %1").arg(letter));
        b->setFont(answerFont);
        b->setGroupIndex(2);
        b->setGeometry(80 * i - 70, 2, 70, Panel4->height() - 4);
        connect(b, &QToolButton::clicked, this, &TForm2::SpeedButton2Click);
        b->show();
        AnswerButtons << b;
    }

    // Keyboard order follows the screen: questions, answers, hand-in, text.
    QWidget *previous = nullptr;
    for (QWidget *w : QuestionButtons + AnswerButtons) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    setTabOrder(previous, sSpeedButton3);
    setTabOrder(sSpeedButton3, Memo1);

    ui::setBadgeText(Label1, CurrentLogin());
    Label1->adjustSize();
}

void TForm2::abandonTest()
{
    qDeleteAll(QuestionButtons);
    QuestionButtons.clear();
    qDeleteAll(AnswerButtons);
    AnswerButtons.clear();
    for (QStringList *l : {&QuestionList, &AnswerList1, &AnswerList2, &AnswerList3, &AnswerList4, &AnswerList5,
                           &RightAnswerList})
        l->clear();
    DrawnQuestion = {};
    sSpeedButton3->setEnabled(false);
    Memo1->setPlainText(QStringLiteral("Тест не начат: вопросы не удалось прочитать из базы данных. "
                                       "Нажмите «Тестирование» ещё раз."));
    ui::setBadgeText(Label1, CurrentLogin());
    Label1->adjustSize();
}

void TForm2::Button1Click()
{
    QStringList *lists[] = {&QuestionList, &AnswerList1, &AnswerList2, &AnswerList3,
                            &AnswerList4,  &AnswerList5, &RightAnswerList};
    data::Query *queries[] = {ADOQuery1.get(), ADOQuery2.get(), ADOQuery3.get(), ADOQuery4.get(),
                              ADOQuery5.get(), ADOQuery6.get(), ADOQuery7.get()};
    for (QStringList *l : lists)
        l->clear();
    // Position k must be one bank row in all seven lists, so the seven reads see
    // one state of the bank.
    Form1->ADOConnection1->readTransaction([&] {
        for (data::Query *q : queries) {
            q->Close();
            q->Open();
        }
    });
    for (int k = 0; k < 7; ++k)
        for (queries[k]->First(); !queries[k]->Eof(); queries[k]->Next())
            *lists[k] << queries[k]->fieldAsText(0);
}

int TForm2::downQuestion() const
{
    for (int i = 0; i < QuestionButtons.size(); ++i)
        if (QuestionButtons.at(i)->Down())
            return i + 1;
    return 0;
}

int TForm2::downAnswer() const
{
    for (int i = 0; i < AnswerButtons.size(); ++i)
        if (AnswerButtons.at(i)->Down())
            return i + 1;
    return 0;
}

void TForm2::colourAnswers()
{
    for (TSpeedButton *b : std::as_const(AnswerButtons))
        setCaptionColour(b, b->Down() ? QColor(255, 0, 0) : QColor(0, 0, 0));
}

void TForm2::SpeedButton1Click()
{
    ui::runAction(this, [this] {
        const int i = downQuestion();
        if (i == 0)
            return;
        const int p = DrawnQuestion[i - 1];
        AnswerButtons.at(ChosenAnswer[i - 1] - 1)->setDownState(true);
        colourAnswers();
        Memo1->setPlainText(testrun::questionText(
            QuestionList, {&AnswerList1, &AnswerList2, &AnswerList3, &AnswerList4, &AnswerList5}, p));
    });
}

void TForm2::SpeedButton2Click()
{
    ui::runAction(this, [this] {
        const int i = downQuestion();
        const int a = downAnswer();
        if (i != 0 && a != 0)
            ChosenAnswer[i - 1] = quint8(a);
        colourAnswers();
    });
}

void TForm2::sSpeedButton3Click()
{
    ui::runAction(this, [this] {
        if (!started_)
            throw AppError(QStringLiteral("Тест не начат: вопросы не удалось прочитать из базы данных. "
                                          "Нажмите «Тестирование» ещё раз"));
        CorrectCount = 0;
        CorrectCount = testrun::score(RightAnswerList, DrawnQuestion, ChosenAnswer);
        // The result is stored before the score is shown: a failed store then shows
        // the engine's error instead of a score nobody kept, and ending the program
        // while the score is on screen loses nothing.
        ADOQuery8->Close();
        ADOQuery8->clearParameters();
        ADOQuery8->clearSQL();
        ADOQuery8->addLine(QStringLiteral("Insert into Тесты(Пользователь,Верно)"));
        ADOQuery8->addLine(QStringLiteral("values(:a1,:a2)"));
        ADOQuery8->setParameter(QStringLiteral("a1"), CurrentLogin());
        ADOQuery8->setParameter(QStringLiteral("a2"), QVariant::fromValue<quint8>(CorrectCount));
        ADOQuery8->ExecSQL();
        ui::showMessage(this, testrun::scoreMessage(CorrectCount));
        close();
    });
}
