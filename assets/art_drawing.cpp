// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "art_drawing.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace pelmora {

namespace {

QString sourceOf(Art art)
{
    return QStringLiteral(":/art/%1.svg").arg(QLatin1String(artName(art)));
}

// Below this side the bell's fine outlines and spiky leaves blur into grey,
// so the small icons use a plainer drawing of the same bell.
constexpr int kDetailedIconSide = 48;

} // namespace

QImage drawArt(Art art, qreal devicePixelRatio)
{
    const ArtSize size = artSize(art);
    QImage image(static_cast<int>(std::ceil(size.width * devicePixelRatio)),
                 static_cast<int>(std::ceil(size.height * devicePixelRatio)), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::white);

    QSvgRenderer renderer(sourceOf(art));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size.width, size.height));
    return image;
}

QImage drawIcon(int side)
{
    const ArtSize bell = artSize(Art::Bell);
    // A whole number of rows, so the band edges are sharp and the bands
    // above and below are fully transparent.
    const int band = std::max(1, static_cast<int>(std::lround(double(side) * bell.height / bell.width)));
    const int top = (side - band) / 2;

    QImage square(side, side, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.fillRect(0, top, side, band, Qt::white);
    painter.setClipRect(0, top, side, band);
    painter.setRenderHint(QPainter::Antialiasing);
    QSvgRenderer renderer(side < kDetailedIconSide ? QStringLiteral(":/art/bell-small.svg")
                                                   : sourceOf(Art::Bell));
    renderer.render(&painter, QRectF(0, top, side, band));
    return square;
}

} // namespace pelmora
