#include "Unit7.h"
#include "app/Unit1.h"
#include "common/Errors.h"
#include "common/Dialogs.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

TForm7 *Form7 = nullptr;
quint8 MaterialSection = 0;

TForm7::TForm7(QWidget *parent) : TForm(parent)
{
    setObjectName(QStringLiteral("Form7"));
    data::Connection &c = *Form1->ADOConnection1;
    buildControls();
    ADOQuery1 = std::make_unique<data::Query>(c);
    ADOQuery2 = std::make_unique<data::Query>(c);
    ADOQuery2->addLine(QStringLiteral("select * from Лекции"));
    ADOQuery2->Open();
    ADOQuery3 = std::make_unique<data::Query>(c);
    ADOQuery3->addLine(QStringLiteral("select * from Лабы"));
    ADOQuery3->Open();
    ADOQuery4 = std::make_unique<data::Query>(c);
    ADOQuery4->addLine(QStringLiteral("select * from Видео"));
    ADOQuery4->Open();
    for (int n = 1; n <= 3; ++n) {
        const materials::Section *s = materials::section(n);
        // A list bound to a missing column fails while the window loads, like its query.
        sectionQuery(n)->requireFields({s->nameField, s->addressField}, s->table);
        sectionList(n)->setListSource(sectionQuery(n), s->table, s->nameField, s->addressField);
    }
    FormCreate();
}

TForm7::~TForm7()
{
    if (Form7 == this)
        Form7 = nullptr;
}

void TForm7::buildControls()
{
    resize(776, 480);
    setWindowState(Qt::WindowMaximized);

    auto *root = new QHBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(345);
    auto *left = new QVBoxLayout(Panel1);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);

    // Fixed places: the search group keeps its place while the editing group is hidden.
    Panel2 = new QWidget(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(120);
    left->addWidget(Panel2);

    sGroupBox1 = new QGroupBox(QStringLiteral("Редактирование"), Panel2);
    sGroupBox1->setObjectName(QStringLiteral("sGroupBox1"));
    sGroupBox1->setGeometry(4, 4, 185, 112);
    sGroupBox1->hide();
    sButton3 = new QPushButton(QStringLiteral("Добавить"), sGroupBox1);
    sButton3->setObjectName(QStringLiteral("sButton3"));
    sButton3->setGeometry(16, 28, 153, 33);
    sButton4 = new QPushButton(QStringLiteral("Удалить"), sGroupBox1);
    sButton4->setObjectName(QStringLiteral("sButton4"));
    sButton4->setGeometry(16, 68, 153, 33);

    sGroupBox2 = new QGroupBox(QStringLiteral("Поиск"), Panel2);
    sGroupBox2->setObjectName(QStringLiteral("sGroupBox2"));
    sGroupBox2->setGeometry(192, 4, 151, 112);
    sGroupBox2->hide();
    sButton1 = new QPushButton(QStringLiteral("Найти"), sGroupBox2);
    sButton1->setObjectName(QStringLiteral("sButton1"));
    sButton1->setGeometry(12, 28, 127, 33);
    sButton2 = new QPushButton(QStringLiteral("Все записи"), sGroupBox2);
    sButton2->setObjectName(QStringLiteral("sButton2"));
    sButton2->setGeometry(12, 68, 127, 33);
    for (QPushButton *b : {sButton3, sButton4, sButton1, sButton2})
        b->setAccessibleName(b->text());
    sButton3->setAccessibleDescription(QStringLiteral("Добавить запись в текущий раздел"));
    sButton4->setAccessibleDescription(QStringLiteral("Удалить выбранную запись текущего раздела"));
    sButton1->setAccessibleDescription(QStringLiteral("Показать записи, в названии которых есть текст"));
    sButton2->setAccessibleDescription(QStringLiteral("Показать все записи раздела"));

    // The three lists lie on top of one another; only the current section's shows.
    auto *listArea = new QWidget(Panel1);
    listArea->setObjectName(QStringLiteral("ListArea"));
    auto *stack = new QGridLayout(listArea);
    stack->setContentsMargins(0, 0, 0, 0);
    const char *listNames[3] = {"sDBLookupListBox1", "sDBLookupListBox2", "sDBLookupListBox3"};
    const QString accessible[3] = {QStringLiteral("Лекции"), QStringLiteral("Лабораторные работы"),
                                   QStringLiteral("Видео")};
    TDBLookupListBox *lists[3];
    for (int i = 0; i < 3; ++i) {
        lists[i] = new TDBLookupListBox(listArea);
        lists[i]->setObjectName(QLatin1String(listNames[i]));
        lists[i]->setAccessibleName(accessible[i]);
        lists[i]->setAccessibleDescription(QStringLiteral("Двойной щелчок или Enter открывает запись"));
        stack->addWidget(lists[i], 0, 0);
        lists[i]->setVisible(i == 0);
    }
    sDBLookupListBox1 = lists[0];
    sDBLookupListBox2 = lists[1];
    sDBLookupListBox3 = lists[2];
    left->addWidget(listArea, 1);
    root->addWidget(Panel1);

    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto *right = new QVBoxLayout(Panel3);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    Panel5 = new QWidget(Panel3);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setFixedHeight(41);
    right->addWidget(Panel5);
    MediaPlayer1 = ui::createMediaPlayer(Panel5);
    MediaPlayer1->setObjectName(QStringLiteral("MediaPlayer1"));
    MediaPlayer1->setAccessibleName(QStringLiteral("Проигрыватель"));
    MediaPlayer1->setGeometry(8, 5, 57, 30);
    MediaPlayer1->hide();

    auto *viewerArea = new QWidget(Panel3);
    viewerArea->setObjectName(QStringLiteral("ViewerArea"));
    auto *viewerStack = new QGridLayout(viewerArea);
    viewerStack->setContentsMargins(0, 0, 0, 0);
    WebBrowser1 = ui::createDocumentViewer(viewerArea);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setAccessibleName(QStringLiteral("Просмотр документа"));
    viewerStack->addWidget(WebBrowser1, 0, 0);
    Panel4 = new QFrame(viewerArea);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setAccessibleName(QStringLiteral("Видео"));
    Panel4->setFrameShape(QFrame::NoFrame);
    Panel4->setAutoFillBackground(true);
    QPalette dark = Panel4->palette();
    dark.setColor(QPalette::Window, Qt::black);
    Panel4->setPalette(dark);
    viewerStack->addWidget(Panel4, 0, 0);
    Panel4->raise();
    Panel4->hide();
    right->addWidget(viewerArea, 1);
    root->addWidget(Panel3, 1);

    setTabOrder(sButton3, sButton4);
    setTabOrder(sButton4, sButton1);
    setTabOrder(sButton1, sButton2);
    setTabOrder(sButton2, sDBLookupListBox1);
    setTabOrder(sDBLookupListBox1, sDBLookupListBox2);
    setTabOrder(sDBLookupListBox2, sDBLookupListBox3);
    setTabOrder(sDBLookupListBox3, MediaPlayer1);
    setTabOrder(MediaPlayer1, WebBrowser1);

    connect(sDBLookupListBox1, &TDBLookupListBox::DblClick, this, &TForm7::sDBLookupListBox1DblClick);
    connect(sDBLookupListBox2, &TDBLookupListBox::DblClick, this, &TForm7::sDBLookupListBox2DblClick);
    connect(sDBLookupListBox3, &TDBLookupListBox::DblClick, this, &TForm7::sDBLookupListBox3DblClick);
    connect(sButton1, &QPushButton::clicked, this, &TForm7::sButton1Click);
    connect(sButton2, &QPushButton::clicked, this, &TForm7::sButton2Click);
    connect(sButton3, &QPushButton::clicked, this, &TForm7::sButton3Click);
    connect(sButton4, &QPushButton::clicked, this, &TForm7::sButton4Click);
}

