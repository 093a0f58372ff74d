// The POSIX side of ChildProcess: posix_spawnp in a process group of its own
// (so that a stop reaches whatever the engine started), non-blocking pipes
// read and written with poll.
#include "child_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace skerrow::match_runner {

namespace {

// Longest wait for an engine to take a message, in milliseconds.
constexpr int kWriteWaitMs = 5000;

void IgnoreBrokenPipes() {
    // A write to an engine that has exited must fail with EPIPE, not end
    // this program.
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

class PosixChild final : public ChildProcess {
public:
    PosixChild(pid_t pid, int input, int output) : m_pid(pid), m_input(input), m_output(output) {}
    ~PosixChild() override {
        Stop(0);
        close(m_output);
    }

    bool Write(const std::string& bytes) override {
        std::size_t written = 0;
        while (written < bytes.size()) {
            std::lock_guard lock(m_inputMutex);
            if (m_input < 0) {
                return false;
            }
            const ssize_t n = write(m_input, bytes.data() + written, bytes.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && errno == EAGAIN) {
                pollfd wait{m_input, POLLOUT, 0};
                if (poll(&wait, 1, kWriteWaitMs) > 0 && (wait.revents & POLLOUT) != 0) {
                    continue;
                }
            }
            return false;
        }
        return true;
    }

    ReadResult Read(char* buffer, std::size_t size, int timeoutMs) override {
        pollfd wait{m_output, POLLIN, 0};
        const int ready = poll(&wait, 1, timeoutMs);
        if (ready <= 0) {
            return {};
        }
        const ssize_t n = read(m_output, buffer, size);
        if (n > 0) {
            return {static_cast<std::size_t>(n), false};
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            return {};
        }
        return {0, true};
    }

    void Stop(int graceMs) override {
        {
            std::lock_guard lock(m_inputMutex);
            if (m_input < 0) {
                return;
            }
            close(m_input);
            m_input = -1;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
        while (waitpid(m_pid, nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                kill(-m_pid, SIGKILL);
                waitpid(m_pid, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        // Whatever the engine left running in its group goes too.
        kill(-m_pid, SIGKILL);
    }

private:
    pid_t m_pid;
    std::mutex m_inputMutex;
    int m_input;
    int m_output;
};

} // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::vector<std::string>& command,
                                                  const std::string& logPath, std::string& error) {
    IgnoreBrokenPipes();
    if (command.empty()) {
        error = "no command";
        return nullptr;
    }
    int toChild[2];
    int fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        close(toChild[0]);
        close(toChild[1]);
        return nullptr;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, logPath.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    // The child starts with SIGPIPE as it should be, not ignored as here.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);

    std::vector<char*> argv;
    for (const std::string& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(toChild[0]);
    close(fromChild[1]);
    if (failed != 0) {
        error = std::strerror(failed);
        close(toChild[1]);
        close(fromChild[0]);
        return nullptr;
    }
    fcntl(toChild[1], F_SETFL, fcntl(toChild[1], F_GETFL) | O_NONBLOCK);
    return std::make_unique<PosixChild>(pid, toChild[1], fromChild[0]);
}

} // namespace skerrow::match_runner
