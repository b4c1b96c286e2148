#include "os/posix/ProcessLauncher.h"

#include "base/linux/OwnEnvironment.h"

#include "os/posix/FileDescriptor.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <system_error>
#include <thread>

namespace
{

std::vector<char*> MakeArgv(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    return args;
}

void CloseRange(int first, int last, long maxFd)
{
    if (first > last)
        return;
    if (close_range(static_cast<unsigned>(first), static_cast<unsigned>(last), 0) == 0)
        return;
    for (long fd = first; fd <= last && fd < maxFd; ++fd)
        close(static_cast<int>(fd));
}

// Closes every descriptor from 3 up but `keepA` and `keepB` (-1 for none).
// Async-signal-safe.
void CloseAllBut(int keepA, int keepB, long maxFd)
{
    const int low = keepA < keepB ? keepA : keepB;
    const int high = keepA < keepB ? keepB : keepA;
    const int top = static_cast<int>(~0U >> 1);
    int next = 3;
    if (low >= 3) {
        CloseRange(next, low - 1, maxFd);
        next = low + 1;
    }
    if (high >= 3) {
        CloseRange(next, high - 1, maxFd);
        next = high + 1;
    }
    CloseRange(next, top, maxFd);
}

// In a freshly forked child, so only async-signal-safe calls: puts the given
// descriptors on 0..2, closes every other one but the error pipe (and the
// program's file), resets signal state, then execs argv[0], or with
// imageFd >= 0 the open file itself. On failure reports errno through the pipe.
// Also run in a child that shares our memory (vfork), with every signal
// blocked: the handlers go back to the defaults before any signal can arrive,
// so none of ours runs in it.
[[noreturn]] void ExecChild(char* const* args, char* const* env, int inFd, int outFd, int errFd, int errorPipe,
                            long maxFd, int imageFd = -1, bool isScript = false)
{
    struct sigaction dfl = {};
    dfl.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig)
        sigaction(sig, &dfl, nullptr);
    sigset_t empty;
    sigemptyset(&empty);
    sigprocmask(SIG_SETMASK, &empty, nullptr);

    // Lift everything above 2 first so the dup2 calls below cannot clobber it.
    const int pipeFd = fcntl(errorPipe, F_DUPFD_CLOEXEC, 3);
    const int in = fcntl(inFd, F_DUPFD_CLOEXEC, 3);
    const int out = fcntl(outFd, F_DUPFD_CLOEXEC, 3);
    const int err = fcntl(errFd, F_DUPFD_CLOEXEC, 3);
    const int image = imageFd >= 0 ? fcntl(imageFd, F_DUPFD_CLOEXEC, 3) : -1;
    int code = 0;
    if (pipeFd < 0 || in < 0 || out < 0 || err < 0 || (imageFd >= 0 && image < 0) || dup2(in, 0) < 0 ||
        dup2(out, 1) < 0 || dup2(err, 2) < 0)
        code = errno;
    if (code == 0) {
        CloseAllBut(pipeFd, image, maxFd);
        if (image < 0)
            execve(args[0], args, env);
        // A script's interpreter is handed /dev/fd/N and opens the file again
        // through it, so for a script the descriptor must survive the exec;
        // a binary needs no descriptor afterwards and gets none.
        else if (!isScript || fcntl(image, F_SETFD, 0) == 0)
            fexecve(image, args, env);
        code = errno;
    }
    const int report = pipeFd >= 0 ? pipeFd : errorPipe;
    ssize_t ignored = write(report, &code, sizeof code);
    (void)ignored;
    _exit(127);
}

// What WatchProgram answers when the program still runs at the end.
constexpr int STILL_RUNNING = -1;

// Waits up to `limitMs` for our child `pid` to end: its wait status, or
// STILL_RUNNING.
int WatchProgram(pid_t pid, long limitMs)
{
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return status;
        if (done < 0 && errno != EINTR)
            return STILL_RUNNING;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long elapsedMs = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (elapsedMs >= limitMs)
            return STILL_RUNNING;
        const long pauseMs = limitMs - elapsedMs < 10 ? limitMs - elapsedMs : 10;
        poll(nullptr, 0, static_cast<int>(pauseMs));
    }
}

