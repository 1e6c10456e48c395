#pragma once
// The materials window: one section of study material at a time, with search,
// the document viewer, the media player and the administrator's editing group.
#include "LookupListBox.h"
#include "Materials.h"
#include "common/DocumentViewer.h"
#include "common/Form.h"
#include "common/MediaPlayer.h"
#include "data/Query.h"

#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <memory>

// The current section: 0 until the window is first shown, then 1 theory,
// 2 practice, 3 video. Only Configure (FormCreate) writes it.
extern quint8 MaterialSection;

class TForm7 : public TForm {
    Q_OBJECT
public:
    explicit TForm7(QWidget *parent = nullptr);
    ~TForm7() override;

    QWidget *Panel1;                     // left column
    QWidget *Panel2;                     // top strip of the left column
    QGroupBox *sGroupBox1;               // "Редактирование": the administrator's editing group
    QPushButton *sButton3;               // "Добавить"
    QPushButton *sButton4;               // "Удалить"
    QGroupBox *sGroupBox2;               // "Поиск"
    QPushButton *sButton1;               // "Найти"
    QPushButton *sButton2;               // "Все записи"
    TDBLookupListBox *sDBLookupListBox1; // lectures
    TDBLookupListBox *sDBLookupListBox2; // labs
    TDBLookupListBox *sDBLookupListBox3; // videos
    QWidget *Panel3;                     // right area
    QWidget *Panel5;                     // top strip of the right area, holds the player bar
    ui::MediaPlayer *MediaPlayer1;
    ui::DocumentViewer *WebBrowser1;
    QFrame *Panel4;                      // the video panel, in front of the viewer while visible
    materials::OpenDialog OpenDialog1;

    std::unique_ptr<data::Query> ADOQuery1; // edit statement
    std::unique_ptr<data::Query> ADOQuery2; // lectures
    std::unique_ptr<data::Query> ADOQuery3; // labs
    std::unique_ptr<data::Query> ADOQuery4; // videos

    // The list and the query of section 1, 2 or 3.
    TDBLookupListBox *sectionList(int number) const;
    data::Query *sectionQuery(int number) const;

public slots:
    void FormCreate();
    void sDBLookupListBox1DblClick();
    void sDBLookupListBox2DblClick();
    void sDBLookupListBox3DblClick();
    void sButton1Click();
    void sButton2Click();
    void sButton3Click();
    void sButton4Click();

protected:
    void FormShow() override { FormCreate(); }

private:
    void buildControls();
    void reopen(int number);
    void openSection(int number);
    void openDocument(TDBLookupListBox *list);
    const materials::Section &currentSection() const;
};

extern TForm7 *Form7;
