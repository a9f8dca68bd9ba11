#include "host/spawn.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>

#include "host/clock.h"
#include "host/window.h"

extern char** environ;

namespace bw {

namespace {

std::vector<int>& UnwaitedChildren()
{
    static std::vector<int> children;
    return children;
}

void ReapFinishedChildren()
{
    std::vector<int>& children = UnwaitedChildren();
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [](int pid) {
                                      int status = 0;
                                      int result = waitpid(pid, &status, WNOHANG);
                                      return result == pid || (result < 0 && errno == ECHILD);
                                  }),
                   children.end());
}

// The child starts with every signal at its default and none blocked: an
// ignored SIGPIPE of ours must not become the child's.
bool PrepareAttributes(posix_spawnattr_t* attributes)
{
    if (posix_spawnattr_init(attributes) != 0) return false;
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(attributes, &all);
    posix_spawnattr_setsigmask(attributes, &none);
    posix_spawnattr_setflags(attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    return true;
}

// Only the standard streams go to the child; files and sockets of the game
// stay ours.
bool PrepareFileActions(posix_spawn_file_actions_t* actions, const std::string& folder)
{
    if (posix_spawn_file_actions_init(actions) != 0) return false;
    bool ready = posix_spawn_file_actions_addclosefrom_np(actions, 3) == 0;
    if (ready && !folder.empty()) ready = posix_spawn_file_actions_addchdir_np(actions, folder.c_str()) == 0;
    if (!ready) posix_spawn_file_actions_destroy(actions);
    return ready;
}

}  // namespace

int HostSpawn_Start(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& folder)
{
    if (program.empty()) return -1;
    ReapFinishedChildren();

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    if (!PrepareAttributes(&attributes)) return -1;
    posix_spawn_file_actions_t actions;
    if (!PrepareFileActions(&actions, folder)) {
        posix_spawnattr_destroy(&attributes);
        return -1;
    }
    pid_t pid = -1;
    int failure = posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failure != 0) return -1;
    UnwaitedChildren().push_back(pid);
    return pid;
}

int HostSpawn_Open(const std::string& target, const std::string& folder)
{
    return HostSpawn_Start("xdg-open", {target}, folder);
}

bool HostSpawn_Wait(int pid, void (*poll)(), int64_t intervalMilliseconds)
{
    std::vector<int>& children = UnwaitedChildren();
    for (;;) {
        int status = 0;
        int result = waitpid(pid, &status, WNOHANG);
        if (result == pid || (result < 0 && errno != EINTR)) {
            children.erase(std::remove(children.begin(), children.end(), pid), children.end());
            return result == pid;
        }
        if (poll != nullptr) poll();
        if (HostWindow_QuitRequested()) return true;
        Host_SleepMilliseconds(intervalMilliseconds);
    }
}

}  // namespace bw
