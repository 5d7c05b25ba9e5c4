// ThrowingCriticalError -- a platform whose critical error reaches the test as an exception instead of ending the process.
#pragma once

#include "platform/PosixPlatformSystem.h"

#include <stdexcept>
#include <string>

struct CriticalErrorThrown : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The log line, the flush and the exit of a real critical error are the platform's own tests'
// business; here the message comes back to the test where the program would have ended.
template <class Platform = PosixPlatformSystem>
class ThrowingCriticalError : public Platform {
public:
    using Platform::Platform;
    [[noreturn]] void CriticalError(const std::string& message) override { throw CriticalErrorThrown(message); }
};
