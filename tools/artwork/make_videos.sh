#!/usr/bin/env bash
# Encodes the frames written by make_artwork into the demo videos (see make_artwork.cpp).
# Usage: tools/artwork/make_videos.sh FRAMES_DIR   (run from the repo root)
set -euo pipefail
frames=${1:?FRAMES_DIR}
out=demo-content/video
mkdir -p "$out"
# MPEG-4 part 2 in AVI, 10 frames a second: 32 frames = 3.2 s.
gst-launch-1.0 -q multifilesrc location="$frames/binary/%03d.png" index=0 stop-index=31 \
  caps="image/png,framerate=10/1" ! pngparse ! pngdec ! videoconvert ! video/x-raw,format=I420 \
  ! avenc_mpeg4 bitrate=300000 ! avimux ! filesink location="$out/binary-count.avi"
# MPEG-1 video in an MPEG-1 system stream. MPEG-1 has no 10 frames a second, so
# videorate repeats pictures up to 25; mpeg2enc because avenc_mpeg1video in Debian 12
# rejects every frame rate.
gst-launch-1.0 -q multifilesrc location="$frames/and/%03d.png" index=0 stop-index=31 \
  caps="image/png,framerate=10/1" ! pngparse ! pngdec ! videoconvert ! videorate ! video/x-raw,format=I420,framerate=25/1 \
  ! mpeg2enc format=0 bitrate=400 ! mpegvideoparse ! avmux_mpeg ! filesink location="$out/logic-and.mpg"
for f in "$out"/binary-count.avi "$out"/logic-and.mpg; do
  gst-launch-1.0 -q filesrc location="$f" ! decodebin ! fakesink
  ls -l "$f"
done
