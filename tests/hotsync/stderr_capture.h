// Captures what the process writes to standard error (file descriptor 2)
// for the life of the object, for tests of what the desktop echoes.
#pragma once

#include <string>

#include "support/temp_dir.h"

namespace kv::test {

class StderrCapture {
  public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Everything written since the capture began.
    std::string Text() const;

  private:
    TempDir dir_;
    int saved_ = -1;
};

}  // namespace kv::test
