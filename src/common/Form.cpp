#include "Form.h"
#include "Errors.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

TForm::TForm(QWidget *parent) : QWidget(parent, Qt::Window) {}

void TForm::setClientSize(int width, int height, bool fixed)
{
    if (fixed)
        setFixedSize(width, height);
    else
        resize(width, height);
    centreOnScreen();
}

void TForm::centreOnScreen()
{
    if (QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect area = s->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void TForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        ui::runAction(this, [this] { FormShow(); });
}

void showForm(QWidget *window)
{
    if (!window)
        return;
    // Restoring a minimised window keeps it maximised when it was.
    if (window->isMinimized())
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}
