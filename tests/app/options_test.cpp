#include "options.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace pelmora;
using Action = ParsedCommandLine::Action;

namespace {

ParsedCommandLine parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("pelmora"));
    return parseCommandLine(arguments);
}

TEST(CommandLine, WithoutOptionsRunsInTheWindowWithAllSound)
{
    const ParsedCommandLine parsed = parse({});
    EXPECT_EQ(parsed.action, Action::Run);
    EXPECT_EQ(parsed.options, Options{});
    EXPECT_FALSE(parsed.options.fullScreen);
    EXPECT_EQ(parsed.options.sound, SoundChoice::All);
    EXPECT_TRUE(parsed.error.empty());
}

TEST(CommandLine, ReadsEachOptionShortAndLong)
{
    for (const QString& f : {QStringLiteral("-f"), QStringLiteral("--fullscreen")}) {
        const ParsedCommandLine parsed = parse({f});
        EXPECT_EQ(parsed.action, Action::Run) << f.toStdString();
        EXPECT_EQ(parsed.options, (Options{true, SoundChoice::All})) << f.toStdString();
    }
    for (const QString& w : {QStringLiteral("-w"), QStringLiteral("--window")})
        EXPECT_EQ(parse({w}).options, (Options{false, SoundChoice::All})) << w.toStdString();
    for (const QString& m : {QStringLiteral("-m"), QStringLiteral("--mute")})
        EXPECT_EQ(parse({m}).options, (Options{false, SoundChoice::Mute})) << m.toStdString();
    EXPECT_EQ(parse({QStringLiteral("--no-music")}).options, (Options{false, SoundChoice::NoMusic}));
    for (const QString& h : {QStringLiteral("-h"), QStringLiteral("--help")})
        EXPECT_EQ(parse({h}).action, Action::Help) << h.toStdString();
    for (const QString& v : {QStringLiteral("-v"), QStringLiteral("--version")})
        EXPECT_EQ(parse({v}).action, Action::Version) << v.toStdString();
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
    for (const char* option : {"--foo", "-x", "--full", "--Mute"}) {
        const ParsedCommandLine parsed = parse({"-f", option});
        EXPECT_EQ(parsed.action, Action::Error) << option;
        EXPECT_NE(parsed.error.find(std::string("\"") + option + "\""), std::string::npos) << parsed.error;
        EXPECT_NE(parsed.error.find("--help"), std::string::npos) << parsed.error;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << "one line";
    }
    // One unknown letter among known ones.
    const ParsedCommandLine mixed = parse({"-fq"});
    EXPECT_EQ(mixed.action, Action::Error);
    EXPECT_NE(mixed.error.find("\"-q\""), std::string::npos) << mixed.error;
    // Even beside --help: a mistyped command line is not run or explained away.
    EXPECT_EQ(parse({"--help", "--bogus"}).action, Action::Error);
    // The options take no values.
    const ParsedCommandLine valued = parse({"--fullscreen=yes"});
    EXPECT_EQ(valued.action, Action::Error);
    EXPECT_NE(valued.error.find("--fullscreen"), std::string::npos) << valued.error;
}

TEST(CommandLine, RejectsAStrayArgumentByName)
{
    for (const QStringList& arguments : {QStringList{"quiz.txt"}, QStringList{"-f", "extra"}, QStringList{"extra", "-f"},
                                         QStringList{"--", "-f"}, QStringList{"-"}}) {
        const ParsedCommandLine parsed = parse(arguments);
        EXPECT_EQ(parsed.action, Action::Error) << arguments.join(' ').toStdString();
        EXPECT_NE(parsed.error.find("unexpected argument"), std::string::npos) << parsed.error;
        EXPECT_NE(parsed.error.find("--help"), std::string::npos) << parsed.error;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
    }
    EXPECT_NE(parse({"quiz.txt"}).error.find("\"quiz.txt\""), std::string::npos);
}

TEST(CommandLine, HelpNamesEveryOptionAndKeyInJapaneseAndEnglish)
{
    const std::string help = helpText();
    for (const char* text : {"-f, --fullscreen", "-w, --window", "-m, --mute", "--no-music", "-h, --help",
                             "-v, --version", "F11", "Esc", "Usage", "使い方", "全画面", "テンキー", "keypad"})
        EXPECT_NE(help.find(text), std::string::npos) << text;
    EXPECT_EQ(versionText(), std::string("pelmora ") + PELMORA_VERSION + "\n");
}

std::string readFile(const char* path)
{
    QFile file(QString::fromUtf8(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

TEST(CommandLine, ManualAndAppStreamEntryKeepInStepWithTheProgram)
{
    const std::string manual = readFile(PELMORA_MANUAL);
    const std::string appstream = readFile(PELMORA_METAINFO);
    ASSERT_FALSE(manual.empty());
    ASSERT_FALSE(appstream.empty());
    // In roff a minus sign is written \-.
    for (const char* option : {"\\-\\-fullscreen", "\\-\\-window", "\\-\\-mute", "\\-\\-no\\-music", "\\-\\-help",
                               "\\-\\-version"})
        EXPECT_NE(manual.find(option), std::string::npos) << option;
    for (const char* option : {"--fullscreen", "--window", "--mute", "--no-music", "--help", "--version"})
        EXPECT_NE(appstream.find(option), std::string::npos) << option;
    EXPECT_NE(manual.find(std::string("\"Pelmora ") + PELMORA_VERSION + "\""), std::string::npos);
    EXPECT_NE(appstream.find(std::string("<release version=\"") + PELMORA_VERSION + "\""), std::string::npos);
}

} // namespace
