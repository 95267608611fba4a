#include "cli/Terminal.h"
#include <cstdio>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace Terminal {
#ifdef _WIN32
bool StdinIsTerminal()
{
    return _isatty(_fileno(stdin)) != 0;
}

bool StderrIsTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}
#else
bool StdinIsTerminal()
{
    return isatty(STDIN_FILENO) != 0;
}

bool StderrIsTerminal()
{
    return isatty(STDERR_FILENO) != 0;
}
#endif
} // namespace Terminal
