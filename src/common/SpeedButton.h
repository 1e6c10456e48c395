#pragma once
// A button with a picture and a grouped down state. Buttons with the same group
// form a radio row: at most one is down; a press puts the button down, releases
// the others and then runs its action (the clicked signal) with the new state in
// place; pressing the down button runs the action again; setting the state from
// code runs nothing.
#include <QToolButton>

class TSpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget *parent = nullptr);

    // 0: an ordinary push button outside any group.
    void setGroupIndex(int group);
    int groupIndex() const { return group_; }

    bool Down() const { return group_ != 0 && isChecked(); }
    // Sets the down state from code; releases the others of the group; no action runs.
    void setDownState(bool down);

protected:
    void nextCheckState() override;

private:
    void releaseOthers();
    int group_ = 0;
};
