#include "os/OsServices.h"

#include <atomic>

namespace
{
std::atomic<IOsServices*> g_pOverride{nullptr};
}

IOsServices& OsServices()
{
    if (IOsServices* services = g_pOverride.load(std::memory_order_acquire))
        return *services;
    return PlatformOsServices();
}

void SetOsServicesForTesting(IOsServices* services)
{
    g_pOverride.store(services, std::memory_order_release);
}
