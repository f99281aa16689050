// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Renders what a person sees, for looking at the artwork:
//   pelmora_screenshot [--dpr R] [--scene Q] OUT.png   the window after start-up,
//                                                      or with scene Q on show
//   pelmora_screenshot --pictures DIR                  every picture at 1x and 2x
// Runs on the offscreen platform unless another one is asked for.

#include "art.h"
#include "form1.h"
#include "quiet_multimedia.h"
#include "quiz.h"
#include "scenes.h"
#include "sound.h"
#include "window.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int usage()
{
    std::fputs("usage: pelmora_screenshot [--dpr R] [--scene Q] OUT.png\n"
               "       pelmora_screenshot --pictures DIR\n",
               stderr);
    return 2;
}

bool save(const QImage& image, const QString& path)
{
    if (image.save(path))
        return true;
    std::fprintf(stderr, "pelmora_screenshot: cannot write %s\n", qPrintable(path));
    return false;
}

int renderPictures(const QString& directory)
{
    if (!QDir().mkpath(directory)) {
        std::fprintf(stderr, "pelmora_screenshot: cannot create %s\n", qPrintable(directory));
        return 1;
    }
    for (pelmora::Art art : pelmora::kAllArt) {
        const QString stem = QDir(directory).filePath(QLatin1String(pelmora::artName(art)));
        if (!save(pelmora::renderArt(art, 1.0), stem + QStringLiteral("@1x.png"))
            || !save(pelmora::renderArt(art, 2.0), stem + QStringLiteral("@2x.png")))
            return 1;
    }
    for (int side : pelmora::kIconSides)
        if (!save(pelmora::iconImage(side), QDir(directory).filePath(QStringLiteral("icon-%1.png").arg(side))))
            return 1;
    return 0;
}

int grabWindow(int scene, const QString& out)
{
    pelmora::NoSound multimedia;
    const pelmora::Sound sound(multimedia, "C:\\Pelmora");
    pelmora::Form1 form;
    pelmora::Quiz quiz(form, sound);
    quiz.bind();

    pelmora::Window window(form);
    window.load();
    if (window.failed())
        return 1;
    if (scene >= 0) {
        pelmora::ClearScene(form);
        pelmora::StageScene(form, scene);
        for (auto& slot : form.Image1)
            slot.setVisible(true);
    }
    window.show();
    QApplication::processEvents();
    return save(window.grab().toImage(), out) ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    std::string dpr;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--dpr")
            dpr = argv[i + 1];
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!dpr.empty())
        qputenv("QT_SCALE_FACTOR", QByteArray::fromStdString(dpr));
    QApplication app(argc, argv);

    int scene = -1;
    QString out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pictures" && i + 1 < argc)
            return renderPictures(QString::fromLocal8Bit(argv[i + 1]));
        if (arg == "--dpr" && i + 1 < argc)
            ++i;
        else if (arg == "--scene" && i + 1 < argc) {
            scene = std::atoi(argv[++i]);
            if (scene < 0 || scene > 19)
                return usage();
        } else if (out.isEmpty() && !arg.starts_with("--"))
            out = QString::fromLocal8Bit(argv[i]);
        else
            return usage();
    }
    if (out.isEmpty())
        return usage();
    return grabWindow(scene, out);
}
