// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "art.h"

#include "art_drawing.h"

#include <QResource>

namespace pelmora {

namespace {

// The pictures come ready-drawn at the ratios of nearly every screen, made
// from the vector sources when the program is built, as raw pixels: a
// picture is then copied, not drawn or decoded, which keeps the first frame
// quick. Each holds its width and height (little-endian 32-bit numbers) and
// then its ARGB words.
QImage readyDrawn(const QString& name, QImage::Format format)
{
    const QResource resource(name);
    if (!resource.isValid())
        return {};
    const QByteArray bytes = resource.uncompressedData();
    if (bytes.size() < 8)
        return {};
    const auto number = [&bytes](int at) {
        quint32 n = 0;
        for (int i = 3; i >= 0; --i)
            n = n << 8 | static_cast<quint8>(bytes[at + i]);
        return static_cast<qint64>(n);
    };
    const qint64 width = number(0), height = number(4);
    if (width <= 0 || height <= 0 || bytes.size() != 8 + width * height * 4)
        return {};
    return QImage(reinterpret_cast<const uchar*>(bytes.constData()) + 8, static_cast<int>(width),
                  static_cast<int>(height), static_cast<qsizetype>(width * 4), format)
        .copy();
}

} // namespace

QImage renderArt(Art art, qreal devicePixelRatio)
{
    if (devicePixelRatio == 1.0 || devicePixelRatio == 2.0) {
        QImage image = readyDrawn(QStringLiteral(":/bitmaps/%1@%2x.argb")
                                      .arg(QLatin1String(artName(art)))
                                      .arg(static_cast<int>(devicePixelRatio)),
                                  QImage::Format_RGB32);
        if (!image.isNull()) {
            image.setDevicePixelRatio(devicePixelRatio);
            return image;
        }
    }
    return drawArt(art, devicePixelRatio);
}

QImage iconImage(int side)
{
    const QImage image = readyDrawn(QStringLiteral(":/bitmaps/icon-%1.argb").arg(side), QImage::Format_ARGB32);
    return image.isNull() ? drawIcon(side) : image;
}

QIcon appIcon()
{
    QIcon icon;
    for (int side : kIconSides)
        icon.addPixmap(QPixmap::fromImage(iconImage(side)));
    return icon;
}

} // namespace pelmora
