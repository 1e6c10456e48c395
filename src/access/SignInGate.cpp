#include "SignInGate.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace signin {

SignInGate &signInGate()
{
    static SignInGate gate;
    return gate;
}

void SignInGate::close(QWidget *loginWindow)
{
    login_ = loginWindow;
    if (!closed_ && qApp)
        qApp->installEventFilter(this);
    closed_ = true;
}

void SignInGate::open()
{
    if (closed_ && qApp)
        qApp->removeEventFilter(this);
    closed_ = false;
}

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
        return true;
    default:
        return false;
    }
}

} // namespace

bool SignInGate::allowed(const QWidget *target) const
{
    for (const QWidget *top = target->window(); top;
         top = top->parentWidget() ? top->parentWidget()->window() : nullptr) {
        // The login window and whatever it raises (its message boxes).
        if (top == login_)
            return true;
        // A modal box blocks every other window anyway (an error at start-up, say);
        // holding it back as well would leave nothing that answers.
        if (top->isModal())
            return true;
    }
    return false;
}

bool SignInGate::eventFilter(QObject *watched, QEvent *event)
{
    if (!closed_ || !isUserInput(event->type()) || !watched->isWidgetType())
        return false;
    return !allowed(static_cast<QWidget *>(watched));
}

} // namespace signin
