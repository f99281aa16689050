// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "fonts.h"
#include "form1.h"
#include "options.h"
#include "quiet_multimedia.h"
#include "multimedia.h"
#include "quiz.h"
#include "signals.h"
#include "sound.h"
#include "trace.h"
#include "trace_probe.h"
#include "voice.h"
#include "window.h"

#include <QApplication>

#include <cstdio>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char* argv[])
{
    pelmora::trace::event("main");
#if defined(__GLIBC__)
    // One heap for all the threads: an arena of the sound worker's own kept
    // half a megabyte of the answer sounds it had loaded and freed.
    mallopt(M_ARENA_MAX, 1);
#endif

    // Read before Qt starts, so that --help and --version need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const pelmora::ParsedCommandLine command = pelmora::parseCommandLine(arguments);
    switch (command.action) {
    case pelmora::ParsedCommandLine::Action::Help:
        std::fputs(pelmora::helpText().c_str(), stdout);
        return 0;
    case pelmora::ParsedCommandLine::Action::Version:
        std::fputs(pelmora::versionText().c_str(), stdout);
        return 0;
    case pelmora::ParsedCommandLine::Action::Error:
        std::fprintf(stderr, "%s\n", command.error.c_str());
        return 2;
    case pelmora::ParsedCommandLine::Action::Run:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    QApplication::setDesktopFileName(QStringLiteral("pelmora"));
    pelmora::quitOnTerminationSignals(app);

    const pelmora::SoundChoice choice = command.options.sound;
    pelmora::NoMusic multimedia(choice == pelmora::SoundChoice::Mute ? std::make_unique<pelmora::NoSound>()
                                                                     : pelmora::makeSystemMultimedia(),
                                choice == pelmora::SoundChoice::All);
    const pelmora::Sound sound(multimedia, pelmora::applicationDirectory());

    pelmora::Form1 form;
    pelmora::Quiz quiz(form, sound);
    quiz.bind();

    pelmora::Window window(form, command.options.slow);
    pelmora::Voice voice(multimedia, pelmora::applicationDirectory());
    window.setVoice(&voice, command.options.readAloud);
    std::unique_ptr<pelmora::TraceProbe> probe;
    if (pelmora::trace::enabled())
        probe = std::make_unique<pelmora::TraceProbe>(window, form);
    // The sound device opens once the window is on screen; the music asked
    // for at load starts then.
    window.onFirstFrame = [&multimedia] {
        pelmora::warnAboutMissingFonts();
        multimedia.open();
    };
    window.onMusicKey = [&multimedia] { multimedia.setMusic(!multimedia.music()); };
    window.load();
    if (window.failed())
        return 1;
    if (command.options.fullScreen)
        window.setFullScreen(true);
    else
        window.show();
    return QApplication::exec();
}
