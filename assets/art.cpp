#include "art.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace pelmora {

QImage renderArt(Art art, qreal devicePixelRatio)
{
    const ArtSize size = artSize(art);
    QImage image(static_cast<int>(std::ceil(size.width * devicePixelRatio)),
                 static_cast<int>(std::ceil(size.height * devicePixelRatio)), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::white);

    QSvgRenderer renderer(QStringLiteral(":/art/%1.svg").arg(QLatin1String(artName(art))));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size.width, size.height));
    return image;
}

QIcon appIcon()
{
    QIcon icon;
    for (int side : {16, 32, 48, 256}) {
        QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
        square.fill(Qt::transparent);
        const QImage bell = renderArt(Art::Bell, side / 100.0);
        QPainter painter(&square);
        const qreal height = side * artSize(Art::Bell).height / 100.0;
        painter.drawImage(QRectF(0, (side - height) / 2, side, height), bell);
        icon.addPixmap(QPixmap::fromImage(square));
    }
    return icon;
}

} // namespace pelmora
