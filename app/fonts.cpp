// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "fonts.h"

#include <QFontDatabase>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace pelmora {

namespace {

// The layout is made for 96 dots per inch.
constexpr double kPixelsPerPoint = 96.0 / 72.0;

// IPAGothic carries the metrics of the Japanese system gothic: 36-pixel text
// keeps a 39-pixel line, so three lines of a question fill Mondai exactly.
const char* const kJapaneseGothic = "IPAGothic";
const char* const kSansSerif = "DejaVu Sans";

} // namespace

void warnAboutMissingFonts()
{
    for (const char* family : {kJapaneseGothic, kSansSerif}) {
        if (!QFontDatabase::hasFamily(QString::fromLatin1(family)))
            std::fprintf(stderr,
                         "pelmora: the font \"%s\" is not installed; texts may not fit their boxes "
                         "(on Debian: apt-get install fonts-ipafont-gothic fonts-dejavu-core)\n",
                         family);
    }
}

QString substituteFamily(const std::string& family)
{
#if defined(_WIN32)
    return QString::fromStdString(family);
#else
    if (family == "MS Sans Serif")
        return QString::fromLatin1(kSansSerif);
    // "System" and "ＭＳ ゴシック" both stand for the Japanese system gothic.
    return QString::fromLatin1(kJapaneseGothic);
#endif
}

QFont qtFont(const Font& font, double scale)
{
    const QString family = substituteFamily(font.name);

    QFont result;
    result.setFamilies(QStringList{family, QString::fromStdString(font.name)});
    const double pixels = std::round(font.points * kPixelsPerPoint);
    result.setPixelSize(std::max(1, static_cast<int>(std::floor(pixels * scale + 1e-9))));
    result.setWeight(font.weight >= 700 ? QFont::Bold : QFont::Normal);
    result.setStyleStrategy(QFont::PreferAntialias);
    return result;
}

} // namespace pelmora
