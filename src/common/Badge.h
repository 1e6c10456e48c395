#pragma once
// A user badge: a label whose caption is the signed-in login. Screen readers are
// told who it is every time the caption changes; a fixed accessible name would
// hide the caption from them.
#include <QString>

class QLabel;

namespace ui {

// Sets the caption and the accessible name "Пользователь: <caption>".
void setBadgeText(QLabel *badge, const QString &login);

} // namespace ui
