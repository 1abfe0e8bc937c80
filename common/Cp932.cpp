#include "common/Cp932.h"

namespace kestrove {

std::size_t Cp932PrefixLength(std::string_view bytes, std::size_t maxBytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        auto b = static_cast<unsigned char>(bytes[pos]);
        bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        std::size_t width = lead && pos + 1 < bytes.size() ? 2 : 1;
        if (pos + width > maxBytes) {
            break;
        }
        pos += width;
    }
    return pos;
}

}  // namespace kestrove
