#include "DocumentViewer.h"

#include <QFileInfo>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace ui {

QUrl documentUrl(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    // A one-letter scheme is a Windows drive ("C:\…"), not a URL.
    if (url.isValid() && (scheme == u"http" || scheme == u"https" || scheme == u"file"))
        return url;
    if (address.isEmpty())
        return QUrl();
    return QUrl::fromLocalFile(QFileInfo(address).absoluteFilePath());
}

namespace {

class WebEngineViewer final : public DocumentViewer {
public:
    explicit WebEngineViewer(QWidget *parent) : DocumentViewer(parent)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        setFocusPolicy(Qt::StrongFocus);
    }

    void navigate(const QString &address) override
    {
        pending_ = documentUrl(address);
        if (view_)
            view_->load(pending_);
        else if (isVisible())
            startEngine();
    }

protected:
    void showEvent(QShowEvent *event) override
    {
        DocumentViewer::showEvent(event);
        if (!view_)
            startEngine();
    }

private:
    void startEngine()
    {
        view_ = new QWebEngineView(this);
        view_->setObjectName(QStringLiteral("WebEngineView"));
        view_->setAccessibleName(accessibleName());
        QWebEngineSettings *s = view_->settings();
        // PDF documents open in the engine's own viewer, which is a plugin.
        s->setAttribute(QWebEngineSettings::PluginsEnabled, true);
        s->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
        // Lectures are local pages that may link to pictures and other local files.
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
        layout()->addWidget(view_);
        setFocusProxy(view_);
        if (!pending_.isEmpty())
            view_->load(pending_);
    }

    QWebEngineView *view_ = nullptr;
    QUrl pending_;
};

DocumentViewerFactory &factory()
{
    static DocumentViewerFactory f;
    return f;
}

} // namespace

DocumentViewer *createDocumentViewer(QWidget *parent)
{
    if (factory())
        return factory()(parent);
    return new WebEngineViewer(parent);
}

void setDocumentViewerFactory(DocumentViewerFactory f) { factory() = std::move(f); }

} // namespace ui
