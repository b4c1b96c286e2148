#include "StandinProcess.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

CStandinProcess::~CStandinProcess()
{
    Kill();
}

bool CStandinProcess::Start(const std::string& strProgram, const std::vector<std::string>& args,
                            const Environment& environment, const std::string& strLogFile)
{
    std::vector<std::string> envStrings;
    for (char** pp = environ; *pp != nullptr; ++pp) {
        const std::string strEntry = *pp;
        bool bReplaced = false;
        for (const auto& [strName, strValue] : environment)
            bReplaced = bReplaced || strEntry.compare(0, strName.size() + 1, strName + "=") == 0;
        if (!bReplaced)
            envStrings.push_back(strEntry);
    }
    for (const auto& [strName, strValue] : environment) {
        if (!strValue.empty())
            envStrings.push_back(strName + "=" + strValue);
    }
    std::vector<std::string> argStrings = {strProgram};
    argStrings.insert(argStrings.end(), args.begin(), args.end());

    std::vector<char*> argv;
    for (std::string& str : argStrings)
        argv.push_back(str.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& str : envStrings)
        envp.push_back(str.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, strLogFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    const int nError = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (nError != 0) {
        m_pid = -1;
        return false;
    }
    m_bExited = false;
    return true;
}

bool CStandinProcess::HasExited()
{
    if (m_pid <= 0 || m_bExited)
        return true;
    if (waitpid(m_pid, &m_nStatus, WNOHANG) == m_pid)
        m_bExited = true;
    return m_bExited;
}

int CStandinProcess::Wait(double dSeconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(dSeconds);
    while (!HasExited() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!m_bExited || m_pid <= 0)
        return -1;
    return WIFEXITED(m_nStatus) ? WEXITSTATUS(m_nStatus) : -1;
}

void CStandinProcess::Kill()
{
    if (m_pid <= 0 || HasExited())
        return;
    kill(m_pid, SIGKILL);
    waitpid(m_pid, &m_nStatus, 0);
    m_bExited = true;
}
