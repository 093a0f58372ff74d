#pragma once

// Why a file could not be read onto the board: which file, which line (0 when
// the fault is not on one line) and what was wrong there.

#include <string>

namespace skerrow {

struct BoardFileError {
    std::string file;
    int line = 0;
    std::string what;

    // "file:line: what", or "file: what" without a line.
    std::string Text() const {
        std::string text = file;
        if (line > 0) {
            text += ':' + std::to_string(line);
        }
        return text + ": " + what;
    }
};

} // namespace skerrow
