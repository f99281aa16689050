#include "form1.h"
#include "quiz.h"
#include "signals.h"
#include "sound.h"
#include "system_multimedia.h"
#include "trace.h"
#include "window.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    pelmora::trace::event("main");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    QApplication::setDesktopFileName(QStringLiteral("pelmora"));
    pelmora::quitOnTerminationSignals(app);

    const auto multimedia = pelmora::makeSystemMultimedia();
    const pelmora::Sound sound(*multimedia, pelmora::applicationDirectory());

    pelmora::Form1 form;
    pelmora::Quiz quiz(form, sound);
    quiz.bind();

    pelmora::Window window(form);
    // The sound device opens once the window is on screen; the music asked
    // for at load starts then.
    window.onFirstFrame = [&multimedia] { multimedia->open(); };
    window.load();
    if (window.failed())
        return 1;
    window.show();
    return QApplication::exec();
}
