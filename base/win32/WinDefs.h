#pragma once

// The Windows build takes its vocabulary from the platform headers. The build
// defines UNICODE, NOMINMAX and WIN32_LEAN_AND_MEAN for every file, so that
// all of them agree on the W-suffixed names.

#if !defined(UNICODE) || !defined(_UNICODE)
#error "The Windows build defines UNICODE and _UNICODE for every file"
#endif

#include <windows.h>
