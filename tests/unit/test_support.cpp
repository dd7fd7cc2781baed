// Helpers shared by the unit tests.
#include "test_support.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

void InScratchFolder::SetUp() {
    char cwd[4096];
    previous_ = getcwd(cwd, sizeof cwd) ? cwd : "/tmp";
    char pattern[] = "/tmp/pelorin-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
    ASSERT_EQ(chdir(folder.c_str()), 0);
}

void InScratchFolder::TearDown() {
    if (chdir(previous_.c_str()) != 0) return;
    std::string command = "rm -rf '" + folder + "'";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "could not remove " << folder;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string WithoutStamps(const std::string& log) {
    static const std::regex stamp("\\d\\d:\\d\\d:\\d\\d \\d\\d/\\d\\d/\\d\\d\\d\\d ");
    return std::regex_replace(log, stamp, "");
}

namespace {

bool SetImmutableFlag(const std::string& path, bool on) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}

}  // namespace

Immutable::Immutable(const std::string& path) : path_(path) { ok = SetImmutableFlag(path, true); }

Immutable::~Immutable() {
    if (ok) SetImmutableFlag(path_, false);
}
