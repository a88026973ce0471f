// Drawing a picture's on-screen text: at the picture's own size through a device context, as the
// back buffer holds it, and over the picture shown at another scale, where each text lies on the
// scaled picture and is drawn at that scale.
#pragma once

#include <vector>

#include <QImage>
#include <QPainter>
#include <QTransform>

#include "platform/video/VideoPresenter.h"

class CDC;

namespace plat {

// Draws the texts with a transparent background, leaving the context's font as it was.
void DrawOverlayTexts(CDC& dc, const std::vector<OverlayText>& texts);

// Draws the texts into the image, each placed and sized through `toImage`, which maps the
// picture's pixels to the image's.
void DrawOverlayTexts(QImage& image, const QTransform& toImage, const std::vector<OverlayText>& texts);
// The same with a painter, `toDevice` mapping the picture's pixels to the painter's coordinates;
// the painter is left as it was.
void DrawOverlayTexts(QPainter& painter, const QTransform& toDevice, const std::vector<OverlayText>& texts);

}  // namespace plat
