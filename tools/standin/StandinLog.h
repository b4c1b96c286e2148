#pragma once

// One line on standard error, prefixed with the program's name. printf format.
void StandinLog(const char* pszFormat, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
