// Prints the directory this program runs from and the names the quiz gives
// its sounds there, each with whether it leads to a file that is there.
#include "audio_file.h"
#include "sound.h"

#include <cstdio>
#include <string>

using namespace pelmora;

namespace {

void report(const std::string& name)
{
    std::printf("%s %s\n", name.c_str(), stampOf(platformPath(name)) ? "found" : "missing");
}

} // namespace

int main()
{
    const std::string directory = applicationDirectory();
    std::printf("directory %s\n", directory.c_str());
    report(Sound::effectFileName(directory, Effect::Correct));
    report(Sound::effectFileName(directory, Effect::Wrong));
    const std::string command = Sound::musicCommand(directory);
    std::printf("command %s\n", command.c_str());
    report(playCommandFile(command).value_or(""));
    return 0;
}
