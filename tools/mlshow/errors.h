// The failures mlshow reports. A problem with the input (exit status 1)
// carries its message, already prefixed with where it was found.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace mlshow {

class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Several input problems found together, each a complete message.
class InputErrors : public std::runtime_error {
public:
    explicit InputErrors(std::vector<std::string> messages)
        : std::runtime_error(messages.empty() ? std::string() : messages.front()), messages_(std::move(messages)) {}
    const std::vector<std::string> &messages() const { return messages_; }

private:
    std::vector<std::string> messages_;
};

}  // namespace mlshow
