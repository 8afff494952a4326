#include "tools/torrent_inspect.h"

#include "bencoding/text.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fputs(kp_tools::usage, stderr);
        return 2;
    }
    // Lines end in "\n" alone, as on the other platform: scripts compare the two.
    _setmode(_fileno(stdout), _O_BINARY);
    bool readable = true;
    for (int i = 1; i < argc; ++i) {
        const std::wstring path = argv[i];
        const std::string line = kp_tools::inspect_line(path, zv::encoding::bencoding::wide_to_utf8(path), readable);
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return readable ? 0 : 1;
}
