#include "Badge.h"

#include <QLabel>

namespace ui {

void setBadgeText(QLabel *badge, const QString &login)
{
    badge->setText(login);
    badge->setAccessibleName(QStringLiteral("Пользователь: ") + login);
}

} // namespace ui
