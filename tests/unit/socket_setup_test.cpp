// The transfer socket at start-up, and the report that ends the program when it fails.
#include <gtest/gtest.h>

#include "core/messages.h"
#include "net/socket_setup.h"

namespace {

class FatalReport : public ::testing::Test {
protected:
    void TearDown() override { SelectLanguageTexts(0); }
};

TEST_F(FatalReport, NamesTheFailureInTheCurrentLanguage) {
    SelectLanguageTexts(1);
    EXPECT_EQ(FatalNetworkReport(kWinsockNotStarted),
              u"Interface Winsock do not launched.\nPelorin programm emergency exit.\nError code 1001");
    EXPECT_EQ(FatalNetworkReport(kSocketNotOpened),
              u"Socket UDP is not open.\nPelorin programm emergency exit.\nError code 1002");
    // Binding and configuring share the socket message; only the code differs.
    EXPECT_EQ(FatalNetworkReport(kSocketNotConfigured),
              u"Socket UDP is not open.\nPelorin programm emergency exit.\nError code 1003");
    SelectLanguageTexts(0);
    EXPECT_EQ(FatalNetworkReport(kSocketNotOpened),
              u"Невозможно открыть сокет UDP.\nАварийный выход из программы Pelorin.\nКод ошибки 1002");
    SelectLanguageTexts(2);
    EXPECT_EQ(FatalNetworkReport(kWinsockNotStarted),
              u"Winsock hatasi.\nPelorin progrmamindan acil cikis.\nHata kodu 1001");
}

TEST(TransferSocket, OpensBoundOnAPortTheSystemChose) {
    sys::Socket socket = sys::kNoSocket;
    ASSERT_EQ(StartTransferSocket(&socket), kNetworkStarted);
    EXPECT_NE(socket, sys::kNoSocket);
    EXPECT_NE(sys::LocalEndpoint(socket).port, 0);
    sys::CloseSocket(socket);
}

}  // namespace
