#include "Fonts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ui {

void installFontSubstitutions()
{
    QFont::insertSubstitutions(QStringLiteral("Palatino Linotype"),
                               {QStringLiteral("P052"), QStringLiteral("TeX Gyre Pagella"), QStringLiteral("DejaVu Serif")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
}

QFont pixelFont(const QString &family, int pixels, bool bold)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void installRussianTranslations()
{
    static bool done = false;
    if (done || !QCoreApplication::instance())
        return;
    done = true;
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *name : {"qtbase_ru", "qtmultimedia_ru", "qtwebengine_ru"}) {
        auto *t = new QTranslator(QCoreApplication::instance());
        if (t->load(QString::fromLatin1(name), dir))
            QCoreApplication::installTranslator(t);
        else
            delete t;
    }
}

} // namespace ui
