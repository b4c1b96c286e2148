#pragma once

#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

// One run of a program with a few environment variables replaced and its
// standard error going to a file; killed if still running when the object goes.
class CStandinProcess
{
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;

    CStandinProcess() = default;
    ~CStandinProcess();
    CStandinProcess(const CStandinProcess&) = delete;
    CStandinProcess& operator=(const CStandinProcess&) = delete;

    // `environment` entries replace inherited ones; an empty value removes the variable.
    bool Start(const std::string& strProgram, const std::vector<std::string>& args, const Environment& environment,
               const std::string& strLogFile);

    // True once the process has ended (it is then reaped).
    bool HasExited();
    // Waits up to `dSeconds`; the exit status, or -1 while it still runs or when it was killed by a signal.
    int Wait(double dSeconds);
    void Kill();

private:
    pid_t m_pid = -1;
    int m_nStatus = 0;
    bool m_bExited = false;
};
