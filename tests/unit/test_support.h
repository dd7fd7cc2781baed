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
