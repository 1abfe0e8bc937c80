#pragma once

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/SettingsStore.h"

namespace kestrove::test {

// Settings kept in memory, with every read and write recorded in order.
class MemorySettings final : public SettingsStore {
public:
    struct Access {
        std::string section, key, value;
        bool operator==(const Access&) const = default;
    };

    std::string ReadIni(std::string_view section, std::string_view key) const override {
        auto it = values_.find(Key(section, key));
        std::string value = it == values_.end() ? std::string() : it->second;
        reads.push_back({std::string(section), std::string(key), value});
        return value;
    }
    void WriteIni(std::string_view section, std::string_view key, std::string_view value) override {
        values_[Key(section, key)] = std::string(value);
        writes.push_back({std::string(section), std::string(key), std::string(value)});
    }
    bool DeleteIniSection(std::string_view section) override {
        std::erase_if(values_, [&](const auto& kv) { return kv.first.first == Upper(section); });
        return true;
    }

    // Stores a value without recording it.
    void Preset(std::string_view key, std::string_view value, std::string_view section = "Report") {
        values_[Key(section, key)] = std::string(value);
    }
    void Preset(std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
        for (auto [key, value] : values) {
            Preset(key, value);
        }
    }
    // The stored value without recording a read.
    std::string Peek(std::string_view key, std::string_view section = "Report") const {
        auto it = values_.find(Key(section, key));
        return it == values_.end() ? std::string() : it->second;
    }
    bool Has(std::string_view key, std::string_view section = "Report") const {
        return values_.count(Key(section, key)) != 0;
    }
    std::vector<std::string> WrittenKeys() const {
        std::vector<std::string> keys;
        for (const Access& w : writes) {
            keys.push_back(w.key);
        }
        return keys;
    }

    mutable std::vector<Access> reads;
    std::vector<Access> writes;

private:
    static std::string Upper(std::string_view s) {
        std::string out(s);
        std::transform(out.begin(), out.end(), out.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        return out;
    }
    static std::pair<std::string, std::string> Key(std::string_view section, std::string_view key) {
        return {Upper(section), Upper(key)};
    }

    std::map<std::pair<std::string, std::string>, std::string> values_;
};

}  // namespace kestrove::test
