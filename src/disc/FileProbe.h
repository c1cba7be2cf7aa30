#pragma once

#include <string_view>

namespace platform {

// Opening a file for sequential reading, used as an existence test.
class FileProbe {
  public:
    virtual ~FileProbe() = default;
    // Throws forms::RuntimeError with the reason when the file cannot be opened.
    virtual void OpenForInput(std::string_view path) = 0;
    // Closes every file this probe has open.
    virtual void CloseAll() = 0;
};

} // namespace platform
