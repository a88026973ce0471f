// The Qt side of presenting: the picture a window shows and how it is drawn into a client area.
// Every presenter draws through ComposeFrame, so an offscreen composition shows exactly what a
// window shows.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <QTransform>

#include <memory>
#include <string>
#include <vector>

#include "platform/video/VideoPresenter.h"
#include "platform/video/PlanarPicture.h"

namespace plat {

class BackBufferPresenter;

struct PresentedFrame {
  QImage picture;        // as presented (shared, never written afterwards)
  QRect source;          // the part of the picture shown: stretched, or with letterbox in proportion
  bool letterbox = false;
  bool whole = false;    // the picture is the whole client area as presented for it
  // Or, presented for a client area of size `client`: the samples, scaled to fill `target` of it
  // (black around it), and the on-screen texts drawn over them through `toClient`, which maps the
  // picture's pixels to the client area's. Shared, never written afterwards.
  std::shared_ptr<const PlanarPicture> samples;
  QRect target;
  QSize client;
  std::vector<OverlayText> texts;
  QTransform toClient;
};

// Draws the frame into the client rectangle: a whole client area of that size as it is, else the
// source stretched over all of it, or with letterbox in proportion between black bars; samples
// presented for a client area of that size are turned into pixels where they are drawn. Nothing
// presented: black. An empty client area draws nothing. Only the region's pixels need be drawn
// (the painter's clip is no larger).
void ComposeFrame(QPainter& painter, const QRect& client, const PresentedFrame& frame, const QRegion& region);

// What a window with a client area of this size shows of the presenter's last present.
QImage ComposeWindow(const BackBufferPresenter& presenter, const QSize& client);

// MD5 of a 32-bit picture's rows, 4 bytes B, G, R, X a pixel, in hex: the hash ffmpeg's frame
// hashes give the same picture converted to bgra.
std::string PictureHash(const QImage& picture);

}  // namespace plat
