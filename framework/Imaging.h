#pragma once

#include "base/Types.h"

// Start-up and shut-down of the image library, counted: it stays usable until
// the last token is shut down. A token of 0 means the start-up failed.
ULONG_PTR ImagingStartup();
void ImagingShutdown(ULONG_PTR token);
