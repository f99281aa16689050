// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "options.h"

#include <QFile>

#include <sstream>
#include <vector>

#include <gtest/gtest.h>

using namespace pelmora;
using Action = ParsedCommandLine::Action;

namespace {

ParsedCommandLine parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("pelmora"));
    return parseCommandLine(arguments);
}

// A command line that is refused in one line that names what was wrong and
// points to the help.
void expectRefused(const QStringList& arguments, const std::string& named)
{
    const ParsedCommandLine parsed = parse(arguments);
    EXPECT_EQ(parsed.action, Action::Error) << arguments.join(' ').toStdString();
    EXPECT_NE(parsed.error.find(named), std::string::npos) << parsed.error;
    EXPECT_NE(parsed.error.find("see \"pelmora --help\""), std::string::npos) << parsed.error;
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << parsed.error;
}

TEST(CommandLine, WithoutOptionsRunsInTheWindowWithAllSound)
{
    const ParsedCommandLine parsed = parse({});
    EXPECT_EQ(parsed.action, Action::Run);
    EXPECT_EQ(parsed.options, (Options{false, SoundChoice::All, 1}));
    EXPECT_EQ(parsed.options, Options{});
    EXPECT_TRUE(parsed.error.empty());
}

TEST(CommandLine, ReadsEachOptionShortAndLong)
{
    const struct {
        QStringList spellings;
        Action action;
        Options options;
    } cases[] = {{{"-f", "--fullscreen"}, Action::Run, {true, SoundChoice::All}},
                 {{"-w", "--window"}, Action::Run, {false, SoundChoice::All}},
                 {{"-m", "--mute"}, Action::Run, {false, SoundChoice::Mute}},
                 {{"--no-music"}, Action::Run, {false, SoundChoice::NoMusic}},
                 {{"-r", "--read-aloud"}, Action::Run, {false, SoundChoice::All, 1, true}},
                 {{"-h", "--help"}, Action::Help, {}},
                 {{"-v", "--version"}, Action::Version, {}}};
    for (const auto& c : cases)
        for (const QString& option : c.spellings) {
            const ParsedCommandLine parsed = parse({option});
            EXPECT_EQ(parsed.action, c.action) << option.toStdString();
            if (c.action == Action::Run) {
                EXPECT_EQ(parsed.options, c.options) << option.toStdString();
            }
        }
}

TEST(CommandLine, CombinesOptionsAndTheLastOfFullScreenAndWindowWins)
{
    EXPECT_EQ(parse({"-f", "--no-music"}).options, (Options{true, SoundChoice::NoMusic}));
    EXPECT_EQ(parse({"--mute", "--fullscreen"}).options, (Options{true, SoundChoice::Mute}));
    EXPECT_FALSE(parse({"-f", "-w"}).options.fullScreen);
    EXPECT_TRUE(parse({"-w", "-f"}).options.fullScreen);
    EXPECT_TRUE(parse({"--window", "--fullscreen", "-w", "-f"}).options.fullScreen);
    EXPECT_FALSE(parse({"-wf", "-w"}).options.fullScreen);
    // Short options may be written together.
    EXPECT_EQ(parse({"-fm"}).options, (Options{true, SoundChoice::Mute}));
    EXPECT_FALSE(parse({"-fw"}).options.fullScreen);
    // No sound at all stays so, whatever order.
    EXPECT_EQ(parse({"-m", "--no-music"}).options.sound, SoundChoice::Mute);
    EXPECT_EQ(parse({"--no-music", "-m"}).options.sound, SoundChoice::Mute);
    // The same option twice is no mistake.
    EXPECT_EQ(parse({"-f", "--fullscreen"}).action, Action::Run);
}

TEST(CommandLine, HelpOutweighsVersionAndTheRest)
{
    EXPECT_EQ(parse({"--version", "--help"}).action, Action::Help);
    EXPECT_EQ(parse({"--help", "--version"}).action, Action::Help);
    EXPECT_EQ(parse({"-f", "-v", "-m"}).action, Action::Version);
}

TEST(CommandLine, RejectsAnUnknownOptionByName)
{
    for (const char* option : {"--foo", "-x", "--full", "--Mute"})
        expectRefused({"-f", option}, std::string("\"") + option + "\"");
    // One unknown letter among known ones, or a word: named as typed.
    for (const char* word : {"-fq", "-bogus"})
        expectRefused({word}, std::string("unknown option \"") + word + "\"");
    // Even beside --help: a mistyped command line is not run or explained away.
    expectRefused({"--help", "--bogus"}, "\"--bogus\"");
    // The options take no values.
    expectRefused({"--fullscreen=yes"}, "--fullscreen");
}