TDBLookupListBox *TForm7::sectionList(int number) const
{
    switch (number) {
    case 1: return sDBLookupListBox1;
    case 2: return sDBLookupListBox2;
    case 3: return sDBLookupListBox3;
    default: return nullptr;
    }
}

data::Query *TForm7::sectionQuery(int number) const
{
    switch (number) {
    case 1: return ADOQuery2.get();
    case 2: return ADOQuery3.get();
    case 3: return ADOQuery4.get();
    default: return nullptr;
    }
}

const materials::Section &TForm7::currentSection() const
{
    // The window becomes visible only with a section chosen, so this is a fault
    // of the program, not of the user.
    const materials::Section *s = materials::section(MaterialSection);
    if (!s)
        throw AppError(QStringLiteral("Раздел материалов не выбран. Откройте окно кнопкой «Теория», "
                                      "«Практика» или «Видео» главного окна"));
    return *s;
}

void TForm7::reopen(int number)
{
    sectionQuery(number)->Close();
    openSection(number);
}

void TForm7::openSection(int number)
{
    TDBLookupListBox *list = sectionList(number);
    try {
        sectionQuery(number)->Open();
    } catch (...) {
        // The query stays closed, so its list must not go on offering the old rows.
        list->reload();
        throw;
    }
    list->reload();
}

