#pragma once

#include <string>

// Writes every byte of `bytes` to `fd`, going on after a short write or an
// interrupted one; false when the descriptor refuses more.
bool WriteAll(int fd, const std::string& bytes);
