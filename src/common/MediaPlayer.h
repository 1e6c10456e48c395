#pragma once
// The media player of the materials window. The widget itself is the player bar
// (Play and Stop only); the picture goes to a display panel given by the window,
// at a rectangle fixed when the file is opened.
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

namespace ui {

class MediaPlayer : public QWidget {
    Q_OBJECT
public:
    enum class Mode { NotOpen, Stopped, Playing };

    using QWidget::QWidget;

    virtual void setFileName(const QString &name) = 0;
    virtual QString fileName() const = 0;
    // Closes the file opened before, then opens fileName() and waits until the
    // media layer knows what it holds. Throws AppError with a Russian text when the
    // file cannot be opened; Play and Stop then stay unavailable.
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual bool hasVideo() const = 0;
    // Where the picture is shown; an open file with video moves there at once.
    virtual void setDisplay(QWidget *panel) = 0;
    // The picture's place inside the display panel; it keeps it when the panel resizes.
    virtual void setDisplayRect(const QRect &rect) = 0;
    // The bar's buttons. Play after the end starts again from the beginning; Stop
    // halts where playback is. Neither reports errors.
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual Mode mode() const = 0;
};

using MediaPlayerFactory = std::function<MediaPlayer *(QWidget *parent)>;
// The player in force: QtMultimedia unless a test installed its own factory.
MediaPlayer *createMediaPlayer(QWidget *parent);
// An empty factory restores QtMultimedia.
void setMediaPlayerFactory(MediaPlayerFactory factory);

} // namespace ui
