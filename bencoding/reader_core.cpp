// The classic locale's white space, for readers of in-memory bytes.
#include "bencoding/reader_core.h"

#include <locale>

namespace zv::encoding::bencoding::core {

const space_table& classic_space() {
    static const space_table table = [] {
        space_table t;
        const auto& ctype = std::use_facet<std::ctype<char>>(std::locale::classic());
        for (int c = 0; c < 256; ++c) t.is[c] = ctype.is(std::ctype_base::space, static_cast<char>(c));
        return t;
    }();
    return table;
}

}  // namespace zv::encoding::bencoding::core
