// Writes the program icon as files for installation:
//   pelmora_render_icons --hicolor DIR   DIR/NxN/apps/pelmora.png for every size
//   pelmora_render_icons --ico FILE      one Windows icon file of all sizes

#include "art.h"
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
        if (!pelmora::iconImage(side).save(path, "PNG"))
            return fail(QStringLiteral("cannot write %1").arg(path));
    }
    return true;
}

bool writeIco(const QString& path)
{
    std::vector<QImage> images;
    for (int side : pelmora::kIconSides)
        images.push_back(pelmora::iconImage(side));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pelmora::icoFile(images)) < 0 || !file.flush())
        return fail(QStringLiteral("cannot write %1").arg(path));
    return true;
}

} // namespace

// Needs no application object: the drawings hold no text, so no fonts.
int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fputs("usage: pelmora_render_icons --hicolor DIR | --ico FILE\n", stderr);
        return 2;
    }
    const std::string mode = argv[1];
    const QString target = QString::fromLocal8Bit(argv[2]);
    if (mode == "--hicolor")
        return writeHicolor(target) ? 0 : 1;
    if (mode == "--ico")
        return writeIco(target) ? 0 : 1;
    std::fputs("usage: pelmora_render_icons --hicolor DIR | --ico FILE\n", stderr);
    return 2;
}
