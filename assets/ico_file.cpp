// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ico_file.h"

#include <QBuffer>
#include <QDataStream>

#include <vector>

namespace pelmora {

namespace {

constexpr int kLargestBitmap = 48;
constexpr quint32 kHeaderSize = 6;
constexpr quint32 kEntrySize = 16;
constexpr quint32 kInfoHeaderSize = 40;

QByteArray pngData(const QImage& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

QByteArray bitmapData(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int side = image.width();
    const int maskStride = ((side + 31) / 32) * 4;

    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    // The height counts the colour rows and the mask rows together.
    out << kInfoHeaderSize << qint32(side) << qint32(2 * side) << quint16(1) << quint16(32)
        << quint32(0) << quint32(side * side * 4 + maskStride * side) << qint32(0) << qint32(0)
        << quint32(0) << quint32(0);
    for (int y = side - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < side; ++x)
            out << quint8(qBlue(row[x])) << quint8(qGreen(row[x])) << quint8(qRed(row[x]))
                << quint8(qAlpha(row[x]));
    }
    for (int y = side - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::vector<quint8> mask(maskStride, 0);
        for (int x = 0; x < side; ++x)
            if (qAlpha(row[x]) == 0)
                mask[x / 8] |= quint8(0x80 >> (x % 8));
        for (quint8 byte : mask)
            out << byte;
    }
    return data;
}

} // namespace

QByteArray icoFile(std::span<const QImage> images)
{
    std::vector<QByteArray> payloads;
    for (const QImage& image : images) {
        if (image.width() != image.height() || image.width() < 1 || image.width() > 256)
            return {};
        payloads.push_back(image.width() <= kLargestBitmap ? bitmapData(image) : pngData(image));
    }

    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(images.size());
    quint32 offset = kHeaderSize + kEntrySize * quint32(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int side = images[i].width();
        // A side of 256 is written as 0.
        out << quint8(side % 256) << quint8(side % 256) << quint8(0) << quint8(0) << quint16(1)
            << quint16(32) << quint32(payloads[i].size()) << offset;
        offset += quint32(payloads[i].size());
    }
    for (const QByteArray& payload : payloads)
        out.writeRawData(payload.constData(), int(payload.size()));
    return file;
}

} // namespace pelmora
