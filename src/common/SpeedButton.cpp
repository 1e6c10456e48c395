#include "SpeedButton.h"

TSpeedButton::TSpeedButton(QWidget *parent) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setFocusPolicy(Qt::StrongFocus);
    setAutoRaise(false);
}

void TSpeedButton::setGroupIndex(int group)
{
    group_ = group;
    setCheckable(group != 0);
}

void TSpeedButton::releaseOthers()
{
    if (group_ == 0 || !parentWidget())
        return;
    const auto siblings = parentWidget()->findChildren<TSpeedButton *>(QString(), Qt::FindDirectChildrenOnly);
    for (TSpeedButton *b : siblings)
        if (b != this && b->group_ == group_ && b->isChecked())
            b->setChecked(false);
}

void TSpeedButton::setDownState(bool down)
{
    if (group_ == 0)
        return;
    if (down)
        releaseOthers();
    setChecked(down);
}

void TSpeedButton::nextCheckState()
{
    if (group_ == 0)
        return;
    releaseOthers();
    setChecked(true);
}