// Reads the errno a child reports before exec; 0 when the pipe closes empty.
int ReadStartError(int readFd)
{
    int code = 0;
    ssize_t n = 0;
    do
        n = read(readFd, &code, sizeof code);
    while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(sizeof code) ? code : 0;
}

// The raw wait status of `pid` once it has ended, or -1.
int WaitStatus(pid_t pid)
{
    int status = 0;
    pid_t done = 0;
    do
        done = waitpid(pid, &status, 0);
    while (done < 0 && errno == EINTR);
    return done < 0 ? -1 : status;
}

} // namespace

bool CProcessLauncher::LooksLikeUrl(const std::wstring& text)
{
    const size_t colon = text.find(L':');
    if (colon == std::wstring::npos || colon < 2)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        const wchar_t ch = text[i];
        const bool letter = (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z');
        const bool other = (ch >= L'0' && ch <= L'9') || ch == L'+' || ch == L'-' || ch == L'.';
        if (!letter && !(i > 0 && other))
            return false;
    }
    return true;
}

bool CProcessLauncher::IsExecutableImage(const std::string& head)
{
    return head.compare(0, 4,
                        "\x7F"
                        "ELF") == 0 ||
           head.compare(0, 2, "#!") == 0;
}

std::string CProcessLauncher::FindProgram(const std::string& program)
{
    if (program.empty())
        return std::string();
    if (program.find('/') != std::string::npos)
        return access(program.c_str(), X_OK) == 0 ? program : std::string();
    const char* path = secure_getenv("PATH");
    const std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t pos = 0;
    while (pos <= dirs.size()) {
        size_t end = dirs.find(':', pos);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > pos ? dirs.substr(pos, end - pos) : ".";
        const std::string candidate = dir + "/" + program;
        struct stat st = {};
        if (candidate[0] == '/' && stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        pos = end + 1;
    }
    return std::string();
}

namespace
{

// Blocks every signal of the calling thread for its lifetime: a child that
// shares our memory must never run one of our handlers.
class CAllSignalsBlocked
{
public:
    CAllSignalsBlocked()
    {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &m_previous);
    }
    ~CAllSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    CAllSignalsBlocked(const CAllSignalsBlocked&) = delete;
    CAllSignalsBlocked& operator=(const CAllSignalsBlocked&) = delete;

private:
    sigset_t m_previous{};
};

// A program left running is waited for on a thread of its own, so that it
// never lingers as our zombie; if we exit first, init adopts it. Without a
// thread to be had, it is reaped when we exit.
void ReapWhenItEnds(pid_t pid)
{
    try {
        std::thread([pid] { WaitStatus(pid); }).detach();
    } catch (const std::system_error&) {
    }
}

// The detached start behind SpawnDetached, SpawnDetachedImage and
// SpawnWatched. The program is started with vfork, in a session of its own:
// copying our address space for a program that replaces it at once took
// milliseconds. This thread waits until the child has exec'd or failed to,
// and then, with watchMs > 0, up to that long for it to end (`verdict`: a
// wait status, or STILL_RUNNING). Returns 0 once the program runs, else the
// errno of the failed start.
int StartDetached(const std::vector<std::string>& argv, int imageFd, bool isScript, long watchMs, int& verdict)
{
    verdict = STILL_RUNNING;
    if (argv.empty() || argv[0].empty() || argv[0][0] != '/')
        return EINVAL;
    std::vector<char*> args = MakeArgv(argv);
    const long maxFd = sysconf(_SC_OPEN_MAX) > 0 ? sysconf(_SC_OPEN_MAX) : 1024;

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return errno;
    CFileDescriptor readEnd(fds[0]);
    CFileDescriptor writeEnd(fds[1]);
    CFileDescriptor devNull(open("/dev/null", O_RDWR | O_CLOEXEC));
    if (devNull.Get() < 0)
        return errno;

    const std::vector<char*> env = EnvironmentForChildren();
    pid_t child = -1;
    int forkError = 0;
    {
        CAllSignalsBlocked blocked;
        child = vfork();
        if (child == 0) {
            setsid();
            ExecChild(args.data(), env.data(), devNull.Get(), devNull.Get(), devNull.Get(), writeEnd.Get(), maxFd,
                      imageFd, isScript);
        }
        forkError = child < 0 ? errno : 0;
    }
    if (child < 0)
        return forkError;
    writeEnd.Close();
    const int code = ReadStartError(readEnd.Get());
    if (code != 0) {
        WaitStatus(child);
        return code;
    }
    verdict = watchMs > 0 ? WatchProgram(child, watchMs) : STILL_RUNNING;
    if (verdict == STILL_RUNNING)
        ReapWhenItEnds(child);
    return 0;
}

} // namespace

