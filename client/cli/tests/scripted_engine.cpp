// A thinking engine for the tests of skerrow-cli: records every byte it
// receives in the file named by its first argument and answers a few messages
// with fixed lines:
//
//   ISREADY        -> "READYOK"
//   GO ...         -> "BESTSHOT 0.1 -2.9 0\r"
//   GO chatty ...  -> "thinking it over", then "BESTSHOT 0.1 -2.9 0\r"
//   EXIT           -> exits with 3
//   GAMEOVER       -> "BYE" (no final newline)
//
// A second argument chooses a manner: "--slow" waits a second before it reads
// anything (an engine busy saving, say); "--deaf" never reads at all.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 2) {
        return 2;
    }
    const std::string manner = argc > 2 ? argv[2] : "";
    if (manner == "--deaf") {
        std::this_thread::sleep_for(std::chrono::seconds(60));
        return 0;
    }
    std::FILE* record = std::fopen(argv[1], "wb");
    if (record == nullptr) {
        return 2;
    }
    if (manner == "--slow") {
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    std::string message;
    int c = 0;
    while ((c = std::getchar()) != EOF) {
        std::fputc(c, record);
        std::fflush(record);
        if (c != '\0') {
            message.push_back(static_cast<char>(c));
            continue;
        }
        if (message == "ISREADY") {
            std::fputs("READYOK\n", stdout);
        } else if (message.rfind("GO chatty", 0) == 0) {
            std::fputs("thinking it over\n", stdout);
            std::fputs("BESTSHOT 0.1 -2.9 0\r\n", stdout);
        } else if (message.rfind("GO", 0) == 0) {
            std::fputs("BESTSHOT 0.1 -2.9 0\r\n", stdout);
        } else if (message == "EXIT") {
            std::fclose(record);
            return 3;
        } else if (message == "GAMEOVER") {
            std::fputs("BYE", stdout); // no final newline
        }
        std::fflush(stdout);
        message.clear();
    }
    std::fclose(record);
    return 0;
}
