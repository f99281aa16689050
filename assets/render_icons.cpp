// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes the drawings as files:
//   pelmora_render_icons --hicolor DIR   DIR/NxN/apps/pelmora.png for every size
//   pelmora_render_icons --ico FILE      one Windows icon file of all sizes
//   pelmora_render_icons --bitmaps DIR   every picture at ratios 1 and 2 and
//                                        every icon size, as the program carries
//                                        them: raw pixels (see assets/art.cpp)

#include "art_drawing.h"
#include "ico_file.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool fail(const QString& message)
{
    std::fprintf(stderr, "pelmora_render_icons: %s\n", qPrintable(message));
    return false;
}

bool writeHicolor(const QString& root)
{
    for (int side : pelmora::kIconSides) {
        const QString directory = QStringLiteral("%1/%2x%2/apps").arg(root).arg(side);
        if (!QDir().mkpath(directory))
            return fail(QStringLiteral("cannot create %1").arg(directory));
        const QString path = directory + QStringLiteral("/pelmora.png");
        if (!pelmora::drawIcon(side).save(path, "PNG"))
            return fail(QStringLiteral("cannot write %1").arg(path));
    }
    return true;
}

bool writeIco(const QString& path)
{
    std::vector<QImage> images;
    for (int side : pelmora::kIconSides)
        images.push_back(pelmora::drawIcon(side));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pelmora::icoFile(images)) < 0 || !file.flush())
        return fail(QStringLiteral("cannot write %1").arg(path));
    return true;
}

// Width and height as two little-endian 32-bit numbers, then the pixels,
// row by row, as 32-bit ARGB words in the machine's order.
bool writeRaw(const QImage& picture, const QString& path)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    QByteArray bytes;
    for (quint32 n : {quint32(image.width()), quint32(image.height())})
        for (int shift = 0; shift < 32; shift += 8)
            bytes.append(char(n >> shift & 0xff));
    for (int y = 0; y < image.height(); ++y)
        bytes.append(reinterpret_cast<const char*>(image.constScanLine(y)), image.width() * 4);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

bool writeBitmaps(const QString& directory)
{
    if (!QDir().mkpath(directory))
        return fail(QStringLiteral("cannot create %1").arg(directory));
    for (pelmora::Art art : pelmora::kAllArt) {
        for (int ratio : {1, 2}) {
            const QString path = QStringLiteral("%1/%2@%3x.argb")
                                     .arg(directory, QLatin1String(pelmora::artName(art)))
                                     .arg(ratio);
            if (!writeRaw(pelmora::drawArt(art, ratio), path))
                return fail(QStringLiteral("cannot write %1").arg(path));
        }
    }
    for (int side : pelmora::kIconSides) {
        const QString path = QStringLiteral("%1/icon-%2.argb").arg(directory).arg(side);
        if (!writeRaw(pelmora::drawIcon(side), path))
            return fail(QStringLiteral("cannot write %1").arg(path));
    }
    return true;
}

} // namespace

// Needs no application object: the drawings hold no text, so no fonts.
int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fputs("usage: pelmora_render_icons --hicolor DIR | --ico FILE | --bitmaps DIR\n", stderr);
        return 2;
    }
    const std::string mode = argv[1];
    const QString target = QString::fromLocal8Bit(argv[2]);
    if (mode == "--hicolor")
        return writeHicolor(target) ? 0 : 1;
    if (mode == "--ico")
        return writeIco(target) ? 0 : 1;
    if (mode == "--bitmaps")
        return writeBitmaps(target) ? 0 : 1;
    std::fputs("usage: pelmora_render_icons --hicolor DIR | --ico FILE | --bitmaps DIR\n", stderr);
    return 2;
}
