// The real program under its own X server, with SDL writing its sound to a
// file: the music must sound from start-up on, and SIGTERM must end the
// program at once.
#include "test_audio.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

extern char** environ;

using namespace pelmora::soundtest;

namespace {

// A child process, ended and reaped when the object goes.
class Child {
public:
    Child(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
          const std::filesystem::path& log)
    {
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e) {
            const std::string entry(*e);
            if (!env.contains(entry.substr(0, entry.find('='))))
                environment.push_back(entry);
        }
        for (const auto& [name, value] : env)
            environment.push_back(name + "=" + value);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes, &signals);
        sigaddset(&signals, SIGTERM);
        sigaddset(&signals, SIGINT);
        posix_spawnattr_setsigdefault(&attributes, &signals);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (pid_ > 0)
            pidfd_ = int(syscall(SYS_pidfd_open, pid_, 0));
    }

    ~Child()
    {
        if (running()) {
            kill(pid_, SIGKILL);
            waitFor(5000);
        }
        if (pidfd_ >= 0)
            close(pidfd_);
    }

    bool started() const { return pid_ > 0 && pidfd_ >= 0; }
    bool running() const { return started() && !status_; }
    pid_t pid() const { return pid_; }
    std::optional<int> status() const { return status_; }

    // Waits without spinning until the child ends; whether it did.
    bool waitFor(int milliseconds)
    {
        if (!running())
            return started();
        pollfd descriptor{pidfd_, POLLIN, 0};
        if (poll(&descriptor, 1, milliseconds) <= 0)
            return false;
        int status = 0;
        if (waitpid(pid_, &status, 0) == pid_)
            status_ = status;
        return true;
    }

private:
    pid_t pid_ = -1;
    int pidfd_ = -1;
    std::optional<int> status_;
};

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Starts Xvfb on a display it finds free itself; the display's name.
std::string startServer(std::optional<Child>& server, const std::filesystem::path& log)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    server.emplace(std::vector<std::string>{XVFB_PROGRAM, "-displayfd", std::to_string(fds[1]), "-nolisten",
                                            "tcp", "-screen", "0", "800x700x24"},
                   std::map<std::string, std::string>{}, log);
    close(fds[1]);
    std::string number;
    pollfd descriptor{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&descriptor, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    return number.empty() ? std::string() : ":" + number;
}

} // namespace

TEST(Program, PlaysTheMusicFromStartUpAndEndsAtOnceOnSigterm)
{
    if (std::string(XVFB_PROGRAM).empty())
        GTEST_SKIP() << "Xvfb is not installed";
    TempDir temp;
    const std::filesystem::path output = temp.path() / "output.raw";
    const std::filesystem::path log = temp.path() / "pelmora.log";
    const std::filesystem::path runtime = makeDirectory(temp.path() / "runtime");
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);

    std::optional<Child> server;
    const std::string display = startServer(server, temp.path() / "xvfb.log");
    ASSERT_FALSE(display.empty()) << readAll(temp.path() / "xvfb.log");

    Child program({PELMORA_PROGRAM},
                  {{"DISPLAY", display},
                   {"QT_QPA_PLATFORM", "xcb"},
                   {"XDG_RUNTIME_DIR", runtime.string()},
                   {"SDL_AUDIODRIVER", "disk"},
                   {"SDL_DISKAUDIOFILE", output.string()}},
                  log);
    ASSERT_TRUE(program.started());
    EXPECT_FALSE(program.waitFor(3000)) << "the program ended by itself:\n" << readAll(log);
    ASSERT_TRUE(program.running());

    ASSERT_EQ(kill(program.pid(), SIGTERM), 0);
    EXPECT_TRUE(program.waitFor(2000)) << "still running 2 s after SIGTERM";
    if (const std::optional<int> status = program.status()) {
        EXPECT_TRUE(WIFSIGNALED(*status) ? WTERMSIG(*status) == SIGTERM : WEXITSTATUS(*status) == 0);
    }

    kill(server->pid(), SIGTERM);
    server->waitFor(5000);

    const std::vector<int> peaks = blockPeaks(output);
    ASSERT_GE(peaks.size(), 150u) << "less than 1.5 s of sound was written";
    const auto first = std::find_if(peaks.begin(), peaks.end(), [](int p) { return p >= kSilence; });
    ASSERT_NE(first, peaks.end()) << "the music was never heard";
    // The file begins when the device opens, while the program starts; the
    // music must come with start-up, well before the first re-send at 3.1 s.
    EXPECT_LE(first - peaks.begin(), 100) << "the music did not start with the program";
    const auto sounding = std::count_if(first, peaks.end(), [](int p) { return p >= kSilence; });
    EXPECT_GE(double(sounding) / double(peaks.end() - first), 0.95) << "the music broke off";
}
