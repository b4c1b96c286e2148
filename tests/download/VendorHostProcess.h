#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// A zelqa-vendor-host child process on a free loopback port, stopped with
// SIGTERM when the object goes.
class CVendorHostProcess
{
public:
    CVendorHostProcess() = default;
    ~CVendorHostProcess();
    CVendorHostProcess(const CVendorHostProcess&) = delete;
    CVendorHostProcess& operator=(const CVendorHostProcess&) = delete;

    // Starts the host with these extra arguments and waits for its
    // "listening on" line; false with a message when it does not come.
    bool Start(const std::vector<std::string>& args, std::string& strError);
    // Sends SIGTERM and waits; the exit status, or -1 when it had to be killed.
    int Stop();
    int GetPort() const { return m_nPort; }

private:
    pid_t m_pid = -1;
    int m_nPort = 0;
};
