#include "HelpService.h"
#include "common/Errors.h"

namespace help {
namespace {
class PendingHelp final : public HelpService {
public:
    void showKeywordIndex(QWidget *owner, const QString &) override
    {
        ui::showErrorBox(owner, QStringLiteral("Справка пока недоступна"));
    }
};
HelpService *g_override = nullptr;
} // namespace

HelpService &helpService()
{
    static PendingHelp real;
    return g_override ? *g_override : real;
}

void setHelpService(HelpService *replacement) { g_override = replacement; }
} // namespace help