int CProcessLauncher::SpawnDetached(const std::vector<std::string>& argv)
{
    int verdict = 0;
    return StartDetached(argv, -1, false, 0, verdict);
}

int CProcessLauncher::SpawnDetachedImage(int imageFd, bool isScript, const std::vector<std::string>& argv)
{
    if (imageFd < 0)
        return EBADF;
    int verdict = 0;
    return StartDetached(argv, imageFd, isScript, 0, verdict);
}

int CProcessLauncher::SpawnWatched(const std::vector<std::string>& argv, std::chrono::milliseconds limit)
{
    int verdict = STILL_RUNNING;
    const long limitMs = limit.count() > 0 ? static_cast<long>(limit.count()) : 1;
    const int code = StartDetached(argv, -1, false, limitMs, verdict);
    if (code != 0)
        return code;
    if (verdict == STILL_RUNNING)
        return 0;
    return WIFEXITED(verdict) && WEXITSTATUS(verdict) == 0 ? 0 : PROGRAM_FAILED;
}

int CProcessLauncher::RunForLine(const std::vector<std::string>& argv, std::string& line, size_t maxBytes)
{
    line.clear();
    if (argv.empty() || argv[0].empty() || argv[0][0] != '/' || maxBytes == 0)
        return -1;
    std::vector<char*> args = MakeArgv(argv);
    const long maxFd = sysconf(_SC_OPEN_MAX) > 0 ? sysconf(_SC_OPEN_MAX) : 1024;

    int errorFds[2];
    int outFds[2];
    if (pipe2(errorFds, O_CLOEXEC) != 0)
        return -1;
    CFileDescriptor errorRead(errorFds[0]);
    CFileDescriptor errorWrite(errorFds[1]);
    if (pipe2(outFds, O_CLOEXEC) != 0)
        return -1;
    CFileDescriptor outRead(outFds[0]);
    CFileDescriptor outWrite(outFds[1]);
    CFileDescriptor devNull(open("/dev/null", O_RDWR | O_CLOEXEC));
    if (devNull.Get() < 0)
        return -1;

    const std::vector<char*> env = EnvironmentForChildren();
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        // A helper we wait for (the folder picker) goes when we go, rather
        // than staying on screen after the installer has ended.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        ExecChild(args.data(), env.data(), devNull.Get(), outWrite.Get(), devNull.Get(), errorWrite.Get(), maxFd);
    }

    errorWrite.Close();
    outWrite.Close();
    const int code = ReadStartError(errorRead.Get());
    bool complete = false; // a whole line, or maxBytes of one
    char buffer[4096];
    while (!complete) {
        const size_t room = maxBytes - line.size();
        const ssize_t n = read(outRead.Get(), buffer, room < sizeof buffer ? room : sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        const size_t from = line.size();
        line.append(buffer, static_cast<size_t>(n));
        const size_t end = line.find_first_of("\r\n", from);
        if (end != std::string::npos) {
            line.resize(end);
            complete = true;
        } else if (line.size() >= maxBytes) {
            complete = true;
        }
    }

    // Nothing more is read: a program still writing gets SIGPIPE, and one
    // that lingers anyway is ended, so neither its output nor its life is
    // ours to wait for.
    outRead.Close();
    int status = WatchProgram(child, 1000);
    if (status == STILL_RUNNING) {
        kill(child, SIGKILL);
        status = WaitStatus(child);
    }
    if (code != 0 || status == -1)
        return -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return complete ? 0 : -1;
}
