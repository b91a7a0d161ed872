#include "stderr_capture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace kv::test {

StderrCapture::StderrCapture() {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    const int file = ::open(dir_.File("stderr").c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    ::dup2(file, STDERR_FILENO);
    ::close(file);
}

StderrCapture::~StderrCapture() {
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
}

std::string StderrCapture::Text() const {
    std::fflush(stderr);
    return ReadTextFile(dir_.File("stderr"));
}

}  // namespace kv::test
