#include "options.h"

#include <QCommandLineParser>

namespace pelmora {

namespace {

const QString kFullScreen = QStringLiteral("fullscreen");
const QString kWindow = QStringLiteral("window");
const QString kMute = QStringLiteral("mute");
const QString kNoMusic = QStringLiteral("no-music");
const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");

// Qt's parser names an option by what was typed, short or long.
bool is(const QString& name, const QString& longName)
{
    return name == longName || (name.size() == 1 && name[0] == longName[0]);
}

std::string seeHelp()
{
    return "; see \"pelmora --help\"";
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.addOptions({
        {{QStringLiteral("f"), kFullScreen}, {}},
        {{QStringLiteral("w"), kWindow}, {}},
        {{QStringLiteral("m"), kMute}, {}},
        {kNoMusic, {}},
        {{QStringLiteral("h"), kHelp}, {}},
        {{QStringLiteral("v"), kVersion}, {}},
    });

    ParsedCommandLine result;
    if (!parser.parse(arguments)) {
        result.action = ParsedCommandLine::Action::Error;
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            const QString& name = unknown.first();
            const QString typed = (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
            result.error = "pelmora: unknown option \"" + typed.toStdString() + "\"" + seeHelp();
        } else {
            QString error = parser.errorText();
            if (error.endsWith(QLatin1Char('.')))
                error.chop(1);
            result.error = "pelmora: " + error.toStdString() + seeHelp();
        }
        return result;
    }
    if (const QStringList stray = parser.positionalArguments(); !stray.isEmpty()) {
        result.action = ParsedCommandLine::Action::Error;
        result.error = "pelmora: unexpected argument \"" + stray.first().toStdString()
                       + "\" (pelmora takes no file or word, only options)" + seeHelp();
        return result;
    }

    for (const QString& name : parser.optionNames()) {
        if (is(name, kHelp))
            result.action = ParsedCommandLine::Action::Help;
        else if (is(name, kVersion) && result.action != ParsedCommandLine::Action::Help)
            result.action = ParsedCommandLine::Action::Version;
        else if (is(name, kFullScreen))
            result.options.fullScreen = true;
        else if (is(name, kWindow))
            result.options.fullScreen = false;
        else if (is(name, kMute))
            result.options.sound = SoundChoice::Mute;
        else if (name == kNoMusic && result.options.sound != SoundChoice::Mute)
            result.options.sound = SoundChoice::NoMusic;
    }
    return result;
}

std::string helpText()
{
    return "使い方 / Usage: pelmora [オプション / options]\n"
           "\n"
           "クリスマスのかずあてクイズ。出てきたサンタさんやトナカイさんを数えて、答えのボタンを押します。\n"
           "A Christmas counting quiz: count the Santas, reindeer, bells and snowmen, then press the answer.\n"
           "\n"
           "オプション / Options:\n"
           "  -f, --fullscreen  全画面で遊ぶ / play full screen\n"
           "  -w, --window      ウィンドウで遊ぶ（ふつう） / play in the window (the default)\n"
           "                    -f と -w は、あとに書いたほうになります。\n"
           "                    Of -f and -w, the one given last counts.\n"
           "  -m, --mute        音をまったく出さない / no sound at all\n"
           "      --no-music    音楽なし、答えの音だけ / the answer sounds, no music\n"
           "  -h, --help        この説明を出す / show this help\n"
           "  -v, --version     バージョンを出す / show the version\n"
           "\n"
           "キー / Keys:\n"
           "  1〜9, 0           答えのボタン 1〜9 と 10 を押す（数字キーでもテンキーでも）\n"
           "                    press the answer buttons 1 to 9 and 10 (top row or keypad)\n"
           "  F11               全画面とウィンドウを切りかえる / switch between full screen and the window\n"
           "  Esc               全画面をやめる / leave full screen\n"
           "  M                 音楽を止める・また流す（答えの音はそのまま）\n"
           "                    switch the music off and on again (the answer sounds stay)\n";
}

std::string versionText()
{
    return std::string("pelmora ") + PELMORA_VERSION + "\n";
}

} // namespace pelmora
