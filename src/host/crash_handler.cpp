#include "host/crash_handler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace bw {
namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr size_t kAltStackSize = 64 * 1024;
constexpr int kMaxFrames = 64;
constexpr char kRule[] = "---------------------------------------------\n";

bool g_installed = false;

// Only async-signal-safe calls from here on: write(2) and our own number
// formatting.
void Write(int fd, const char* text)
{
    size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t done = write(fd, text, left);
        if (done <= 0) return;
        text += done;
        left -= static_cast<size_t>(done);
    }
}

void WriteNumber(int fd, unsigned value)
{
    char digits[16];
    size_t at = sizeof digits;
    digits[--at] = '\0';
    do {
        digits[--at] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && at > 0);
    Write(fd, digits + at);
}

void OnFatalSignal(int signal)
{
    const int savedErrno = errno;
    Write(STDERR_FILENO, kRule);
    Write(STDERR_FILENO, "!!!Unhandled Exception!!! - creating minidump\n");
    Write(STDERR_FILENO, kRule);
    const int fd = open(kCrashDumpFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        Write(STDERR_FILENO, "CreateFile failed. Error: ");
        WriteNumber(STDERR_FILENO, static_cast<unsigned>(errno));
        Write(STDERR_FILENO, " \n");
    } else {
        Write(fd, kRule);
        Write(fd, "!!!Unhandled Exception!!! - creating minidump\n");
        Write(fd, kRule);
        Write(fd, "signal ");
        WriteNumber(fd, static_cast<unsigned>(signal));
        Write(fd, "\n");
        void* frames[kMaxFrames];
        backtrace_symbols_fd(frames, backtrace(frames, kMaxFrames), fd);
        close(fd);
        Write(STDERR_FILENO, "Minidump created.\n");
    }
    errno = savedErrno;
    // The default action ends the process (with a core where allowed) once
    // the handler returns and the fault happens again, or at once here.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
}

}  // namespace

void CrashHandler_Install()
{
    if (g_installed) return;
    g_installed = true;
    // backtrace loads its unwinder on first use; do that now, not in the
    // handler.
    void* frame = nullptr;
    backtrace(&frame, 1);

    static char* altStack = new char[kAltStackSize];
    stack_t stack{};
    stack.ss_sp = altStack;
    stack.ss_size = kAltStackSize;
    sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_handler = &OnFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;
    for (int signal : kSignals) {
        sigaction(signal, &action, nullptr);
    }
}

}  // namespace bw
