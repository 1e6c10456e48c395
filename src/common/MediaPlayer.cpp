#include "MediaPlayer.h"
#include "Errors.h"

#include <QAudioOutput>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMediaPlayer>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVideoWidget>

namespace ui {

namespace {

// How long an open may take before the user is told the player did not answer.
constexpr int kOpenTimeoutMs = 20000;

QString mediaErrorText(QMediaPlayer::Error error, const QString &file)
{
    const QString name = QFileInfo(file).fileName().isEmpty() ? file : QFileInfo(file).fileName();
    switch (error) {
    case QMediaPlayer::FormatError:
        return QStringLiteral("Файл «%1» не удаётся воспроизвести: его формат не поддерживается или файл "
                              "повреждён. Выберите видеофайл AVI, WMV или MPG")
            .arg(name);
    case QMediaPlayer::NetworkError:
        return QStringLiteral("Файл «%1» недоступен по сети. Проверьте подключение и повторите").arg(name);
    case QMediaPlayer::AccessDeniedError:
        return QStringLiteral("Нет прав на чтение файла «%1». Попросите администратора открыть доступ к нему")
            .arg(name);
    case QMediaPlayer::ResourceError:
    default:
        return QStringLiteral("Файл «%1» не удаётся открыть: он не найден, недоступен или его формат не "
                              "поддерживается. Проверьте файл или выберите другой")
            .arg(name);
    }
}

class QtMediaPlayer final : public MediaPlayer {
public:
    explicit QtMediaPlayer(QWidget *parent) : MediaPlayer(parent)
    {
        setFixedSize(57, 30);
        auto *row = new QHBoxLayout(this);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(1);
        play_ = makeButton("btPlay", QStyle::SP_MediaPlay, QStringLiteral("Воспроизвести"));
        stop_ = makeButton("btStop", QStyle::SP_MediaStop, QStringLiteral("Остановить"));
        row->addWidget(play_);
        row->addWidget(stop_);
        connect(play_, &QToolButton::clicked, this, [this] { Play(); });
        connect(stop_, &QToolButton::clicked, this, [this] { Stop(); });
        setFocusProxy(play_);

        player_ = new QMediaPlayer(this);
        audio_ = new QAudioOutput(this);
        player_->setAudioOutput(audio_);
        connect(player_, &QMediaPlayer::playbackStateChanged, this, [this] { updateButtons(); });
        connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this] { updateButtons(); });
        updateButtons();
    }

    void setFileName(const QString &name) override { fileName_ = name; }
    QString fileName() const override { return fileName_; }

    void Open() override
    {
        Close();
        const QString file = fileName_;
        if (file.isEmpty())
            throw AppError(QStringLiteral("Не указан файл для воспроизведения. Выберите запись в списке"));
        if (!QFileInfo(file).isFile())
            throw AppError(QStringLiteral("Файл «%1» не найден. Проверьте, что он не перемещён и не удалён, "
                                          "или попросите администратора исправить запись")
                               .arg(file));
        ensureVideo();
        player_->setVideoOutput(video_);

        // The open waits for completion: the window sizes the picture right after it.
        QEventLoop loop;
        QTimer guard;
        guard.setSingleShot(true);
        bool timedOut = false;
        connect(&guard, &QTimer::timeout, &loop, [&] {
            timedOut = true;
            loop.quit();
        });
        auto settled = [this] {
            const auto s = player_->mediaStatus();
            return player_->error() != QMediaPlayer::NoError || s == QMediaPlayer::LoadedMedia ||
                   s == QMediaPlayer::BufferedMedia || s == QMediaPlayer::InvalidMedia ||
                   s == QMediaPlayer::EndOfMedia;
        };
        auto check = [&] {
            if (settled())
                loop.quit();
        };
        const auto c1 = connect(player_, &QMediaPlayer::mediaStatusChanged, &loop, check);
        const auto c2 = connect(player_, &QMediaPlayer::errorOccurred, &loop, check);
        player_->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
        if (!settled()) {
            guard.start(kOpenTimeoutMs);
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
        disconnect(c1);
        disconnect(c2);

        const QMediaPlayer::Error error = player_->error();
        if (timedOut || error != QMediaPlayer::NoError || player_->mediaStatus() == QMediaPlayer::InvalidMedia) {
            Close();
            if (timedOut)
                throw AppError(QStringLiteral("Файл «%1» не открылся: проигрыватель не ответил. Повторите "
                                              "попытку или выберите другой файл")
                                   .arg(QFileInfo(file).fileName()));
            throw AppError(mediaErrorText(error == QMediaPlayer::NoError ? QMediaPlayer::FormatError : error, file));
        }
        open_ = true;
        hasVideo_ = player_->hasVideo();
        video_->setVisible(hasVideo_);
        if (hasVideo_)
            video_->raise();
        updateButtons();
    }

    void Close() override
    {
        open_ = false;
        hasVideo_ = false;
        player_->stop();
        player_->setSource(QUrl());
        if (video_)
            video_->hide();
        updateButtons();
    }

    bool hasVideo() const override { return hasVideo_; }

    void setDisplay(QWidget *panel) override
    {
        display_ = panel;
        if (video_ && video_->parentWidget() != panel) {
            video_->setParent(panel);
            video_->setVisible(hasVideo_ && panel);
        }
    }

    void setDisplayRect(const QRect &rect) override
    {
        if (video_ && hasVideo_)
            video_->setGeometry(rect);
    }

    void Play() override
    {
        if (!open_)
            return;
        if (player_->mediaStatus() == QMediaPlayer::EndOfMedia)
            player_->setPosition(0);
        player_->play();
        updateButtons();
    }

    void Stop() override
    {
        if (!open_)
            return;
        player_->pause();
        updateButtons();
    }

    Mode mode() const override
    {
        if (!open_)
            return Mode::NotOpen;
        return player_->playbackState() == QMediaPlayer::PlayingState ? Mode::Playing : Mode::Stopped;
    }

private:
    QToolButton *makeButton(const char *name, QStyle::StandardPixmap icon, const QString &text)
    {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(style()->standardIcon(icon));
        b->setText(text);
        b->setToolTip(text);
        b->setAccessibleName(text);
        b->setFocusPolicy(Qt::StrongFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        return b;
    }

    void ensureVideo()
    {
        if (video_)
            return;
        video_ = new QVideoWidget(display_);
        video_->setObjectName(QStringLiteral("VideoWidget"));
        video_->setAccessibleName(QStringLiteral("Изображение видео"));
        video_->setAspectRatioMode(Qt::IgnoreAspectRatio);
        video_->hide();
    }

    void updateButtons()
    {
        const Mode m = mode();
        play_->setEnabled(m == Mode::Stopped);
        stop_->setEnabled(m == Mode::Playing);
    }

    QToolButton *play_;
    QToolButton *stop_;
    QMediaPlayer *player_;
    QAudioOutput *audio_;
    QVideoWidget *video_ = nullptr;
    QWidget *display_ = nullptr;
    QString fileName_;
    bool open_ = false;
    bool hasVideo_ = false;
};

MediaPlayerFactory &factory()
{
    static MediaPlayerFactory f;
    return f;
}

} // namespace

MediaPlayer *createMediaPlayer(QWidget *parent)
{
    if (factory())
        return factory()(parent);
    return new QtMediaPlayer(parent);
}

void setMediaPlayerFactory(MediaPlayerFactory f) { factory() = std::move(f); }

} // namespace ui
