#pragma once

// SDL sends client messages to windows as it closes them; when the X server
// has already destroyed such a window (a message box that has just gone) the
// answer is a BadWindow error, and Xlib's default handler ends the process for
// it. Installed once after the video driver has started on X11: that one
// error is dropped, every other goes to the handler that was there before.
void IgnoreSendEventToDestroyedWindows();
