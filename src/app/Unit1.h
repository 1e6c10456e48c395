#pragma once
// The main window: the hub from which every other window is reached. It owns the
// one database connection and the user badge that holds the signed-in login.
#include "common/Form.h"
#include "common/SpeedButton.h"

#include <QLabel>

namespace data {
class Connection;
}

class QFrame;

// A picture box that stretches its picture over the whole box.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget *parent = nullptr) : QWidget(parent) {}
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QPixmap picture_;
};

class TForm1 : public TForm {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    data::Connection *ADOConnection1;
    TImage *img1;
    TSpeedButton *sSpeedButton6; // "Справка"
    TSpeedButton *sSpeedButton7; // "О программе"
    QFrame *sPanel4;             // the section bar
    QLabel *sPanel1;             // the user badge: CurrentLogin
    TSpeedButton *sSpeedButton1; // "Теория"
    TSpeedButton *sSpeedButton2; // "Практика"
    TSpeedButton *sSpeedButton3; // "Видео"
    TSpeedButton *sSpeedButton4; // "Тест"
    TSpeedButton *sSpeedButton5; // "Пользователи"

    // Whole-window transparency: on with level 0 is fully transparent, off opaque.
    void setAlphaBlend(bool on, int level = 255);
    bool AlphaBlend() const { return alphaBlend_; }
    int AlphaBlendValue() const { return alphaValue_; }

    // The login shown on the badge.
    QString currentLogin() const { return sPanel1->text(); }

public slots:
    void sSpeedButton1Click();
    void sSpeedButton2Click();
    void sSpeedButton3Click();
    void sSpeedButton4Click();
    void sSpeedButton5Click();
    void sSpeedButton6Click();
    void sSpeedButton7Click();

protected:
    void FormShow() override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool alphaBlend_ = false;
    int alphaValue_ = 255;
};

extern TForm1 *Form1;

// CurrentLogin: the caption of the main window's user badge.
QString CurrentLogin();
