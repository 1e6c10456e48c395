#pragma once
// While nobody has signed in, only the login window may take input. The main
// window stays on screen behind it (a compositor may draw it transparent, most
// desktops draw it plainly) and would otherwise answer clicks and keys: the users
// window with every password, a test stored under nobody's name. The gate holds
// back every mouse, keyboard, wheel, touch and shortcut event meant for any other
// window until it is opened again.
#include <QObject>
#include <QPointer>

class QWidget;

namespace signin {

class SignInGate : public QObject {
    Q_OBJECT
public:
    // Closes the gate: only loginWindow, the boxes it raises and modal boxes take input.
    void close(QWidget *loginWindow);
    // Opens it again after a successful sign-in.
    void open();
    bool isClosed() const { return closed_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool allowed(const QWidget *target) const;

    QPointer<QWidget> login_;
    bool closed_ = false;
};

// The program's one gate.
SignInGate &signInGate();

} // namespace signin
