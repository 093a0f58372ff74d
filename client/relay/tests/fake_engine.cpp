// A scripted thinking engine for the engine bridge tests. It reads
// zero-ended messages from its standard input and answers each with a fixed
// text, written and flushed in one piece:
//
//   ISREADY     -> "READYOK\n"
//   TWO         -> "A\nB\n" (two lines in one write)
//   NONL        -> "X" (no newline)
//   CR          -> "Y\r\n"
//   ECHO text   -> "text\n"
//   LASTWORDS   -> "Z" (no newline), then exits with code 3
//   CRASH       -> aborts
//   anything else -> "UNKNOWN <message>\n"
//
// With the arguments "--hold PORT" it first connects to 127.0.0.1:PORT and
// keeps that connection open for as long as it lives, so that a test sees
// the moment the process ends.
//
// Other roles, each chosen by its first argument:
//   --record FILE MS  a slow reader: waits MS milliseconds, then copies its
//                     input to FILE until end of file, and exits with 0
//   --linger          reads until end of file, then does not end (for 60 s)
//   --deaf            never reads (for 60 s)
#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

void Write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

// Ends at once, without running static destructors or exit handlers: the
// exit code is the script's, whatever the build's run-time checks find.
[[noreturn]] void Quit(int code) {
    std::fflush(stdout);
    std::_Exit(code);
}

bool ReadMessage(std::string& message) {
    message.clear();
    for (;;) {
        const int c = std::getchar();
        if (c == EOF) {
            return false;
        }
        if (c == '\0') {
            return true;
        }
        message.push_back(static_cast<char>(c));
    }
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

void Sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

[[noreturn]] void RecordSlowly(const char* file, int delayMs) {
    Sleep(delayMs);
    std::FILE* record = std::fopen(file, "wb");
    if (record == nullptr) {
        Quit(2);
    }
    int c = 0;
    while ((c = std::getchar()) != EOF) {
        std::fputc(c, record);
    }
    std::fclose(record);
    Quit(0);
}

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--record") {
        RecordSlowly(argv[2], std::atoi(argv[3]));
    }
    if (argc == 2 && std::string(argv[1]) == "--linger") {
        while (std::getchar() != EOF) {
        }
        Sleep(60000);
        Quit(0);
    }
    if (argc == 2 && std::string(argv[1]) == "--deaf") {
        Sleep(60000);
        Quit(0);
    }
    QCoreApplication app(argc, argv);
    QTcpSocket holder;
    if (argc == 3 && std::string(argv[1]) == "--hold") {
        holder.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(std::atoi(argv[2])));
        if (!holder.waitForConnected(10000)) {
            Quit(4);
        }
    }

    std::string message;
    while (ReadMessage(message)) {
        if (message == "ISREADY") {
            Write("READYOK\n");
        } else if (message == "TWO") {
            Write("A\nB\n");
        } else if (message == "NONL") {
            Write("X");
        } else if (message == "CR") {
            Write("Y\r\n");
        } else if (StartsWith(message, "ECHO ")) {
            Write(message.substr(5) + "\n");
        } else if (message == "LASTWORDS") {
            Write("Z");
            Quit(3);
        } else if (message == "CRASH") {
            std::abort();
        } else {
            Write("UNKNOWN " + message + "\n");
        }
    }
    Quit(0);
}
