#pragma once

#include <string>

class CWnd;

// Compares what the top-level window of `pWnd` shows with <name>.png in the
// goldens of the target: tests/golden/ on Linux, tests/golden/win32/ on Windows.
// Pixels may differ by a few levels per channel (font rasterisers differ slightly
// between versions); a failure leaves <name>.actual.png and <name>.diff.png in
// the test output folder. With ZELQA_UPDATE_GOLDEN=1 the golden is rewritten.
::testing::AssertionResult MatchesGolden(CWnd* pWnd, const std::string& name);
