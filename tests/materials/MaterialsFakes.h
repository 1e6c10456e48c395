#pragma once
// Stand-ins for the document viewer and the media player that record what the
// materials window asks of them.
#include "common/DocumentViewer.h"
#include "common/Errors.h"
#include "common/MediaPlayer.h"

#include <QStringList>

class FakeViewer : public ui::DocumentViewer {
public:
    using DocumentViewer::DocumentViewer;
    void navigate(const QString &address) override { addresses << address; }
    QStringList addresses;
};

class FakePlayer : public ui::MediaPlayer {
public:
    using MediaPlayer::MediaPlayer;

    // Each call as "name:argument"; the bar's visibility is read by the tests.
    QStringList calls;
    QString failText; // when set, Open throws it
    bool video = true;
    QWidget *display = nullptr;

    void setFileName(const QString &name) override
    {
        calls << QStringLiteral("file:") + name;
        file_ = name;
    }
    QString fileName() const override { return file_; }
    void Open() override
    {
        calls << QStringLiteral("open");
        open_ = false;
        if (!failText.isEmpty())
            throw AppError(failText);
        open_ = true;
    }
    void Close() override { open_ = false; }
    bool hasVideo() const override { return open_ && video; }
    void setDisplay(QWidget *panel) override
    {
        calls << QStringLiteral("display");
        display = panel;
    }
    void setDisplayRect(const QRect &r) override
    {
        calls << QStringLiteral("rect:%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
    void Play() override {}
    void Stop() override {}
    Mode mode() const override { return open_ ? Mode::Stopped : Mode::NotOpen; }

private:
    QString file_;
    bool open_ = false;
};
