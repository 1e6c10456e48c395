#pragma once
// Reads the manual's source, kept in Halibut's markup so that Halibut can still
// make HTML or text of it: \title, \C/\H/\S sections, paragraphs, \b bullets,
// \e (italic), \s (bold), \c, \q, \i and \I index terms. Halibut's own WinHelp
// output drops Cyrillic, so the .hlp is made from this by our writer.
#include "WinHelpFile.h"

namespace help {

// Throws WinHelpError (Damaged) with the line number on bad markup.
HelpDocument parseHelpSource(const QString &source);

} // namespace help
