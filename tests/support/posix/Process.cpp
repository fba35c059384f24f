#include "support/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

std::string BinFolder() {
    if (const char* bin = std::getenv("TWINSEEK_BIN"))
        return bin;
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, n > 0 ? static_cast<std::size_t>(n) : 0);
    return path.substr(0, path.rfind('/'));
}

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const std::vector<std::string>& env, int interruptAfterMs) {
    char outName[] = "/tmp/twinseek-out-XXXXXX";
    char errName[] = "/tmp/twinseek-err-XXXXXX";
    const int outFd = ::mkstemp(outName);
    const int errFd = ::mkstemp(errName);

    std::vector<std::string> argStrings{BinFolder() + "/" + program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStrings)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e)
        envStrings.emplace_back(*e);
    envStrings.insert(envStrings.end(), env.begin(), env.end());
    std::vector<char*> envp;
    for (auto& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    pid_t pid = -1;
    TProcessResult result;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        if (interruptAfterMs >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(interruptAfterMs));
            ::kill(pid, SIGINT);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(outFd);
    ::close(errFd);
    result.Out = ReadAll(outName);
    result.Err = ReadAll(errName);
    ::unlink(outName);
    ::unlink(errName);
    return result;
}

TChildEnd RunForked(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    TChildEnd end;
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return end;
    end.Exited = WIFEXITED(status);
    if (end.Exited)
        end.ExitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        end.Signal = WTERMSIG(status);
    return end;
}
