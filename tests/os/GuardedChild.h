#pragma once

#include <cstddef>
#include <functional>

// Runs `body` in a forked child under an alarm of `seconds` and, outside the
// sanitizers, a limit of `memoryBytes` (0: none), so that a call which would
// hang or swell without end fails the test instead of stopping or starving
// it. Returns the child's exit status (what `body` returned, 0 to 255), or -1
// when the child was killed: by the alarm, by running out of memory, or by
// us after `seconds` + 5 without an end.
int RunGuardedChild(const std::function<int()>& body, unsigned seconds, size_t memoryBytes = 0);
