// libcurl's entry points as the download code calls them, bound to the
// library on first use. Linking libcurl outright would load it and the two
// dozen libraries behind it (TLS, Kerberos, LDAP, SSH...) at every start,
// which costs the window its first frame a good part of its time; the
// download comes only after the user has clicked Install. The program does not
// export these names, so libcurl's own calls go to its own functions.
//
// Without the library each call fails the way libcurl reports a failure
// (a null handle, CURLE_FAILED_INIT...), and the download ends as failed.

#include <cstdarg>
#include <mutex>
#include <vector>

#include <curl/curl.h>
#include <dlfcn.h>

#include "os/posix/LoaderTables.h"
#include "base/linux/OwnEnvironment.h"

namespace
{
// The library whose interface <curl/curl.h> describes.
constexpr const char* CURL_LIBRARY = "libcurl.so.4";

// libcurl's RTMP support brings GnuTLS, which sets itself up whole as it
// loads (half a megabyte and more) for a protocol the download never speaks;
// its TLS is OpenSSL's. This variable, there before the library loads, keeps
// GnuTLS from it; a program GnuTLS serves initialises it itself.
const bool g_bGnuTlsSetUpOnlyOnRequest = [] {
    SetForThisProcessOnly("GNUTLS_NO_IMPLICIT_INIT", "1");
    return true;
}();

struct CurlFunctions
{
    decltype(&::curl_global_init) pGlobalInit = nullptr;
    decltype(&::curl_easy_init) pEasyInit = nullptr;
    decltype(&::curl_easy_cleanup) pEasyCleanup = nullptr;
    decltype(&::curl_easy_perform) pEasyPerform = nullptr;
    decltype(&::curl_easy_setopt) pEasySetopt = nullptr;
    decltype(&::curl_easy_getinfo) pEasyGetinfo = nullptr;
    decltype(&::curl_url) pUrl = nullptr;
    decltype(&::curl_url_cleanup) pUrlCleanup = nullptr;
    decltype(&::curl_url_set) pUrlSet = nullptr;
    decltype(&::curl_url_get) pUrlGet = nullptr;
    decltype(&::curl_free) pFree = nullptr;
    bool bLoaded = false;
};

template <typename Function>
bool Bind(void* pLibrary, const char* pszName, Function& pFunction)
{
    pFunction = reinterpret_cast<Function>(::dlsym(pLibrary, pszName));
    return pFunction != nullptr;
}

const CurlFunctions& Curl()
{
    static CurlFunctions s_functions;
    static std::once_flag s_once;
    std::call_once(s_once, [] {
        // Kept for the life of the process, as a linked library would be.
        const std::vector<uintptr_t> before = LoadedObjects();
        void* pLibrary = ::dlopen(CURL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!pLibrary)
            return;
        CurlFunctions f;
        f.bLoaded =
            Bind(pLibrary, "curl_global_init", f.pGlobalInit) && Bind(pLibrary, "curl_easy_init", f.pEasyInit) &&
            Bind(pLibrary, "curl_easy_cleanup", f.pEasyCleanup) &&
            Bind(pLibrary, "curl_easy_perform", f.pEasyPerform) && Bind(pLibrary, "curl_easy_setopt", f.pEasySetopt) &&
            Bind(pLibrary, "curl_easy_getinfo", f.pEasyGetinfo) && Bind(pLibrary, "curl_url", f.pUrl) &&
            Bind(pLibrary, "curl_url_cleanup", f.pUrlCleanup) && Bind(pLibrary, "curl_url_set", f.pUrlSet) &&
            Bind(pLibrary, "curl_url_get", f.pUrlGet) && Bind(pLibrary, "curl_free", f.pFree);
        if (f.bLoaded)
            s_functions = f;
        // Every symbol is bound: the loader is done with their tables.
        ReleaseLoaderTablesSince(before);
    });
    return s_functions;
}
} // namespace

extern "C" {

CURLcode curl_global_init(long flags)
{
    return Curl().bLoaded ? Curl().pGlobalInit(flags) : CURLE_FAILED_INIT;
}

CURL* curl_easy_init(void)
{
    return Curl().bLoaded ? Curl().pEasyInit() : nullptr;
}

void curl_easy_cleanup(CURL* curl)
{
    // A handle exists only when the library was loaded.
    if (curl)
        Curl().pEasyCleanup(curl);
}

CURLcode curl_easy_perform(CURL* curl)
{
    return curl ? Curl().pEasyPerform(curl) : CURLE_FAILED_INIT;
}

// The one value after the option has the type its number says: libcurl
// numbers its options by the kind of value they take.
CURLcode curl_easy_setopt(CURL* curl, CURLoption option, ...)
{
    if (!curl)
        return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, option);
    CURLcode code = CURLE_BAD_FUNCTION_ARGUMENT;
    const auto& f = Curl();
    if (option < CURLOPTTYPE_OBJECTPOINT)
        code = f.pEasySetopt(curl, option, va_arg(args, long));
    else if (option < CURLOPTTYPE_FUNCTIONPOINT)
        code = f.pEasySetopt(curl, option, va_arg(args, void*));
    else if (option < CURLOPTTYPE_OFF_T)
        code = f.pEasySetopt(curl, option, va_arg(args, void (*)()));
    else if (option < CURLOPTTYPE_BLOB)
        code = f.pEasySetopt(curl, option, va_arg(args, curl_off_t));
    else
        code = f.pEasySetopt(curl, option, va_arg(args, curl_blob*));
    va_end(args);
    return code;
}

// Every piece of information is answered through a pointer.
CURLcode curl_easy_getinfo(CURL* curl, CURLINFO info, ...)
{
    if (!curl)
        return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, info);
    const CURLcode code = Curl().pEasyGetinfo(curl, info, va_arg(args, void*));
    va_end(args);
    return code;
}

CURLU* curl_url(void)
{
    return Curl().bLoaded ? Curl().pUrl() : nullptr;
}

void curl_url_cleanup(CURLU* url)
{
    if (url)
        Curl().pUrlCleanup(url);
}

CURLUcode curl_url_set(CURLU* url, CURLUPart part, const char* content, unsigned int flags)
{
    return url ? Curl().pUrlSet(url, part, content, flags) : CURLUE_BAD_HANDLE;
}

CURLUcode curl_url_get(CURLU* url, CURLUPart part, char** content, unsigned int flags)
{
    return url ? Curl().pUrlGet(url, part, content, flags) : CURLUE_BAD_HANDLE;
}

void curl_free(void* p)
{
    // Only libcurl hands out what is freed here.
    if (p)
        Curl().pFree(p);
}

} // extern "C"
