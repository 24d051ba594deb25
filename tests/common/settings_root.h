// The program's settings under a key of the tests' own.
#pragma once
#include <string>
#include <utility>

#include "startup/globals.h"
#include "base/registry.h"

namespace kal::testing {

// Moves the settings and profiles keys to `root`, empty now and removed again at the end; the
// previous keys come back afterwards.
class TestSettingsRoot {
public:
    explicit TestSettingsRoot(std::wstring root)
        : root_(std::move(root)), savedRoot_(gRegRoot), savedProfiles_(gRegProfiles) {
        gRegRoot = root_;
        gRegProfiles = root_ + L"\\Profiles";
        RegDeleteTree(root_, L"");
    }
    ~TestSettingsRoot() {
        RegDeleteTree(root_, L"");
        gRegRoot = savedRoot_;
        gRegProfiles = savedProfiles_;
    }
    TestSettingsRoot(const TestSettingsRoot&) = delete;
    TestSettingsRoot& operator=(const TestSettingsRoot&) = delete;

private:
    std::wstring root_, savedRoot_, savedProfiles_;
};

}  // namespace kal::testing
