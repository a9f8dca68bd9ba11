#include "host/file_dialog.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "host/file_system.h"
#include "host/message_box.h"
#include "host/modal_form.h"
#include "host/window.h"

extern char** environ;

namespace bw {
namespace {

constexpr const char* kChoosers[] = {"zenity", "kdialog"};
constexpr size_t kMaxAnswer = 64 * 1024;  // a path, not a file

bool OnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty() && HostFs_IsExecutableFile(folder + "/" + program)) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// Appends what the pipe holds now, without waiting; true once it is at its
// end (or broken).
bool ReadAvailable(int fd, std::string* output)
{
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 0) <= 0) return false;
    char buffer[4096];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
        if (output->size() < kMaxAnswer) output->append(buffer, static_cast<size_t>(got));
        return false;
    }
    return got == 0 || errno != EINTR;
}

// Runs program with its output on a pipe; the whole output and the exit
// status, or false when it could not start or a quit was asked of the
// runner meanwhile, which ends the chooser too.
bool RunForOutput(const std::string& program, const std::vector<std::string>& arguments, std::string* output,
                  int* status)
{
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int started = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (started != 0) {
        close(fds[0]);
        return false;
    }
    // The game window's messages are served while the chooser is up, which
    // is also how a quit reaches the runner.
    const ModalEnd end = HostModal_Run([&] {
        HostWindow_PumpEvents();
        return ReadAvailable(fds[0], output);
    });
    if (end == ModalEnd::Quit) kill(pid, SIGTERM);
    close(fds[0]);
    while (waitpid(pid, status, 0) < 0 && errno == EINTR) {
    }
    return end == ModalEnd::Answered;
}

}  // namespace

std::string HostFileDialog_FindChooser()
{
    if (!Host_HasDisplay()) return {};
    for (const char* chooser : kChoosers) {
        if (OnPath(chooser)) return chooser;
    }
    return {};
}

std::vector<std::pair<std::string, std::string>> HostFileDialog_ParseFilter(const std::string& filter)
{
    std::vector<std::pair<std::string, std::string>> lines;
    size_t start = 0;
    while (start < filter.size()) {
        const size_t nameEnd = std::min(filter.find('|', start), filter.size());
        const size_t patternsStart = std::min(nameEnd + 1, filter.size());
        const size_t patternsEnd = std::min(filter.find('|', patternsStart), filter.size());
        lines.emplace_back(filter.substr(start, nameEnd - start),
                           filter.substr(patternsStart, patternsEnd - patternsStart));
        start = patternsEnd + 1;
    }
    return lines;
}

namespace {

std::string PatternsSeparatedBy(const std::string& patterns, char separator)
{
    std::string out = patterns;
    for (char& c : out) {
        if (c == ';') c = separator;
    }
    return out;
}

std::string StartPath(const HostFileRequest& request)
{
    const std::string folder = request.folder.empty() ? "." : request.folder;
    if (!request.defaultName.empty() && request.defaultName[0] == '/') return request.defaultName;
    return folder + "/" + request.defaultName;
}

std::vector<std::string> ZenityArguments(const HostFileRequest& request)
{
    std::vector<std::string> arguments{"--file-selection"};
    if (request.save) {
        arguments.push_back("--save");
        arguments.push_back("--confirm-overwrite");
    }
    if (!request.title.empty()) arguments.push_back("--title=" + request.title);
    if (!request.defaultName.empty() || !request.folder.empty()) {
        arguments.push_back("--filename=" + StartPath(request));
    }
    for (const auto& [name, patterns] : request.filters) {
        arguments.push_back("--file-filter=" + name + " | " + PatternsSeparatedBy(patterns, ' '));
    }
    return arguments;
}

std::vector<std::string> KdialogArguments(const HostFileRequest& request)
{
    std::vector<std::string> arguments{request.save ? "--getsavefilename" : "--getopenfilename", StartPath(request)};
    std::string filter;
    for (const auto& [name, patterns] : request.filters) {
        if (!filter.empty()) filter += '\n';
        filter += PatternsSeparatedBy(patterns, ' ') + "|" + name;
    }
    if (!filter.empty()) arguments.push_back(filter);
    if (!request.title.empty()) {
        arguments.push_back("--title");
        arguments.push_back(request.title);
    }
    return arguments;
}

}  // namespace

std::vector<std::string> HostFileDialog_Arguments(const std::string& chooser, const HostFileRequest& request)
{
    return chooser == "kdialog" ? KdialogArguments(request) : ZenityArguments(request);
}

bool HostFileDialog_Choose(const HostFileRequest& request, std::string* path)
{
    const std::string chooser = HostFileDialog_FindChooser();
    if (chooser.empty()) return false;
    std::string answer;
    int status = 0;
    if (!RunForOutput(chooser, HostFileDialog_Arguments(chooser, request), &answer, &status) || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return false;
    }
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
    if (answer.empty()) return false;
    *path = answer;
    return true;
}

bool HostFileDialog_ChoosePackage(std::string* path)
{
    if (HostFileDialog_FindChooser().empty()) {
        return false;
    }
    HostFileRequest request;
    request.title = "Open a game package";
    return HostFileDialog_Choose(request, path);
}

}  // namespace bw
