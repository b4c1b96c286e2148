#include "tools/standin/StandinLog.h"

#include <cstdarg>
#include <cstdio>

void StandinLog(const char* pszFormat, ...)
{
    char szLine[1024];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(szLine, sizeof(szLine), pszFormat, args);
    va_end(args);
    // One write per line, so lines of the installer and the launcher sharing a log don't interleave.
    fprintf(stderr, "zelqa-standin: %s\n", szLine);
    fflush(stderr);
}
