// A thinking engine for the relay benchmark. It answers every zero-ended
// message it reads with one line: the message, a space and the moment it read
// the message on the steady clock, in nanoseconds. On the systems we run on
// that clock is the same in every process, so the benchmark can split a round
// trip into its two ways.
#include <chrono>
#include <cstdio>
#include <string>

int main() {
    std::string message;
    int c = 0;
    while ((c = std::getchar()) != EOF) {
        if (c != '\0') {
            message.push_back(static_cast<char>(c));
            continue;
        }
        const auto readAt = std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        std::printf("%s %lld\n", message.c_str(), static_cast<long long>(readAt.count()));
        std::fflush(stdout);
        message.clear();
    }
    return 0;
}