TEST(CommandLine, SlowTakesANumberFromOneToTenAndRefusesAnyOther)
{
    EXPECT_EQ(parse({"--slow", "3"}).options.slow, 3);
    EXPECT_EQ(parse({"-f", "--slow=10", "-m"}).options, (Options{true, SoundChoice::Mute, 10}));
    EXPECT_EQ(parse({"--slow", "1"}).options, Options{});
    for (const QStringList& arguments :
         {QStringList{"--slow", "0"}, QStringList{"--slow", "11"}, QStringList{"--slow", "-1"}, QStringList{"--slow=2.5"},
          QStringList{"--slow", "two"}, QStringList{"--slow="}, QStringList{"--slow", "+3"}, QStringList{"--slow"},
          QStringList{"--slow", "100000000000"}})
        expectRefused(arguments, "--slow");
    expectRefused({"-s", "2"}, "\"-s\"");
    expectRefused({"--slow", "11"}, "from 1 to 10, not \"11\"");
}

TEST(CommandLine, LeavesQtsOwnOptionsAndTheirValuesToQt)
{
    const ParsedCommandLine parsed =
        parse({"-platform", "offscreen", "-style", "fusion", "-display", ":1", "-qwindowgeometry", "100x100", "-f",
               "-session", "ID", "--stylesheet=kids.qss", "-reverse", "-qmljsdebugger=port:1234", "-m"});
    EXPECT_EQ(parsed.action, Action::Run) << parsed.error;
    EXPECT_EQ(parsed.options, (Options{true, SoundChoice::Mute}));
    // A value that looks like an option is still the value.
    EXPECT_EQ(parse({"-session", "-x"}).action, Action::Run);
}

TEST(CommandLine, RejectsAStrayArgumentByName)
{
    for (const QStringList& arguments : {QStringList{"-f", "extra"}, QStringList{"extra", "-f"}, QStringList{"--", "-f"},
                                         QStringList{"-"}})
        expectRefused(arguments, "unexpected argument");
    expectRefused({"quiz.txt"}, "unexpected argument \"quiz.txt\"");
}

TEST(CommandLine, HelpNamesEveryOptionAndKeyInJapaneseAndEnglish)
{
    const std::string help = helpText();
    for (const char* text : {"-f, --fullscreen", "-w, --window", "-m, --mute", "    --no-music", "-h, --help",
                             "-v, --version", "F11", "Esc", "Usage", "使い方", "全画面", "テンキー", "keypad", "-platform"})
        EXPECT_NE(help.find(text), std::string::npos) << text;
    for (const OptionSpec& option : options())
        EXPECT_NE(help.find(std::string("--") + option.longName + (option.valueName ? std::string(" ") + option.valueName : "")
                            + "  "),
                  std::string::npos)
            << option.longName;
    for (const KeySpec& key : keys())
        EXPECT_NE(help.find(std::string("  ") + key.keys + " "), std::string::npos) << key.keys;
    EXPECT_EQ(versionText(), std::string("pelmora ") + PELMORA_VERSION + "\n");
}

std::string readFile(const char* path)
{
    QFile file(QString::fromUtf8(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// The items of a section of the manual page: the line after each .TP.
std::vector<std::string> manualItems(const std::string& manual, const std::string& section)
{
    std::vector<std::string> items;
    std::istringstream lines(manual.substr(manual.find(".SH " + section + "\n")));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line) && !line.starts_with(".SH "))
        if (line == ".TP" && std::getline(lines, line))
            items.push_back(line);
    return items;
}

// roff writes a minus sign as \-.
std::string roff(const std::string& text)
{
    std::string result;
    for (char c : text)
        result += c == '-' ? std::string("\\-") : std::string(1, c);
    return result;
}

TEST(CommandLine, ManualAndAppStreamEntryKeepInStepWithTheProgram)
{
    const std::string manual = readFile(PELMORA_MANUAL);
    const std::string appstream = readFile(PELMORA_METAINFO);
    ASSERT_FALSE(manual.empty());
    ASSERT_FALSE(appstream.empty());
    // Every option of the program is an item of the manual, and no other.
    std::vector<std::string> expected;
    for (const OptionSpec& option : options()) {
        const std::string longName = roff(std::string("--") + option.longName);
        if (option.valueName)
            expected.push_back(".BI " + longName + " \" " + option.valueName + "\"");
        else
            expected.push_back(option.shortName ? ".BR " + roff(std::string{'-', option.shortName}) + " \", \" " + longName
                                                : ".B " + longName);
        EXPECT_NE(appstream.find(std::string("--") + option.longName), std::string::npos) << option.longName;
    }
    EXPECT_EQ(manualItems(manual, "OPTIONS"), expected);
    EXPECT_EQ(manualItems(manual, "KEYS").size(), keys().size());
    EXPECT_NE(manual.find(std::string("\"Pelmora ") + PELMORA_VERSION + "\""), std::string::npos);
    EXPECT_NE(appstream.find(std::string("<release version=\"") + PELMORA_VERSION + "\""), std::string::npos);
}

} // namespace
