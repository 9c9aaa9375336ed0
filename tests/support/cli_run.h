#pragma once

#include <gtest/gtest.h>
#include <string>

namespace kq::test {

// What a command-line command returned and printed.
struct CliRun {
    int status;
    std::string out, err;
};

template <typename Fn> CliRun capture(Fn fn) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = fn();
    return {status, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
}

} // namespace kq::test
