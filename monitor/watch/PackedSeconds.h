#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace kestrove {

// A time in seconds since 1970 in five bytes: a remembered host is held for every host of the
// network, and two eight-byte times were a quarter of it. Five bytes span about 17,000 years
// either side of 1970; a time beyond that (never a clock's) is held as the nearest end.
class PackedSeconds {
public:
    static constexpr std::int64_t kMax = (std::int64_t{1} << 39) - 1;
    static constexpr std::int64_t kMin = -(std::int64_t{1} << 39);

    PackedSeconds() = default;
    PackedSeconds(std::int64_t seconds) { *this = seconds; }

    PackedSeconds& operator=(std::int64_t seconds) {
        auto v = static_cast<std::uint64_t>(std::clamp(seconds, kMin, kMax));
        for (std::uint8_t& b : bytes_) {
            b = static_cast<std::uint8_t>(v);
            v >>= 8;
        }
        return *this;
    }

    operator std::int64_t() const {
        std::uint64_t v = 0;
        for (std::size_t i = bytes_.size(); i-- > 0;) {
            v = v << 8 | bytes_[i];
        }
        // Sign-extends the 40th bit.
        return static_cast<std::int64_t>(v << 24) >> 24;
    }

private:
    std::array<std::uint8_t, 5> bytes_{};
};

}  // namespace kestrove
