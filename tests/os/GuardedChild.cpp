#include "GuardedChild.h"

#include <chrono>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZELQA_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZELQA_TEST_SANITIZED 1
#endif
#endif

int RunGuardedChild(const std::function<int()>& body, unsigned seconds, size_t memoryBytes)
{
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
#ifndef ZELQA_TEST_SANITIZED
        // The sanitizers reserve far more address space than any limit here.
        if (memoryBytes > 0) {
            const rlimit limit{memoryBytes, memoryBytes};
            setrlimit(RLIMIT_AS, &limit);
        }
#else
        (void)memoryBytes;
#endif
        signal(SIGALRM, SIG_DFL);
        alarm(seconds);
        int result = 1;
        try {
            result = body();
        } catch (...) {
            _exit(254);
        }
        _exit(result & 0xFF);
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds + 5);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
