#include "Startup.h"
#include "Unit1.h"
#include "Unit9.h"
#include "access/Unit3.h"
#include "common/Errors.h"
#include "common/Fonts.h"
#include "materials/Unit7.h"
#include "testing/Unit2.h"
#include "testing/Unit4.h"
#include "testing/Unit6.h"
#include "testing/Unit8.h"
#include "users/Unit5.h"

#include <QApplication>
#include <QIcon>

#include <unistd.h>

// The pictures live in the app library, which is static: its resources must be
// registered by name or the linker drops them.
static void initResources() { Q_INIT_RESOURCE(resources); }

namespace app {

void prepareEnvironment()
{
    // The document viewer shares OpenGL contexts with the widgets; this must be set
    // before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    // The engine's sandbox refuses to start for the superuser (a course machine set
    // up as root, a container); the viewer only shows local course files.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

void prepareApplication()
{
    initResources();
    QApplication::setApplicationName(QStringLiteral("Электронный учебник"));
    QApplication::setApplicationDisplayName(QStringLiteral("Электронный учебник"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/theory.png")));
    // Hidden windows stay alive for the whole run; only the main and the about
    // window end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    ui::installFontSubstitutions();
    ui::installRussianTranslations();
}

bool createForms()
{
    try {
        Form1 = new TForm1;
        Form2 = new TForm2;
        Form3 = new TForm3;
        Form4 = new TForm4;
        Form5 = new TForm5;
        Form6 = new TForm6;
        Form7 = new TForm7;
        Form8 = new TForm8;
        Form9 = new TForm9;
        return true;
    } catch (const AppError &e) {
        ui::showErrorBox(nullptr, e.text());
    } catch (const std::exception &e) {
        ui::showErrorBox(nullptr, QString::fromUtf8(e.what()));
    }
    destroyForms();
    return false;
}

void destroyForms()
{
    // Reverse order of creation: every window's statements go before the
    // connection, which goes with the main window.
    delete Form9;
    delete Form8;
    delete Form7;
    delete Form6;
    delete Form5;
    delete Form4;
    delete Form3;
    delete Form2;
    delete Form1;
    Form9 = nullptr;
    Form8 = nullptr;
    Form7 = nullptr;
    Form6 = nullptr;
    Form5 = nullptr;
    Form4 = nullptr;
    Form3 = nullptr;
    Form2 = nullptr;
    Form1 = nullptr;
}

int run(int argc, char **argv)
{
    prepareEnvironment();
    QApplication application(argc, argv);
    prepareApplication();
    if (!createForms())
        return 1;
    Form1->show();
    const int code = QApplication::exec();
    destroyForms();
    return code;
}

} // namespace app
