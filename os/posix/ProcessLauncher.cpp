#include "os/posix/ProcessLauncher.h"

#include "os/posix/FileDescriptor.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/prctl.h>
#include <unistd.h>

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

// In a freshly forked child, so only async-signal-safe calls: puts the given
// descriptors on 0..2, closes every other one but the error pipe, resets
// signal state, then execs. On failure reports errno through the pipe.
[[noreturn]] void ExecChild(char* const* args, int inFd, int outFd, int errFd, int errorPipe, long maxFd)
{
    sigset_t empty;
    sigemptyset(&empty);
    sigprocmask(SIG_SETMASK, &empty, nullptr);
    struct sigaction dfl{};
    dfl.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig)
        sigaction(sig, &dfl, nullptr);

    // Lift everything above 2 first so the dup2 calls below cannot clobber it.
    const int pipeFd = fcntl(errorPipe, F_DUPFD_CLOEXEC, 3);
    const int in = fcntl(inFd, F_DUPFD_CLOEXEC, 3);
    const int out = fcntl(outFd, F_DUPFD_CLOEXEC, 3);
    const int err = fcntl(errFd, F_DUPFD_CLOEXEC, 3);
    int code = 0;
    if (pipeFd < 0 || in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
        code = errno;
    if (code == 0)
    {
        CloseRange(3, pipeFd - 1, maxFd);
        CloseRange(pipeFd + 1, static_cast<int>(~0U >> 1), maxFd);
        execve(args[0], args, environ);
        code = errno;
    }
    const int report = pipeFd >= 0 ? pipeFd : errorPipe;
    ssize_t ignored = write(report, &code, sizeof code);
    (void)ignored;
    _exit(127);
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

int WaitFor(pid_t pid)
{
    int status = 0;
    pid_t done = 0;
    do
        done = waitpid(pid, &status, 0);
    while (done < 0 && errno == EINTR);
    if (done < 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}

bool CProcessLauncher::LooksLikeUrl(const std::wstring& text)
{
    const size_t colon = text.find(L':');
    if (colon == std::wstring::npos || colon < 2)
        return false;
    for (size_t i = 0; i < colon; ++i)
    {
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
    return head.compare(0, 4, "\x7F" "ELF") == 0 || head.compare(0, 2, "#!") == 0;
}

std::string CProcessLauncher::FindProgram(const std::string& program)
{
    if (program.empty())
        return std::string();
    if (program.find('/') != std::string::npos)
        return access(program.c_str(), X_OK) == 0 ? program : std::string();
    const char* path = getenv("PATH");
    const std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t pos = 0;
    while (pos <= dirs.size())
    {
        size_t end = dirs.find(':', pos);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > pos ? dirs.substr(pos, end - pos) : ".";
        const std::string candidate = dir + "/" + program;
        struct stat st{};
        if (candidate[0] == '/' && stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        pos = end + 1;
    }
    return std::string();
}

int CProcessLauncher::SpawnDetached(const std::vector<std::string>& argv)
{
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

    const pid_t child = fork();
    if (child < 0)
        return errno;
    if (child == 0)
    {
        setsid();
        const pid_t grandchild = fork();
        if (grandchild < 0)
        {
            const int code = errno;
            ssize_t ignored = write(writeEnd.Get(), &code, sizeof code);
            (void)ignored;
            _exit(1);
        }
        if (grandchild > 0)
            _exit(0);
        ExecChild(args.data(), devNull.Get(), devNull.Get(), devNull.Get(), writeEnd.Get(), maxFd);
    }
    writeEnd.Close();
    const int code = ReadStartError(readEnd.Get());
    WaitFor(child);
    return code;
}

int CProcessLauncher::Run(const std::vector<std::string>& argv, std::string& output)
{
    output.clear();
    if (argv.empty() || argv[0].empty() || argv[0][0] != '/')
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

    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0)
    {
        // A helper we wait for (the folder picker) goes when we go, rather
        // than staying on screen after the installer has ended.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        ExecChild(args.data(), devNull.Get(), outWrite.Get(), devNull.Get(), errorWrite.Get(), maxFd);
    }

    errorWrite.Close();
    outWrite.Close();
    const int code = ReadStartError(errorRead.Get());
    char buffer[4096];
    for (;;)
    {
        const ssize_t n = read(outRead.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        output.append(buffer, static_cast<size_t>(n));
    }
    const int status = WaitFor(child);
    return code != 0 ? -1 : status;
}
