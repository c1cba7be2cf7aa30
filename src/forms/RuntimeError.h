#pragma once

#include <stdexcept>
#include <string>

namespace forms {

// A failure that ends the running handler and, unless someone catches it,
// reaches the dispatcher, which shows its text to the user.
class RuntimeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

} // namespace forms
