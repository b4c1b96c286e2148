#pragma once

#include <cstddef>
#include <string>

#include <sys/types.h>

// Writes every byte of `bytes` to `fd`, going on after a short write or an
// interrupted one; false when the descriptor refuses more.
bool WriteAll(int fd, const std::string& bytes);

// Reads up to `nCount` bytes into `pBuffer` (from `offset` with pread when
// it is not negative, else from the descriptor's position), going on after a
// short read or an interrupted one until the end of the file. The bytes read,
// or -1 when reading failed.
ssize_t ReadAll(int fd, void* pBuffer, size_t nCount, off_t offset = -1);