void TForm7::FormCreate()
{
    ui::runAction(this, [this] {
        Panel4->hide();
        const TSpeedButton *buttons[3] = {Form1->sSpeedButton1, Form1->sSpeedButton2, Form1->sSpeedButton3};
        for (int i = 0; i < 3; ++i) {
            if (!buttons[i]->Down())
                continue;
            const materials::Section *s = materials::section(i + 1);
            for (int n = 1; n <= 3; ++n)
                sectionList(n)->setVisible(n == s->number);
            setWindowTitle(s->caption);
            if (s->number == 3)
                Panel4->show();
            MaterialSection = s->number;
            sGroupBox2->show();
            break;
        }
        // The blank page of the folder we are in now, which may have moved since start-up.
        WebBrowser1->navigate(QDir::current().filePath(QStringLiteral("Clear.htm")));
        reopen(1);
        reopen(2);
        reopen(3);
        MediaPlayer1->hide();
        MediaPlayer1->setDisplay(Panel4);
    });
}

void TForm7::openDocument(TDBLookupListBox *list)
{
    ui::runAction(this, [this, list] {
        const QVariant key = list->keyValue();
        // Nothing selected yet: there is nothing to open.
        if (key.isNull())
            return;
        WebBrowser1->navigate(key.toString());
    });
}

void TForm7::sDBLookupListBox1DblClick() { openDocument(sDBLookupListBox1); }
void TForm7::sDBLookupListBox2DblClick() { openDocument(sDBLookupListBox2); }

void TForm7::sDBLookupListBox3DblClick()
{
    ui::runAction(this, [this] {
        const QVariant key = sDBLookupListBox3->keyValue();
        if (key.isNull())
            return;
        MediaPlayer1->show();
        MediaPlayer1->setFileName(key.toString());
        MediaPlayer1->Open();
        // The picture takes the panel's size of this moment and keeps it.
        if (MediaPlayer1->hasVideo())
            MediaPlayer1->setDisplayRect(QRect(0, 0, Panel4->contentsRect().width(), Panel4->contentsRect().height()));
    });
}

void TForm7::sButton1Click()
{
    ui::runAction(this, [this] {
        const QString text =
            ui::inputBox(this, QStringLiteral("Найти"), QStringLiteral("Введите имя, искомого файла"));
        const materials::Section &s = currentSection();
        data::Query *q = sectionQuery(s.number);
        q->Close();
        q->clearSQL();
        q->clearParameters();
        q->addLine(s.selectLine);
        q->addLine(s.findLine);
        q->setParameter(QStringLiteral("a"), QString(QLatin1Char('%') + text + QLatin1Char('%')));
        openSection(s.number);
    });
}

void TForm7::sButton2Click()
{
    ui::runAction(this, [this] {
        const materials::Section &s = currentSection();
        data::Query *q = sectionQuery(s.number);
        q->Close();
        q->clearSQL();
        q->clearParameters();
        q->addLine(s.selectLine);
        openSection(s.number);
    });
}

void TForm7::sButton3Click()
{
    ui::runAction(this, [this] {
        const materials::Section &s = currentSection();
        OpenDialog1.Filter = s.fileFilter;
        const QString path = OpenDialog1.Execute(this) ? OpenDialog1.FileName : QString();
        if (path.isEmpty()) {
            ui::showMessage(this, QStringLiteral("Не указано расположение файла!\nФайл не добавлен"));
            return;
        }
        const QString name =
            ui::inputBox(this, QStringLiteral("Добавить"), QStringLiteral("Введите имя, добавляемого файла"));
        if (name.isEmpty()) {
            ui::showMessage(this, QStringLiteral("Не указано имя файла!\nФайл не добавлен"));
            return;
        }
        ADOQuery1->Close();
        ADOQuery1->clearParameters();
        ADOQuery1->clearSQL();
        ADOQuery1->addLine(s.insertLine);
        ADOQuery1->addLine(QStringLiteral("values(:a1,:a2)"));
        ADOQuery1->setParameter(QStringLiteral("a1"), name);
        ADOQuery1->setParameter(QStringLiteral("a2"), path);
        ADOQuery1->ExecSQL();
        reopen(s.number);
    });
}

void TForm7::sButton4Click()
{
    ui::runAction(this, [this] {
        const materials::Section &s = currentSection();
        const QVariant key = sectionList(s.number)->keyValue();
        // An entry without an address cannot be told apart from the others; a null
        // key (nothing selected) is let through and matches no entry.
        if (!key.isNull() && key.toString().isEmpty())
            return;
        ADOQuery1->Close();
        ADOQuery1->clearParameters();
        ADOQuery1->clearSQL();
        ADOQuery1->addLine(s.deleteLine);
        ADOQuery1->addLine(s.deleteWhere);
        ADOQuery1->setParameter(QStringLiteral("a1"), key);
        ADOQuery1->ExecSQL();
        reopen(1);
        reopen(2);
        reopen(3);
    });
}
