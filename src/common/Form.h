#pragma once
// The common shape of the program's windows: one top-level window for the whole
// run, hidden (not destroyed) when the user closes it, with an on-show routine
// that runs each time it goes from hidden to visible.
#include <QWidget>

class TForm : public QWidget {
    Q_OBJECT
public:
    explicit TForm(QWidget *parent = nullptr);

    // Sets the client area and centres the window on the screen.
    void setClientSize(int width, int height, bool fixed);
    void centreOnScreen();

protected:
    // Runs each time the window goes from hidden to visible; errors are shown.
    virtual void FormShow() {}
    void showEvent(QShowEvent *event) override;
};

// Showing a window: make it visible (running its on-show routine when it was
// hidden) and bring it to the front; a visible window is only brought forward.
void showForm(QWidget *window);
