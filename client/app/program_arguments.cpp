#include "program_arguments.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace skerrow {

QStringList ProgramArguments(int argc, char** argv) {
    QStringList arguments;
#ifdef _WIN32
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        if (count == argc) {
            for (int i = 0; i < count; ++i) {
                arguments << QString::fromWCharArray(wide[i]);
            }
        }
        LocalFree(wide);
        if (count == argc) {
            return arguments;
        }
        arguments.clear();
    }
#endif
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

} // namespace skerrow
