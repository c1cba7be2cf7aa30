#pragma once

#include "FileSearch.h"

namespace platform {

// On Linux "\" separates folders as "/" does, names match exactly, a normal
// file is a regular file (or a link to one), and a name starting with "."
// is hidden. Matches come in name order.
class LinuxFileSearch : public FileSearch {
  public:
    std::string Dir(std::string_view pathname) override;
};

} // namespace platform
