#pragma once

// Test hooks only the Linux backend has: windows with no display at all.

// Starts the window system with SDL's offscreen driver: windows exist, paint
// and take injected input, but nothing is shown anywhere. False if it cannot
// start.
bool InitHeadlessWindowSystem();
