#pragma once

#include "core/language.h"

#include <gtest/gtest.h>

namespace kq::test {

// The interface's texts in a language for as long as it lives; the tests start and end in Chinese.
class InLanguage {
public:
    explicit InLanguage(Language language) { EXPECT_TRUE(useLanguage(language)); }
    ~InLanguage() { useLanguage(Language::Chinese); }
    InLanguage(const InLanguage&) = delete;
    InLanguage& operator=(const InLanguage&) = delete;
};

} // namespace kq::test
