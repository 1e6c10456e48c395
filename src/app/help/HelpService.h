#pragma once
// Stands in for the platform's help viewer: the main window asks it to open a help
// file at its keyword index with an empty partial keyword.
#include <QString>

class QWidget;

namespace help {

class HelpService {
public:
    virtual ~HelpService() = default;
    // Opens helpFile (a bare name is looked up in the working directory) at its
    // keyword index. Problems with the file are reported by the viewer itself, in
    // Russian; nothing is thrown to the caller.
    virtual void showKeywordIndex(QWidget *owner, const QString &helpFile) = 0;
};

// The service in force; tests may install their own (not owned, nullptr restores).
HelpService &helpService();
void setHelpService(HelpService *replacement);

} // namespace help
