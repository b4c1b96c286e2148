#include "base/linux/OwnEnvironment.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

namespace
{
std::vector<std::string>& OwnNames()
{
    static std::vector<std::string> s_names;
    return s_names;
}

bool IsOwn(const char* pszEntry)
{
    for (const std::string& name : OwnNames())
        if (std::strncmp(pszEntry, name.c_str(), name.size()) == 0 && pszEntry[name.size()] == '=')
            return true;
    return false;
}
} // namespace

void SetForThisProcessOnly(const char* pszName, const char* pszValue)
{
    if (std::getenv(pszName))
        return;
    if (::setenv(pszName, pszValue, 0) == 0)
        OwnNames().emplace_back(pszName);
}

std::vector<char*> EnvironmentForChildren()
{
    std::vector<char*> env;
    for (char** p = environ; p && *p; ++p)
        if (!IsOwn(*p))
            env.push_back(*p);
    env.push_back(nullptr);
    return env;
}
