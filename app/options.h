#pragma once

#include <QStringList>

#include <string>

namespace pelmora {

enum class SoundChoice {
    All,     // the answer sounds and the music
    NoMusic, // the answer sounds only
    Mute,    // nothing: the sound device is never opened
};

struct Options {
    bool fullScreen = false;
    SoundChoice sound = SoundChoice::All;
    friend bool operator==(const Options&, const Options&) = default;
};

struct ParsedCommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    Options options;
    // With Action::Error: one line naming what was not understood.
    std::string error;
};

// Reads the command line, program name first as in argv. Prints nothing and
// needs no QCoreApplication, so it can run before the window system starts.
// Of -f and -w the last one given wins; -m outweighs --no-music.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

// What --help and --version print.
std::string helpText();
std::string versionText();

} // namespace pelmora
