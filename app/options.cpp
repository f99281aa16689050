// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "options.h"

#include <algorithm>
#include <array>

namespace pelmora {

namespace {

using Action = ParsedCommandLine::Action;

std::string takeSlow(ParsedCommandLine& p, const QString& value)
{
    const bool digits = !value.isEmpty() && value.size() <= 2
                        && std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    const int n = digits ? value.toInt() : 0;
    if (n < Pace::kPlain || n > Pace::kSlowest)
        return "--slow takes a number from " + std::to_string(Pace::kPlain) + " to " + std::to_string(Pace::kSlowest)
               + ", not \"" + value.toStdString() + "\"";
    p.options.slow = n;
    return {};
}

const OptionSpec kOptions[] = {
    {'f', "fullscreen", "全画面で遊ぶ / play full screen", [](ParsedCommandLine& p) { p.options.fullScreen = true; }},
    {'w', "window", "ウィンドウで遊ぶ（ふつう） / play in the window (the default)",
     [](ParsedCommandLine& p) { p.options.fullScreen = false; },
     {"-f と -w は、あとに書いたほうになります。", "Of -f and -w, the one given last counts."}},
    {'m', "mute", "音をまったく出さない / no sound at all",
     [](ParsedCommandLine& p) { p.options.sound = SoundChoice::Mute; }},
    {0, "no-music", "音楽なし、答えの音だけ / the answer sounds, no music",
     [](ParsedCommandLine& p) {
         if (p.options.sound != SoundChoice::Mute)
             p.options.sound = SoundChoice::NoMusic;
     }},
    {'r', "read-aloud", "問題と点数を声で読む / read each question and the score aloud",
     [](ParsedCommandLine& p) { p.options.readAloud = true; },
     {"-m では声も出ません。--no-music では声は出ます。", "-m silences the voice too; --no-music leaves it."}},
    {0, "slow", "ゆっくり遊ぶ / play slowly", nullptr,
     {"絵と○×を N ばい長く見せる（N は 1〜10、ふつうは 1）", "each scene and each mark stays N times as long (N from 1 to 10)"},
     "N", &takeSlow},
    {'h', "help", "この説明を出す / show this help", [](ParsedCommandLine& p) { p.action = Action::Help; }},
    {'v', "version", "バージョンを出す / show the version",
     [](ParsedCommandLine& p) {
         if (p.action != Action::Help)
             p.action = Action::Version;
     }},
};

const KeySpec kKeys[] = {
    {"1〜9, 0",
     {"答えのボタン 1〜9 と 10 を押す（数字キーでもテンキーでも）",
      "press the answer buttons 1 to 9 and 10 (top row or keypad)"}},
    {"F11", {"全画面とウィンドウを切りかえる / switch between full screen and the window"}},
    {"Esc", {"全画面をやめる / leave full screen"}},
    {"M",
     {"音楽を止める・また流す（答えの音はそのまま）",
      "switch the music off and on again (the answer sounds stay)"}},
    {"Pause, P", {"クイズをとめる。もういちど押すと、つづきから", "hold the quiz where it stands; press again to go on"}},
    {"R", {"いまの問題か点数を、もういちど声で読む", "read the question or the score on screen aloud again"}},
};

// The options QApplication and QGuiApplication document, and whether each
// takes the next argument as its value (unless given as -name=value).
struct QtOption {
    const char* name;
    bool takesValue;
};
constexpr std::array kQtOptions{
    QtOption{"platform", true},   QtOption{"platformpluginpath", true}, QtOption{"platformtheme", true},
    QtOption{"plugin", true},     QtOption{"qmljsdebugger", false},     QtOption{"qwindowgeometry", true},
    QtOption{"qwindowicon", true}, QtOption{"qwindowtitle", true},      QtOption{"reverse", false},
    QtOption{"session", true},    QtOption{"display", true},            QtOption{"geometry", true},
    QtOption{"style", true},      QtOption{"stylesheet", true},         QtOption{"widgetcount", false},
    QtOption{"nograb", false},    QtOption{"dograb", false},
};

const QtOption* qtOption(const QString& name)
{
    const auto it = std::find_if(kQtOptions.begin(), kQtOptions.end(),
                                 [&](const QtOption& o) { return name == QLatin1String(o.name); });
    return it == kQtOptions.end() ? nullptr : &*it;
}

const OptionSpec* byShortName(QChar name)
{
    const auto it = std::find_if(std::begin(kOptions), std::end(kOptions),
                                 [&](const OptionSpec& o) { return o.shortName && name == QLatin1Char(o.shortName); });
    return it == std::end(kOptions) ? nullptr : &*it;
}

const OptionSpec* byLongName(const QString& name)
{
    const auto it = std::find_if(std::begin(kOptions), std::end(kOptions),
                                 [&](const OptionSpec& o) { return name == QLatin1String(o.longName); });
    return it == std::end(kOptions) ? nullptr : &*it;
}

ParsedCommandLine failure(const std::string& what)
{
    ParsedCommandLine result;
    result.action = Action::Error;
    result.error = "pelmora: " + what + "; see \"pelmora --help\"";
    return result;
}

// A help line: the label in a column of its own, then the text.
void addRow(std::string& text, const std::string& label, std::initializer_list<const char*> lines)
{
    constexpr std::size_t kLabelWidth = 18;
    // Columns on a terminal: the Japanese wave dash of the keys takes two.
    std::size_t width = 0;
    for (char c : label) {
        const auto byte = static_cast<unsigned char>(c);
        width += byte < 0x80 ? 1 : byte >= 0xE0 ? 2 : 0;
    }
    std::string head = "  " + label + std::string(kLabelWidth - std::min(width, kLabelWidth), ' ');
    for (const char* line : lines) {
        if (!line)
            continue;
        text += head + line + "\n";
        head = std::string(kLabelWidth + 2, ' ');
    }
}

} // namespace

std::span<const OptionSpec> options()
{
    return kOptions;
}

std::span<const KeySpec> keys()
{
    return kKeys;
}

ParsedCommandLine parseCommandLine(const QStringList& arguments)
{
    // The options apply in order once all are known to be good, so that a
    // mistyped command line is never run or explained away.
    std::vector<std::pair<const OptionSpec*, QString>> given; // with the value, if it takes one
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const std::string typed = argument.toStdString();
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-") || argument == QLatin1String("--"))
            return failure("unexpected argument \"" + typed + "\" (pelmora takes no file or word, only options)");
        const bool isLong = argument.startsWith(QLatin1String("--"));
        const QString word = argument.mid(isLong ? 2 : 1);
        const QString name = word.section(QLatin1Char('='), 0, 0);
        if (const QtOption* qt = qtOption(name)) {
            if (qt->takesValue && !word.contains(QLatin1Char('=')))
                ++i;
            continue;
        }
        if (isLong) {
            const OptionSpec* option = byLongName(name);
            if (!option)
                return failure("unknown option \"" + typed + "\"");
            const bool joined = word.contains(QLatin1Char('='));
            if (!option->take) {
                if (joined)
                    return failure("the option \"--" + name.toStdString() + "\" takes no value, as in \"" + typed + "\"");
                given.push_back({option, {}});
            } else if (joined) {
                given.push_back({option, word.section(QLatin1Char('='), 1)});
            } else if (i + 1 < arguments.size()) {
                given.push_back({option, arguments[++i]});
            } else {
                return failure("the option \"" + typed + "\" needs a value, as in \"" + typed + " " + option->valueName
                               + "\"");
            }
            continue;
        }
        // Short options may be written together, as in -fm.
        for (QChar letter : word) {
            const OptionSpec* option = byShortName(letter);
            if (!option)
                return failure("unknown option \"" + typed + "\"");
            given.push_back({option, {}});
        }
    }
    ParsedCommandLine result;
    for (const auto& [option, value] : given) {
        if (!option->take)
            option->apply(result);
        else if (const std::string refused = option->take(result, value); !refused.empty())
            return failure(refused);
    }
    return result;
}

std::string helpText()
{
    std::string text = "使い方 / Usage: pelmora [オプション / options]\n"
                       "\n"
                       "クリスマスのかずあてクイズ。出てきたサンタさんやトナカイさんを数えて、答えのボタンを押します。\n"
                       "A Christmas counting quiz: count the Santas, reindeer, bells and snowmen, then press the answer.\n"
                       "\n"
                       "オプション / Options:\n";
    for (const OptionSpec& option : kOptions) {
        const std::string label = (option.shortName ? std::string{'-', option.shortName, ',', ' '} : "    ")
                                  + "--" + option.longName + (option.valueName ? std::string(" ") + option.valueName : "");
        addRow(text, label, {option.help, option.moreHelp[0], option.moreHelp[1]});
    }
    text += "\nキー / Keys:\n";
    for (const KeySpec& key : kKeys)
        addRow(text, key.keys, {key.help[0], key.help[1]});
    text += "\nQt の標準オプション（-platform, -style, -display, -session など）は Qt にわたします。\n"
            "Qt's standard options (-platform, -style, -display, -session, ...) are handed to Qt.\n";
    return text;
}

std::string versionText()
{
    return std::string("pelmora ") + PELMORA_VERSION + "\n";
}

} // namespace pelmora
