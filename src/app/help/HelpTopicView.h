#pragma once
// Lays out one help topic in a text document: paragraphs with their spacing and
// indents, fonts, tables, pictures, and hotspots as links. A link's address says
// what it does (see topicLink), so the window decides what a click means.
#include "WinHelpFile.h"

#include <QUrl>

class QTextDocument;

namespace help {

// "topic:N" for a jump, "popup:N" for a popup, "file:NAME" for a jump into
// another help file; empty when the hotspot leads nowhere this viewer can go
// (a context the file lacks, a macro: macros are shown, not run).
QUrl topicLink(const HelpLink &link);

// Replaces the document's contents with the topic. withTitle puts the title first
// (the main view does; a popup shows only the text).
void renderTopic(QTextDocument *document, const HelpDocument &doc, int topic, bool withTitle = true);

// Pixels for the half points of paragraph settings at the screen's 96 dpi.
inline qreal halfPointsToPixels(int halfPoints) { return halfPoints * 96.0 / 144.0; }

} // namespace help
