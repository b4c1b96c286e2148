#include "tools/standin/ParentProcess.h"

#include <unistd.h>

#include <fstream>

std::string CParentProcess::Name()
{
    std::ifstream comm("/proc/" + std::to_string(getppid()) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}
