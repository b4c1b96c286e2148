#pragma once

#include <cstddef>
#include <string>

// Reading files that another program writes and we only poll: the progress
// file and the install record. Whoever can write there can also put a FIFO,
// a device or a huge file in place of the file, so a read must neither block
// nor take without limit.

// A file larger than this is no file we read (the progress file and a value
// are a few hundred bytes).
constexpr size_t MAX_POLLED_FILE_BYTES = 64 * 1024;

// Reads the whole of a regular file of at most `maxBytes`. False, with
// `bytes` empty, when the path names no regular file (a FIFO, device, socket
// or folder), can't be read, or holds more than `maxBytes`. `followLinks`
// false refuses a symbolic link as the last component. Never blocks on the
// file itself: it is opened non-blocking and looked at through the descriptor.
bool ReadBoundedRegularFile(const std::string& path, size_t maxBytes, bool followLinks, std::string& bytes);
