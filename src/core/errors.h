#pragma once
#include <stdexcept>
#include <string>

// Every failure of the system is raised as a TError carrying the message the
// user is shown.
class TError : public std::runtime_error {
public:
  explicit TError(const std::string& message) : std::runtime_error(message) {}
};
