// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "pace.h"

#include <QStringList>

#include <span>
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
    // How many times as long the child's waits last.
    int slow = Pace::kPlain;
    // Each question and the score spoken as they appear.
    bool readAloud = false;
    friend bool operator==(const Options&, const Options&) = default;
};

struct ParsedCommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    Options options;
    // With Action::Error: one line naming what was not understood.
    std::string error;
};

// One option of the program: its names, what --help says of it, and what
// it does. Adding an option is adding a row to options().
struct OptionSpec {
    char shortName;       // 0 for a long name only
    const char* longName;
    const char* help;     // "Japanese / English"
    void (*apply)(ParsedCommandLine& parsed);
    const char* moreHelp[2] = {}; // further lines of --help, if any
    // An option with a value, as in "--slow 3" or "--slow=3": the value's
    // name in --help, and what it does with it; says why a value is
    // refused, or nothing. `apply` is then unused.
    const char* valueName = nullptr;
    std::string (*take)(ParsedCommandLine& parsed, const QString& value) = nullptr;
};
std::span<const OptionSpec> options();

// One key of the window, as --help lists it.
struct KeySpec {
    const char* keys;
    const char* help[2]; // one line, or Japanese then English
};
std::span<const KeySpec> keys();

// Reads the command line, program name first as in argv. Prints nothing and
// needs no QCoreApplication, so it can run before the window system starts.
// Qt's own options are left for QApplication, which takes them from argv.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

// What --help and --version print.
std::string helpText();
std::string versionText();

} // namespace pelmora
