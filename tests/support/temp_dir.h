// The test's world on disk: a fresh temporary directory removed with
// everything in it when the object goes away, environment variables set for
// a scope, and small file helpers.
#pragma once

#include <string>

namespace kv::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    bool had_value_;
    std::string old_value_;
};

void WriteTextFile(const std::string& path, const std::string& text);
// The whole file; empty when it cannot be read.
std::string ReadTextFile(const std::string& path);
bool FileExists(const std::string& path);
// The permission bits of a file (e.g. 0600), or -1.
int FileMode(const std::string& path);

}  // namespace kv::test
