#pragma once
// The document viewer of the materials window: one operation, navigate to an
// address. The real viewer is a web engine view; the engine is heavy, so it starts
// only when the viewer is first on screen, and it then shows the last address it
// was asked for, as if it had been running all along.
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

namespace ui {

class DocumentViewer : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    // Shows the document at address: a local path (HTML with its pictures, PDF,
    // text, an image, an office document converted to PDF by LibreOffice) or a
    // URL. A missing file shows whatever the engine shows.
    virtual void navigate(const QString &address) = 0;
};

// What the viewer loads for an address: a path becomes a file URL (made absolute
// against the current working directory); an address with a network or file
// scheme is taken as the URL it is.
QUrl documentUrl(const QString &address);

using DocumentViewerFactory = std::function<DocumentViewer *(QWidget *parent)>;
// The viewer in force: the web engine unless a test installed its own factory.
DocumentViewer *createDocumentViewer(QWidget *parent);
// An empty factory restores the web engine.
void setDocumentViewerFactory(DocumentViewerFactory factory);

} // namespace ui
