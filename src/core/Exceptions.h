// The model reports failures as exceptions of named classes whose messages
// are UTF-8 text for the user. ESilentAbort ends an operation without any
// message: the main loop swallows it.
#pragma once

#include <stdexcept>
#include <string>

class EQuorvel : public std::runtime_error {
public:
    explicit EQuorvel(const std::string& message) : std::runtime_error(message) {}
};

class ESilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return ""; }
};
