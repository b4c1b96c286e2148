#include "tools/reg/RegTool.h"

#include "os/posix/Prefix.h"
#include "os/posix/RegistryStore.h"

#include <iostream>

int main(int argc, char** argv)
{
    const CRegistryStore store(CPrefix::RegistryRoot(CPrefix::Locate()));
    CRegTool tool(store, std::cin, std::cout, std::cerr);
    return tool.Run(std::vector<std::string>(argv + 1, argv + argc));
}
