// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "real_program.h"
#include "screen.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace pelmora::e2e;

namespace {

// A step of the installation, which must succeed.
bool run(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    const ToolRun run = runTool(program, arguments, 300000);
    if (output)
        *output = QString::fromUtf8(run.output);
    if (!run.ok)
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString() << ":\n"
                      << run.output.toStdString() << run.errors.toStdString();
    return run.ok;
}

// The program as installed: its window comes up with the first scene, and
// its music plays from its own directory.
void expectRuns(const QString& program)
{
    RealProgram pelmora(program);
    ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();
    EXPECT_TRUE(pelmora.waitFor([](const QImage& shot) { return santaAt(shot, 100, 150); }, deadline(5000)))
        << "the first Santa";
    EXPECT_TRUE(pelmora.waitForSound(1.0, deadline(10000))) << "the music, found beside the installed program";
}

const QStringList kInstalledFiles{
    QStringLiteral("games/pelmora"),
    QStringLiteral("lib/games/pelmora/pelmora"),
    QStringLiteral("lib/games/pelmora/pinpon.wav"),
    QStringLiteral("lib/games/pelmora/mistake.wav"),
    QStringLiteral("lib/games/pelmora/bgm.mp3"),
    QStringLiteral("lib/games/pelmora/voice"),
    QStringLiteral("share/applications/pelmora.desktop"),
    QStringLiteral("share/metainfo/io.github.pelmora.Pelmora.metainfo.xml"),
    QStringLiteral("share/icons/hicolor/16x16/apps/pelmora.png"),
    QStringLiteral("share/icons/hicolor/32x32/apps/pelmora.png"),
    QStringLiteral("share/icons/hicolor/48x48/apps/pelmora.png"),
    QStringLiteral("share/icons/hicolor/256x256/apps/pelmora.png"),
    QStringLiteral("share/man/man6/pelmora.6.gz"),
    QStringLiteral("share/doc/pelmora/copyright"),
    QStringLiteral("share/doc/pelmora/changelog.gz"),
};

TEST(Install, LaysOutTheProgramWithItsSoundsIconsAndEntries)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(run(QStringLiteral(CMAKE_COMMAND),
                    {QStringLiteral("--install"), QStringLiteral(BUILD_DIR), QStringLiteral("--prefix"), prefix.path()}));
    for (const QString& file : kInstalledFiles)
        EXPECT_TRUE(QFileInfo::exists(prefix.filePath(file))) << file.toStdString();
    EXPECT_TRUE(QFileInfo(prefix.filePath(QStringLiteral("games/pelmora"))).isSymLink());

    run(QStringLiteral("desktop-file-validate"), {prefix.filePath(QStringLiteral("share/applications/pelmora.desktop"))});
    run(QStringLiteral("appstreamcli"),
        {QStringLiteral("validate"), QStringLiteral("--no-net"),
         prefix.filePath(QStringLiteral("share/metainfo/io.github.pelmora.Pelmora.metainfo.xml"))});

    expectRuns(prefix.filePath(QStringLiteral("games/pelmora")));
}

// Installs the Debian package on this machine and removes it again, so it
// runs only where that is wanted: as root in CI, or with PELMORA_TEST_DEB=1.
TEST(DebianPackage, InstallsRunsAndRemovesCleanly)
{
    if (geteuid() != 0 || (qEnvironmentVariable("CI") != QLatin1String("true") && !qEnvironmentVariableIsSet("PELMORA_TEST_DEB")))
        GTEST_SKIP() << "installs system-wide: set PELMORA_TEST_DEB=1 and run as root";
    if (runTool(QStringLiteral("dpkg-query"), {QStringLiteral("-W"), QStringLiteral("-f=${Status}"), QStringLiteral("pelmora")})
            .output.contains("ok installed"))
        GTEST_SKIP() << "a pelmora package is installed here already; leaving it alone";

    QTemporaryDir out;
    ASSERT_TRUE(run(QStringLiteral("cpack"), {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                                              QStringLiteral(BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), out.path()}));
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("pelmora_*.deb")});
    ASSERT_EQ(debs.size(), 1);
    const QString deb = out.filePath(debs[0]);

    QString info;
    ASSERT_TRUE(run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, QStringLiteral("Depends")}, &info));
    for (const char* package : {"libqt6widgets6", "libsdl2-2.0-0", "libmpg123", "fonts-ipafont-gothic"})
        EXPECT_TRUE(info.contains(QLatin1String(package))) << info.toStdString();

    // Waits for another apt or dpkg on this machine to finish, rather than fail.
    const QStringList apt{QStringLiteral("-o"), QStringLiteral("DPkg::Lock::Timeout=600")};
    ASSERT_TRUE(run(QStringLiteral("apt-get"), apt + QStringList{QStringLiteral("install"), QStringLiteral("-y"), deb}));
    for (const QString& file : kInstalledFiles)
        EXPECT_TRUE(QFileInfo::exists(QStringLiteral("/usr/") + file)) << file.toStdString();
    expectRuns(QStringLiteral("/usr/games/pelmora"));

    ASSERT_TRUE(run(QStringLiteral("apt-get"), apt + QStringList{QStringLiteral("purge"), QStringLiteral("-y"), QStringLiteral("pelmora")}));
    for (const QString& file : kInstalledFiles)
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/usr/") + file)) << file.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/usr/lib/games/pelmora")));
}

} // namespace
