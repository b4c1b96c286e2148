#include "os/posix/LoaderTables.h"

#include <curl/curl.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
// Resident KiB of the mapping at the start of the file whose name begins
// with `name` (its loader tables), or -1 when it is not mapped.
long ResidentTablesKib(const std::string& name)
{
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool bInMapping = false;
    while (std::getline(smaps, line)) {
        std::istringstream fields(line);
        std::string range, perms, offset, device, inode, path;
        if (fields >> range >> perms >> offset >> device >> inode && range.find('-') != std::string::npos) {
            std::getline(fields >> std::ws, path);
            const std::string file = path.substr(path.find_last_of('/') + 1);
            bInMapping = perms == "r--p" && offset == "00000000" && file.rfind(name, 0) == 0;
        } else if (bInMapping && line.rfind("Rss:", 0) == 0) {
            return std::stol(line.substr(4));
        }
    }
    return -1;
}
} // namespace

// A library loaded with everything bound gives its tables and those of all
// it brought back, yet works on; what was loaded before keeps its own.
TEST(LoaderTables, WhatALoadBroughtGivesItsTablesBackAndStillWorks)
{
    ASSERT_EQ(ResidentTablesKib("libcurl.so"), -1) << "libcurl must not be loaded before the test";
    const long nLibcBefore = ResidentTablesKib("libc.so");
    const std::vector<uintptr_t> before = LoadedObjects();
    void* pLibrary = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(pLibrary, nullptr) << ::dlerror();
    auto pVersionInfo = reinterpret_cast<decltype(&::curl_version_info)>(::dlsym(pLibrary, "curl_version_info"));
    auto pGlobalInit = reinterpret_cast<decltype(&::curl_global_init)>(::dlsym(pLibrary, "curl_global_init"));
    ASSERT_TRUE(pVersionInfo && pGlobalInit);
    EXPECT_GT(ResidentTablesKib("libcurl.so"), 0);

    ReleaseLoaderTablesSince(before);
    EXPECT_EQ(ResidentTablesKib("libcurl.so"), 0);
    EXPECT_EQ(ResidentTablesKib("libcrypto.so"), 0);
    EXPECT_EQ(ResidentTablesKib("libc.so"), nLibcBefore);

    // Relocated data and code of the whole stack are as the loader left them.
    ASSERT_EQ(pGlobalInit(CURL_GLOBAL_DEFAULT), CURLE_OK);
    const curl_version_info_data* pInfo = pVersionInfo(CURLVERSION_NOW);
    ASSERT_NE(pInfo, nullptr);
    ASSERT_NE(pInfo->ssl_version, nullptr);
    EXPECT_NE(std::strlen(pInfo->ssl_version), 0u);
    bool bHttps = false;
    for (const char* const* ppProtocol = pInfo->protocols; ppProtocol && *ppProtocol; ++ppProtocol)
        bHttps = bHttps || std::strcmp(*ppProtocol, "https") == 0;
    EXPECT_TRUE(bHttps);
}
