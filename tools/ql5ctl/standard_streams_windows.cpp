// SPDX-License-Identifier: Apache-2.0
// The C runtime writes the standard streams in text mode, which turns every
// line feed into CR LF; binary mode keeps the bytes. The console is told that
// they are UTF-8, the encoding of every text ql5ctl prints.
#include "standard_streams.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace ql5ctl {

void UseByteExactStandardStreams()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

bool StandardErrorIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace ql5ctl
