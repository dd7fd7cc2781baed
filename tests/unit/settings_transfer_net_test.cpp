// The settings files over real UDP on loopback against the simulated detector on its TFTP
// port 69, where the end-to-end scenarios cannot go: a file longer than the read buffer, and
// a default file too large to hold or to send whole.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/messages.h"
#include "net_support.h"
#include "settings/settings_reader.h"
#include "settings/settings_transfer.h"
#include "sys/sys_testing.h"

namespace {

class SettingsTransfer : public DetectorTest {
protected:
    void SetUp() override {
        DetectorTest::SetUp();
        SelectLanguageTexts(1);
        ASSERT_EQ(mkdir("FRAMES", 0755), 0);
        ASSERT_EQ(mkdir("Default", 0755), 0);
        WriteBytes("FRAMES/fds.sdb", "old fds");
        detector::Options o = Defaults();
        o.tftpPort = 69;  // where the program expects it
        StartDetector(o);
        detectorLink = {link.socket, {kDetectorIp, 69}, link.timeoutMs};
    }
    void TearDown() override {
        SelectLanguageTexts(0);
        DetectorTest::TearDown();
    }
    DeviceLink detectorLink;
};

TEST_F(SettingsTransfer, AFileLongerThanTheBufferIsNotStored) {
    PutFile("fds.sdb", PatternBytes(3000));
    PutFile("fdc.sdb", PatternBytes(2048));  // exactly the buffer: complete
    // Both files in their order, as the dialog reads them, through one buffer.
    std::vector<uint8_t> buffer(2048);
    std::vector<SettingsReadOutcome> outcomes;
    for (const char16_t* name : SettingsFileNames)
        outcomes.push_back(ReadSettingsFile(detectorLink, name, buffer.data(), 2048, u"FRAMES\\"));
    EXPECT_EQ(outcomes[0].result, kTransferTooLarge);
    EXPECT_FALSE(outcomes[0].stored);
    EXPECT_EQ(outcomes[0].notice, u"file fds.sdb - longer than 2048 bytes, not saved");
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), "old fds");
    EXPECT_TRUE(outcomes[1].stored);
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), PatternBytes(2048));
}

TEST_F(SettingsTransfer, ADefaultFileThatCannotBeHeldWholeIsNotSent) {
    // No memory to hold it.
    WriteBytes("Default/fds.sdb", "settings");
    sys::testing::FailAllocationsAfter(0);
    EXPECT_EQ(WriteDefaultSettingsFile(detectorLink, u"fds.sdb").state, DefaultFileState::NotReadable);
    sys::testing::FailAllocationsAfter(-1);

    // Longer than a transfer's 32-bit length: sending it would send it cut.
    const int fd = open("Default/fdc.sdb", O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, (1LL << 32) + 100), 0);  // sparse: no disk space taken
    close(fd);
    EXPECT_EQ(WriteDefaultSettingsFile(detectorLink, u"fdc.sdb").state, DefaultFileState::NotReadable);

    EXPECT_TRUE(device->Packets().empty());
    EXPECT_EQ(StoredFile("fds.sdb"), "");
}

}  // namespace
