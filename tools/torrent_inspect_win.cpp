#include "tools/torrent_inspect.h"

#include "bencoding/text.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    // Lines end in "\n" alone, as on the other platform: scripts compare the two.
    _setmode(_fileno(stdout), _O_BINARY);
    for (int i = 1; i < argc; ++i) {
        const std::wstring path = argv[i];
        const std::string line = kp_tools::inspect_line(path, zv::encoding::bencoding::wide_to_utf8(path));
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return 0;
}
