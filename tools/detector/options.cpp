// The simulated detector's command line.
#include <cstdlib>
#include <cstring>

#include "detector.h"
#include "core/ip_address.h"

namespace detector {
namespace {

bool ParseNumber(const std::string& text, long min, long max, long* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (*end != 0 || value < min || value > max) return false;
    *out = value;
    return true;
}

// "0.05" or "5%".
bool ParseFraction(std::string text, double* out) {
    bool percent = !text.empty() && text.back() == '%';
    if (percent) text.pop_back();
    if (text.empty()) return false;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (*end != 0) return false;
    if (percent) value /= 100;
    if (!(value >= 0 && value <= 1)) return false;
    *out = value;
    return true;
}

bool ParseLoopback(const std::string& text, uint32_t* out) {
    uint32_t ip = ParseIpAddress(text.c_str());
    if (ip == kNoAddress || (ip >> 24) != 127 || ip == 0x7F000000) return false;
    *out = ip;
    return true;
}

// "out:DATA:3" or "in:ACK:2:4".
bool ParseRule(const std::string& text, PacketRule* rule) {
    std::string parts[4];
    int count = 0;
    size_t start = 0;
    for (;;) {
        if (count == 4) return false;
        size_t colon = text.find(':', start);
        parts[count++] = text.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    if (count < 3) return false;
    if (parts[0] == "out") rule->outgoing = true;
    else if (parts[0] == "in") rule->outgoing = false;
    else return false;
    const char* kinds[] = {"", "RRQ", "WRQ", "DATA", "ACK", "ERROR"};
    rule->opcode = 0;
    for (uint16_t k = 1; k <= 5; ++k)
        if (parts[1] == kinds[k]) rule->opcode = k;
    long block = 0, times = 1;
    if (rule->opcode == 0 || !ParseNumber(parts[2], 0, 65535, &block)) return false;
    if (count == 4 && !ParseNumber(parts[3], 1, 1000000, &times)) return false;
    rule->block = static_cast<uint16_t>(block);
    rule->count = static_cast<int>(times);
    return true;
}

}  // namespace

std::string UsageText() {
    return "Usage: pelorin-detector [options]\n"
           "A simulated flaw detector for trying Pelorin without an instrument: a TFTP server\n"
           "(RFC 1350, octet mode) and a TCP listener on port 1533, on a loopback address.\n"
           "It serves DIR/screenshots/N.png, DIR/fds.sdb and DIR/fdc.sdb, and stores what is\n"
           "written to /fds.sdb and /fdc.sdb. It prints \"ready\" once it listens and stops\n"
           "cleanly on SIGTERM or Ctrl+C.\n"
           "\n"
           "  --address A          loopback address to serve on (127.x.y.z; default 127.0.0.1)\n"
           "  --root DIR           the folder served (default: the sample beside the program)\n"
           "  --tftp-port N        TFTP port (default 69; 0 lets the system choose)\n"
           "  --tcp-port N         presence port (default 1533; 0 lets the system choose)\n"
           "  --tcp=MODE           accept (default), refuse (nothing listens) or ignore\n"
           "                       (connection attempts go unanswered)\n"
           "  --no-tftp            no TFTP server at all\n"
           "  --log FILE           append every packet received and sent to FILE\n"
           "  --retransmit-ms N    re-send an unanswered packet after N ms (default 1000)\n"
           "  --retries N          re-sends before a transfer is dropped (default 5)\n"
           "  --resync-ms N        an old ACK N ms after our packet re-sends it (default 250)\n"
           "  --dally-ms N         how long a finished write waits for a lost ACK (default 1000)\n"
           "  --help               this text\n"
           "\n"
           "Faults (packet K of a transfer is the one the detector numbers K: DATA K of a read,\n"
           "ACK K of a write; RULE is out|in:DATA|ACK|RRQ|WRQ|ERROR:K[:TIMES]):\n"
           "  --drop=RULE          lose a packet, e.g. --drop=out:DATA:3 or --drop=in:ACK:2\n"
           "  --duplicate=RULE     deliver a packet twice\n"
           "  --drop-nth=N         lose the N-th packet the detector sends\n"
           "  --loss=P             lose a fraction P of packets each way (0.05 or 5%)\n"
           "  --duplication=P      deliver a fraction P of packets twice, each way\n"
           "  --seed=N             seed of the random faults (default 1)\n"
           "  --delay=MS           every packet sent leaves MS late\n"
           "  --mute               receive requests and never answer them\n"
           "  --error-at=K[:CODE[:TEXT]]  an ERROR packet in place of packet K\n"
           "  --silent-after=K     stop answering after packet K\n"
           "  --chatter-ms=N       ...but repeat packet K every N ms\n"
           "  --stray-at=K         packet K is sent once more from a second port\n"
           "  --wrong-port-at=K    packet K first comes from a second port only\n"
           "  --wrong-address-at=K packet K also comes, first, from a second address\n"
           "  --second-address A   that address (default: --address plus one)\n"
           "  --odd-at=K           before packet K, a 2-byte datagram and one numbered K+7\n"
           "  --bad-opcode-at=K    opcode 7 in place of packet K\n";
}

bool ParseCommandLine(int argc, const char* const* argv, Options* o, bool* help, std::string* error) {
    *help = false;
    static const char* const withValue[] = {
        "--address", "--root", "--tftp-port", "--tcp-port", "--tcp", "--log", "--retransmit-ms", "--retries",
        "--resync-ms", "--dally-ms", "--drop", "--duplicate", "--drop-nth", "--loss", "--duplication", "--seed",
        "--delay", "--error-at", "--silent-after", "--chatter-ms", "--stray-at", "--wrong-port-at",
        "--wrong-address-at", "--second-address", "--odd-at", "--bad-opcode-at"};
    Faults& f = o->faults;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i], value;
        size_t eq = arg.find('=');
        bool hasValue = eq != std::string::npos;
        if (hasValue) {
            value = arg.substr(eq + 1);
            arg.erase(eq);
        }
        bool wantsValue = false;
        for (const char* name : withValue) wantsValue = wantsValue || arg == name;
        if (wantsValue && !hasValue) {
            if (i + 1 >= argc) {
                *error = arg + " needs a value";
                return false;
            }
            value = argv[++i];
        } else if (!wantsValue && hasValue) {
            *error = arg + " takes no value";
            return false;
        }
        long n = 0;
        auto number = [&](long min, long max) {
            if (ParseNumber(value, min, max, &n)) return true;
            *error = "bad value for " + arg + ": " + value;
            return false;
        };
        auto block = [&](int* out) {
            if (!number(0, 65535)) return false;
            *out = static_cast<int>(n);
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            *help = true;
        } else if (arg == "--address" || arg == "--second-address") {
            uint32_t* target = arg == "--address" ? &o->address : &o->secondAddress;
            if (!ParseLoopback(value, target)) {
                *error = "not a loopback address (127.x.y.z): " + value;
                return false;
            }
        } else if (arg == "--root") {
            o->root = value;
        } else if (arg == "--tftp-port") {
            if (!number(0, 65535)) return false;
            o->tftpPort = static_cast<uint16_t>(n);
        } else if (arg == "--tcp-port") {
            if (!number(0, 65535)) return false;
            o->tcpPort = static_cast<uint16_t>(n);
        } else if (arg == "--tcp") {
            if (value == "accept") o->tcp = TcpMode::Accept;
            else if (value == "refuse") o->tcp = TcpMode::Refuse;
            else if (value == "ignore") o->tcp = TcpMode::Ignore;
            else {
                *error = "--tcp is accept, refuse or ignore";
                return false;
            }
        } else if (arg == "--no-tftp") {
            o->tftp = false;
        } else if (arg == "--log") {
            o->logPath = value;
        } else if (arg == "--retransmit-ms") {
            if (!number(1, 60000)) return false;
            o->retransmitMs = static_cast<int>(n);
        } else if (arg == "--retries") {
            if (!number(0, 1000)) return false;
            o->retries = static_cast<int>(n);
        } else if (arg == "--resync-ms") {
            if (!number(0, 60000)) return false;
            o->resyncMs = static_cast<int>(n);
        } else if (arg == "--dally-ms") {
            if (!number(0, 60000)) return false;
            o->dallyMs = static_cast<int>(n);
        } else if (arg == "--drop" || arg == "--duplicate") {
            PacketRule rule;
            if (!ParseRule(value, &rule)) {
                *error = "bad packet rule: " + value + " (for example out:DATA:3)";
                return false;
            }
            (arg == "--drop" ? f.drop : f.duplicate).push_back(rule);
        } else if (arg == "--drop-nth") {
            if (!number(1, 1L << 30)) return false;
            f.dropNth.push_back(static_cast<int>(n));
        } else if (arg == "--loss" || arg == "--duplication") {
            if (!ParseFraction(value, arg == "--loss" ? &f.loss : &f.duplication)) {
                *error = "bad fraction for " + arg + ": " + value;
                return false;
            }
        } else if (arg == "--seed") {
            if (!number(0, 0x7FFFFFFF)) return false;
            f.seed = static_cast<uint32_t>(n);
        } else if (arg == "--delay") {
            if (!number(0, 60000)) return false;
            f.delayMs = static_cast<int>(n);
        } else if (arg == "--mute") {
            f.mute = true;
        } else if (arg == "--error-at") {
            size_t colon = value.find(':');
            std::string rest = colon == std::string::npos ? "" : value.substr(colon + 1);
            value = value.substr(0, colon);
            if (!block(&f.errorAt)) return false;
            if (!rest.empty()) {
                size_t second = rest.find(':');
                value = rest.substr(0, second);
                if (!number(0, 65535)) return false;
                f.errorCode = static_cast<uint16_t>(n);
                if (second != std::string::npos) f.errorMessage = rest.substr(second + 1);
            }
        } else if (arg == "--silent-after") {
            if (!block(&f.silentAfter)) return false;
        } else if (arg == "--chatter-ms") {
            if (!number(1, 60000)) return false;
            f.chatterMs = static_cast<int>(n);
        } else if (arg == "--stray-at") {
            if (!block(&f.strayAt)) return false;
        } else if (arg == "--wrong-port-at") {
            if (!block(&f.wrongPortAt)) return false;
        } else if (arg == "--wrong-address-at") {
            if (!block(&f.wrongAddressAt)) return false;
        } else if (arg == "--odd-at") {
            if (!block(&f.oddAt)) return false;
        } else if (arg == "--bad-opcode-at") {
            if (!block(&f.badOpcodeAt)) return false;
        } else {
            *error = "unknown option " + arg + " (see --help)";
            return false;
        }
    }
    return true;
}

}  // namespace detector
