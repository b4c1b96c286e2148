#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

// Starting other programs: detached ones that outlive us, and short-lived
// helpers whose output we read. The classification helpers are pure.
class CProcessLauncher
{
public:
    // True for "scheme:..." with a scheme of two or more characters; a single
    // letter before the colon is a drive.
    static bool LooksLikeUrl(const std::wstring& text);

    // True when the first bytes of a file start an ELF image or a "#!" script.
    static bool IsExecutableImage(const std::string& head);

    // An absolute program path: `program` itself when it holds a slash,
    // otherwise the first executable match in PATH; empty when there is none.
    static std::string FindProgram(const std::string& program);

    // Starts argv (argv[0] an absolute path) in a session of its own, with
    // standard input and output on /dev/null and no other descriptor of ours.
    // It runs on after we exit (init adopts it), and a thread of ours waits
    // for its end meanwhile, so it never lingers as our zombie. Returns 0
    // once the program runs, else the errno of the failed start.
    static int SpawnDetached(const std::vector<std::string>& argv);

    // As SpawnDetached, but runs the program in the open file `imageFd`
    // (fexecve) rather than whatever argv[0] names by the time the child
    // execs; argv[0] is only what the program is told. `isScript`: the file
    // is a "#!" script, whose interpreter opens it again through the
    // descriptor, which it therefore inherits.
    static int SpawnDetachedImage(int imageFd, bool isScript, const std::vector<std::string>& argv);

    // What SpawnWatched answers when the program ran and failed.
    static constexpr int PROGRAM_FAILED = -1;

    // Starts argv detached like SpawnDetached and watches it for up to
    // `limit`. Returns 0 when it exited with status 0 or still runs at the
    // end of `limit` (it then carries on by itself, never our zombie),
    // PROGRAM_FAILED when it exited with another status or was killed, else
    // the errno of the failed start.
    static int SpawnWatched(const std::vector<std::string>& argv, std::chrono::milliseconds limit);

    // Runs argv and reads its standard output up to the end of its first
    // line (without the line break) or `maxBytes`, whichever comes first;
    // the rest is discarded and the program ended (a program that keeps
    // writing must not grow us). Returns its exit status when it ended by
    // itself, 0 when it was ended after a whole line (or `maxBytes`), else
    // -1: not started, or killed before it gave a line.
    static int RunForLine(const std::vector<std::string>& argv, std::string& line, size_t maxBytes);
};
