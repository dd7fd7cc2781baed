// Helpers shared by the unit tests: a scratch folder to work in, whole-file reads and writes.
#pragma once

#include <gtest/gtest.h>

#include <string>

// Creates a fresh folder, makes it the current directory for the test, removes it after.
class InScratchFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string folder;

private:
    std::string previous_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// The log entries' texts without their 20-character time stamps, for comparing.
std::string WithoutStamps(const std::string& log);

// Sets the file system's immutable flag of a file or folder for the life of the object (root
// only): an immutable folder takes no new entries while its files stay writable; an
// immutable file can be neither written, renamed over nor removed. `ok` says whether it took.
class Immutable {
public:
    explicit Immutable(const std::string& path);
    ~Immutable();
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    bool ok = false;

private:
    std::string path_;
};
