#pragma once
// The faces the windows name are not on Linux; they are mapped to installed faces
// with Cyrillic that look alike.
#include <QFont>

namespace ui {

void installFontSubstitutions();
// A font of the given face and character height in pixels.
QFont pixelFont(const QString &family, int pixels, bool bold = false);

// Loads Qt's own Russian translations so that standard buttons read Russian.
void installRussianTranslations();

} // namespace ui
