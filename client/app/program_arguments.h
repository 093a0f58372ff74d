#pragma once

#include <QStringList>

namespace skerrow {

// The command line as the program was given it, read before any Qt
// application exists: `argv` decoded from the local 8-bit encoding, except on
// Windows, where the wide command line keeps every character of a path.
// Element i is always argument i of `argv`.
QStringList ProgramArguments(int argc, char** argv);

} // namespace skerrow
