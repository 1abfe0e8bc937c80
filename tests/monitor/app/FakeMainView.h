#pragma once

#include <map>
#include <string>
#include <vector>

#include "monitor/app/MainView.h"

namespace kestrove::test {

class FakeMainView final : public MainView {
public:
    void SetChecked(MenuItem item, bool checked) override { checks[item] = checked; }
    bool IsChecked(MenuItem item) const override {
        auto it = checks.find(item);
        return it != checks.end() && it->second;
    }
    void SetEnabled(MenuItem item, bool enabled) override { enabled_[item] = enabled; }
    bool IsEnabled(MenuItem item) const {
        auto it = enabled_.find(item);
        return it == enabled_.end() || it->second;
    }
    void HideToTray() override { ++hiddenToTray; }
    int HeightTwips() const override { return height; }
    void SetHeightTwips(int twips) override { height = twips; }
    void ShowInformation(std::string_view text) override { messages.emplace_back(text); }
    void ShowWarning(std::string_view text) override { warnings.emplace_back(text); }

    std::map<MenuItem, bool> checks;
    std::map<MenuItem, bool> enabled_;
    int hiddenToTray = 0;
    int height = 6000;
    std::vector<std::string> messages;
    std::vector<std::string> warnings;
};

}  // namespace kestrove::test
