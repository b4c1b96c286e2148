#include "VendorHostProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

CVendorHostProcess::~CVendorHostProcess()
{
    Stop();
}

bool CVendorHostProcess::Start(const std::vector<std::string>& args, std::string& strError)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        strError = "pipe failed";
        return false;
    }
    std::vector<std::string> argStrings = {ZELQA_VENDOR_HOST_EXE, "--port", "0"};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& str : argStrings)
        argv.push_back(str.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    const int nSpawn = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (nSpawn != 0) {
        m_pid = -1;
        close(pipeFds[0]);
        strError = std::string("cannot start ") + argv[0] + ": " + strerror(nSpawn);
        return false;
    }

    std::string strLine;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (strLine.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd fd = {pipeFds[0], POLLIN, 0};
        if (poll(&fd, 1, 200) <= 0)
            continue;
        char szBuffer[256];
        const ssize_t nRead = read(pipeFds[0], szBuffer, sizeof(szBuffer));
        if (nRead <= 0)
            break;
        strLine.append(szBuffer, static_cast<size_t>(nRead));
    }
    close(pipeFds[0]);

    const std::string strPrefix = "listening on https://localhost:";
    if (strLine.compare(0, strPrefix.size(), strPrefix) != 0) {
        strError = "vendor host did not report listening; it printed: " + strLine;
        Stop();
        return false;
    }
    m_nPort = std::stoi(strLine.substr(strPrefix.size()));
    return true;
}

int CVendorHostProcess::Stop()
{
    if (m_pid <= 0)
        return -1;
    kill(m_pid, SIGTERM);
    int nStatus = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    pid_t nDone = 0;
    while ((nDone = waitpid(m_pid, &nStatus, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (nDone == 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &nStatus, 0);
        m_pid = -1;
        return -1;
    }
    m_pid = -1;
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}
