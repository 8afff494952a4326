#include "tools/torrent_inspect.h"

#include "bencoding/text.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kp_tools::usage, stderr);
        return 2;
    }
    bool readable = true;
    for (int i = 1; i < argc; ++i) {
        // Arguments are taken as UTF-8, the way the library opens wide paths here.
        std::wstring path;
        zv::encoding::bencoding::utf8_to_wide(argv[i], std::strlen(argv[i]), path);
        const std::string line = kp_tools::inspect_line(path, argv[i], readable);
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return readable ? 0 : 1;
}
