#include "DocumentViewer.h"
#include "OfficeConverter.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QShowEvent>
#include <QThread>
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
        // What the viewer says while an office document converts, or why it
        // cannot be shown; a label, so it needs no engine and a screen reader reads it.
        status_ = new QLabel(this);
        status_->setObjectName(QStringLiteral("DocumentStatus"));
        status_->setAccessibleName(QStringLiteral("Состояние документа"));
        status_->setAlignment(Qt::AlignCenter);
        status_->setWordWrap(true);
        status_->setTextFormat(Qt::PlainText);
        status_->setMargin(24);
        status_->hide();
        layout->addWidget(status_);
    }

    void navigate(const QString &address) override
    {
        ++request_;
        const QUrl url = documentUrl(address);
        if (url.isLocalFile() && office::isOfficeDocument(url.toLocalFile()))
            convertThenLoad(url.toLocalFile());
        else
            load(url);
    }

protected:
    void showEvent(QShowEvent *event) override
    {
        DocumentViewer::showEvent(event);
        if (!view_)
            startEngine();
    }

private:
    void load(const QUrl &url)
    {
        status_->hide();
        pending_ = url;
        if (view_) {
            view_->show();
            view_->load(pending_);
        } else if (isVisible()) {
            startEngine();
        }
    }

    void say(const QString &text)
    {
        if (view_)
            view_->hide();
        status_->setText(text);
        status_->show();
    }

    // The conversion runs on a thread of its own so that the window stays alive;
    // only the answer to the latest request is shown.
    void convertThenLoad(const QString &path)
    {
        say(QStringLiteral("Документ «%1» преобразуется для показа, подождите…").arg(QFileInfo(path).fileName()));
        const quint64 request = request_;
        QPointer<WebEngineViewer> self(this);
        std::shared_ptr<office::Converter> converter = office::converter();
        QThread *worker = QThread::create([self, converter, path, request] {
            const office::Conversion result = converter->convert(path);
            QMetaObject::invokeMethod(
                qApp,
                [self, result, request] {
                    if (self && self->request_ == request) {
                        if (result.error.isEmpty())
                            self->load(QUrl::fromLocalFile(result.pdf));
                        else
                            self->say(result.error);
                    }
                },
                Qt::QueuedConnection);
        });
        connect(worker, &QThread::finished, worker, &QObject::deleteLater);
        worker->start();
    }

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
        view_->setVisible(!status_->isVisible());
        if (!pending_.isEmpty())
            view_->load(pending_);
    }

    QWebEngineView *view_ = nullptr;
    QLabel *status_ = nullptr;
    QUrl pending_;
    quint64 request_ = 0;
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
