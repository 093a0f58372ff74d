#pragma once

// An engine program run as a child process: its standard input and output on
// pipes, its standard error appended to a log file. The interface is all that
// the rest of skerrow-match sees; child_process_posix.cpp implements it with
// posix_spawn, and a Windows implementation (CreateProcess with pipes) would
// sit beside it behind the same calls.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace skerrow::match_runner {

class ChildProcess {
public:
    // What one Read brought.
    struct ReadResult {
        // Bytes read into the buffer; 0 on a time-out or at the end.
        std::size_t bytes = 0;
        // The child's output has ended: it exited or closed it.
        bool ended = false;
    };

    virtual ~ChildProcess() = default;

    // Starts `command` (the program, found on PATH when it has no slash,
    // then its arguments) with standard error appended to `logPath`. Null,
    // with the reason in `error`, when it cannot be started.
    static std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& command,
                                               const std::string& logPath, std::string& error);

    // Writes all of `bytes` to the child's standard input. False when the
    // child has closed it or has not taken the bytes within a few seconds
    // (an engine that reads nothing); the child counts as gone then.
    virtual bool Write(const std::string& bytes) = 0;
    // Waits at most `timeoutMs` for output and reads what there is. Safe to
    // call from one thread while another calls Write or Stop.
    virtual ReadResult Read(char* buffer, std::size_t size, int timeoutMs) = 0;
    // Ends the child: closes its input, gives it `graceMs` to exit, then
    // kills it and every process it started. Returns at once when called
    // again.
    virtual void Stop(int graceMs) = 0;
};

} // namespace skerrow::match_runner
