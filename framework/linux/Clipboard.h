#pragma once

#include <string>

// The system clipboard's text.
bool SetClipboardText(const std::wstring& text);
bool GetClipboardText(std::wstring& text);
