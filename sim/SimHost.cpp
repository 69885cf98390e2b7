#include "sim/SimHost.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <deque>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace vx35sim {

namespace {

// A value that must be one of a few words: what the word stands for.
template <class T>
std::optional<T> PickWord(const std::string& value, std::initializer_list<std::pair<const char*, T>> words)
{
    for (const auto& [word, meaning] : words)
        if (value == word)
            return meaning;
    return std::nullopt;
}

std::optional<long> ParseNumber(const std::string& s, long lo, long hi)
{
    long v = 0;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, v);
    if (s.empty() || ec != std::errc() || p != end || v < lo || v > hi)
        return std::nullopt;
    return v;
}

// "7E" or "0D,0A": hexadecimal bytes separated by commas.
std::optional<Bytes> ParseHexBytes(const std::string& s)
{
    Bytes bytes;
    std::size_t at = 0;
    while (at <= s.size()) {
        const std::size_t comma = std::min(s.find(',', at), s.size());
        long b = 0;
        const char* first = s.data() + at;
        const char* last = s.data() + comma;
        auto [p, ec] = std::from_chars(first, last, b, 16);
        if (first == last || ec != std::errc() || p != last || b < 0 || b > 255)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(b));
        at = comma + 1;
    }
    return bytes;
}

int g_signalPipe = -1;

extern "C" void OnStopSignal(int)
{
    const int saved = errno;
    const char c = 's';
    if (g_signalPipe >= 0)
        [[maybe_unused]] auto n = write(g_signalPipe, &c, 1);
    errno = saved;
}

class Log {
public:
    explicit Log(FILE* f) : f_(f) {}
    void chunk(double seconds, const char* dir, const std::uint8_t* p, std::size_t n)
    {
        if (!f_)
            return;
        std::fprintf(f_, "%10.3f %s %3zu:", seconds, dir, n);
        for (std::size_t i = 0; i < n; ++i)
            std::fprintf(f_, " %02X", p[i]);
        std::fputs("  |", f_);
        for (std::size_t i = 0; i < n; ++i)
            std::fputc(p[i] >= 0x20 && p[i] < 0x7F ? p[i] : '.', f_);
        std::fputs("|\n", f_);
        std::fflush(f_);
    }
    void note(double seconds, const char* text)
    {
        if (f_) {
            std::fprintf(f_, "%10.3f -- %s\n", seconds, text);
            std::fflush(f_);
        }
    }

private:
    FILE* f_;
};

// The device's writes on their way into the terminal, one write() each. A
// full terminal holds them back: the host then waits for room (POLLOUT)
// instead of taking more from the device, so a device that sends as fast as
// the line takes it is paced by the reader, not by a loop. A client that
// stops reading must still not stall the device: what the terminal took
// nothing of for kStallMs is dropped, as a real line would lose it.
class LineWriter {
public:
    static constexpr std::int64_t kStallMs = 200;

    bool empty() const { return pending_.empty(); }
    std::int64_t dropAtMs() const { return progressMs_ + kStallMs; }

    void add(Bytes bytes, std::int64_t nowMs)
    {
        if (bytes.empty())
            return;
        if (pending_.empty())
            progressMs_ = nowMs;
        pending_.push_back(std::move(bytes));
    }

    // Writes what the terminal takes without waiting, then drops everything
    // once the terminal refused it for too long or for good.
    void flush(int fd, Log& log, double seconds, std::int64_t nowMs)
    {
        while (!pending_.empty()) {
            const Bytes& front = pending_.front();
            const ssize_t w = write(fd, front.data() + at_, front.size() - at_);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                const bool full = w == 0 || errno == EAGAIN || errno == EWOULDBLOCK;
                if (full && nowMs < dropAtMs())
                    return;
                drop(log, seconds);
                return;
            }
            log.chunk(seconds, "TX", front.data() + at_, static_cast<std::size_t>(w));
            progressMs_ = nowMs;
            at_ += static_cast<std::size_t>(w);
            if (at_ == front.size()) {
                pending_.pop_front();
                at_ = 0;
            }
        }
    }

private:
    void drop(Log& log, double seconds)
    {
        std::size_t n = 0;
        for (const Bytes& b : pending_)
            n += b.size();
        n -= at_;
        const std::string text = "line full, " + std::to_string(n) + " bytes dropped";
        log.note(seconds, text.c_str());
        pending_.clear();
        at_ = 0;
    }

    std::deque<Bytes> pending_;
    std::size_t at_ = 0; // of the first write, already out
    std::int64_t progressMs_ = 0;
};

bool WatchStdin()
{
    // Started in the background, stdin is often /dev/null; its immediate end
    // must not end the device. Only terminals, pipes and sockets count.
    struct stat st {};
    if (fstat(STDIN_FILENO, &st) != 0)
        return false;
    return isatty(STDIN_FILENO) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode);
}

// Points path at target through a temporary link and a rename, so a client
// watching path never sees it missing or half made. Anything at path that is
// not a symbolic link is left alone.
std::optional<std::string> PointLink(const std::string& path, const char* target)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
        return "'" + path + "' exists and is not a symbolic link";
    const std::string temp = path + ".vx35sim-" + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(target, temp.c_str()) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        unlink(temp.c_str());
        return "cannot make the link '" + path + "': " + why;
    }
    return std::nullopt;
}

// Removes the link only while it still points at this simulator's terminal:
// a newer simulator may have taken the name over.
void RemoveLinkIfOurs(const std::string& path, const char* target)
{
    char buf[512];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n > 0 && std::string(buf, static_cast<std::size_t>(n)) == target)
        unlink(path.c_str());
}

} // namespace

std::string UsageText()
{
    return "Usage: vx35sim [options]\n"
           "Simulated VX35 device on a pseudo-terminal. The first line on standard\n"
           "output is the terminal's path; open it like a serial port.\n"
           "Runs until SIGINT, SIGTERM or end of input on a terminal or pipe on stdin;\n"
           "each line read on stdin triggers one value in the HAND and TRIGGER modes.\n"
           "\n"
           "  --sample-mode N  sample mode, byte 4 of the 'E' answer: 0 PC, 4 HAND,\n"
           "                   8 AUTO, 12 TRIGGER, 16 TRIGGER2, 20 TRIGGER3 (default 0)\n"
           "  --auto-rate N    AUTO rate, byte 5 of the 'E' answer: 2 10 ms, 3 100 ms,\n"
           "                   4 1 s, 5 10 s, 6 1 min, 7 10 min, 8 1 h (default 2)\n"
           "  --model CODE     model code in the 'V' answer (default H2; H1 is a\n"
           "                   variant-800 device; an empty code gives none)\n"
           "  --split N        send every answer in pieces of N bytes\n"
           "  --split-gap MS   time between those pieces (default 10)\n"
           "  --delay MS       delay before every answer (default 5)\n"
           "  --silent CMD     never answer these command letters (repeatable)\n"
           "  --junk HEX       send these bytes before every answer (e.g. 7E or 7E,00)\n"
           "  --junk-on CMD    ... only before answers to these letters (keys included)\n"
           "  --junk-after N   ... only after N answers it would have preceded\n"
           "  --record-tail T  bytes 18-19 of a row record: check (a check pair, the\n"
           "                   default), row (the row's own bytes) or zero\n"
           "  --sensor-tail T  bytes 18-19 of the 'C' answer: crlf (the default), check\n"
           "                   (a check pair over bytes 0-17) or zero\n"
           "  --sensor-type HEX type code of the sensor the 'C' answer describes, 00 to\n"
           "                   F0 (e.g. A0); its decimals stay, and types 2, 3, 6, 7\n"
           "                   and 9 send their points in BCD, the others binary\n"
           "  --status-tail T  bytes 10-11 of the 'E' answer: crlf (the default) or zero\n"
           "  --header-lead L  the 'd' answer opens with crlf (the default) or none\n"
           "  --trail C:HEX[@MS] send these bytes right after the answer to letter C,\n"
           "                   in the same write (e.g. d:0D,0A), or MS ms after its\n"
           "                   last byte (C:7E@20); repeatable\n"
           "  --sensor-name TEXT name of the sensor the 'C' answer describes, up to\n"
           "                   8 characters, padded with zero bytes\n"
           "  --sensor-unit TEXT its unit, up to 3 characters, padded with zero bytes\n"
           "  --sensor-points Z,F 0 % and 100 % points of the sensor the 'C' answer\n"
           "                   describes, 0 to 65535 (BCD types send them as four\n"
           "                   digits, so they need points below 10000)\n"
           "  --logger-endless MS  the logger read-out never ends: after header and\n"
           "                   mode line, records every MS ms (0: as fast as the line\n"
           "                   takes them) until any byte arrives\n"
           "  --vanish-on C[:N] leave the line when letter C arrives (the N-th time)\n"
           "  --cut C:N        send only the first N bytes of the answer to C, then\n"
           "                   leave the line\n"
           "  --log FILE       write every byte received and sent, with times\n"
           "  --link PATH      keep a symbolic link PATH to the terminal (replaced\n"
           "                   when it exists, removed at exit), so a restarted\n"
           "                   simulator is found under the same name\n"
           "  --help           show this text\n";
}

std::optional<std::string> ParseOptions(const std::vector<std::string>& args, HostOptions& out)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--help" && !inlineValue) {
            out.help = true;
            continue;
        }
        static const char* const kWithValue[] = {
            "--sample-mode",  "--auto-rate",      "--model",       "--split",       "--split-gap",
            "--delay",        "--silent",         "--log",         "--link",        "--junk",
            "--junk-on",      "--junk-after",     "--record-tail", "--vanish-on",   "--cut",
            "--sensor-tail",  "--sensor-type",    "--status-tail", "--header-lead", "--trail",
            "--sensor-points", "--sensor-name",   "--sensor-unit", "--logger-endless"};
        bool known = false;
        for (const char* k : kWithValue)
            known = known || name == k;
        if (!known)
            return "unknown option '" + args[i] + "'";
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return "option '" + name + "' needs a value";
        }
        auto bad = [&](const char* what) { return "option '" + name + "': " + what + ", not '" + value + "'"; };
        if (name == "--sample-mode") {
            const auto v = ParseNumber(value, 0, 255);
            if (!v)
                return bad("expected a byte value such as 0, 4, 8, 12, 16 or 20");
            out.device.sampleMode = static_cast<int>(*v);
        } else if (name == "--auto-rate") {
            const auto v = ParseNumber(value, 0, 255);
            if (!v)
                return bad("expected a byte value, 2 to 8");
            out.device.autoRate = static_cast<int>(*v);
        } else if (name == "--model") {
            out.device.model = value;
        } else if (name == "--split") {
            const auto v = ParseNumber(value, 0, 65536);
            if (!v)
                return bad("expected a number of bytes");
            out.device.faults.splitBytes = static_cast<int>(*v);
        } else if (name == "--delay") {
            const auto v = ParseNumber(value, 0, 600000);
            if (!v)
                return bad("expected milliseconds");
            out.device.faults.answerDelayMs = static_cast<int>(*v);
        } else if (name == "--silent") {
            if (value.empty())
                return bad("expected one or more command letters");
            for (char c : value)
                out.device.faults.silent.insert(static_cast<std::uint8_t>(c));
        } else if (name == "--split-gap") {
            const auto v = ParseNumber(value, 0, 600000);
            if (!v)
                return bad("expected milliseconds");
            out.device.faults.splitGapMs = static_cast<int>(*v);
        } else if (name == "--junk") {
            const auto bytes = ParseHexBytes(value);
            if (!bytes)
                return bad("expected hexadecimal bytes separated by commas");
            out.device.faults.leadingJunk = *bytes;
        } else if (name == "--trail") {
            // C:HEX[,HEX...] and, for a write of their own, @MS.
            const std::size_t at = std::min(value.find('@'), value.size());
            const auto bytes = value.size() > 2 && value[1] == ':' ? ParseHexBytes(value.substr(2, at - 2)) : std::nullopt;
            const auto ms = at == value.size() ? std::optional<long>(-1) : ParseNumber(value.substr(at + 1), 0, 600000);
            if (!bytes || !ms)
                return bad("expected a letter, ':' and hexadecimal bytes, then optionally '@' and milliseconds, such as C:0D,0A@20");
            out.device.faults.trails[static_cast<std::uint8_t>(value[0])] = {*bytes, static_cast<int>(*ms)};
        } else if (name == "--sensor-name" || name == "--sensor-unit") {
            // A device pads its short texts with zero bytes.
            const bool isName = name == "--sensor-name";
            const std::size_t width = isName ? 8 : 3;
            if (value.size() > width)
                return bad(isName ? "expected at most 8 characters" : "expected at most 3 characters");
            std::uint8_t* field = out.device.rows[out.device.activeRow].data() + (isName ? 0 : 10);
            std::fill(field, field + width, 0);
            std::copy(value.begin(), value.end(), field);
        } else if (name == "--sensor-points") {
            const std::size_t comma = value.find(',');
            const auto zero = ParseNumber(value.substr(0, comma), 0, 65535);
            const auto full = comma == std::string::npos ? std::nullopt : ParseNumber(value.substr(comma + 1), 0, 65535);
            if (!zero || !full)
                return bad("expected two numbers from 0 to 65535, such as 0,5000");
            std::uint8_t* row = out.device.rows[out.device.activeRow].data();
            row[14] = static_cast<std::uint8_t>(*zero >> 8);
            row[15] = static_cast<std::uint8_t>(*zero & 0xFF);
            row[16] = static_cast<std::uint8_t>(*full >> 8);
            row[17] = static_cast<std::uint8_t>(*full & 0xFF);
        } else if (name == "--junk-on") {
            if (value.empty())
                return bad("expected one or more command letters");
            for (char c : value)
                out.device.faults.junkOnly.insert(static_cast<std::uint8_t>(c));
        } else if (name == "--junk-after") {
            const auto v = ParseNumber(value, 0, 1000000);
            if (!v)
                return bad("expected a number of answers");
            out.device.faults.junkAfter = static_cast<int>(*v);
        } else if (name == "--record-tail") {
            using T = Faults::RecordTail;
            const auto v = PickWord<T>(value, {{"check", T::CheckPair}, {"row", T::RowBytes}, {"zero", T::Zero}});
            if (!v)
                return bad("expected check, row or zero");
            out.device.faults.recordTail = *v;
        } else if (name == "--sensor-tail") {
            using T = Faults::SensorTail;
            const auto v = PickWord<T>(value, {{"crlf", T::CrLf}, {"check", T::CheckPair}, {"zero", T::Zero}});
            if (!v)
                return bad("expected crlf, check or zero");
            out.device.faults.sensorTail = *v;
        } else if (name == "--sensor-type") {
            long v = 0;
            const char* end = value.data() + value.size();
            auto [p, ec] = std::from_chars(value.data(), end, v, 16);
            if (value.empty() || ec != std::errc() || p != end || v < 0)
                return bad("expected a hexadecimal type code such as A0");
            if (v > 0xFF)
                return bad("expected a type code from 00 to F0");
            if (v & 0x0F)
                return bad("the low digit belongs to the decimals and must be 0, such as A0");
            // The type sits in the high nibble of the row's type byte; the
            // decimals in the low one stay.
            std::uint8_t& typeByte = out.device.rows[out.device.activeRow][13];
            typeByte = static_cast<std::uint8_t>(v | (typeByte & 0x0F));
        } else if (name == "--status-tail") {
            using T = Faults::StatusTail;
            const auto v = PickWord<T>(value, {{"crlf", T::CrLf}, {"zero", T::Zero}});
            if (!v)
                return bad("expected crlf or zero");
            out.device.faults.statusTail = *v;
        } else if (name == "--header-lead") {
            const auto v = PickWord<bool>(value, {{"crlf", true}, {"none", false}});
            if (!v)
                return bad("expected crlf or none");
            out.device.faults.headerLead = *v;
        } else if (name == "--logger-endless") {
            const auto v = ParseNumber(value, 0, 600000);
            if (!v)
                return bad("expected milliseconds");
            out.device.faults.loggerEndlessMs = static_cast<int>(*v);
        } else if (name == "--vanish-on" || name == "--cut") {
            const std::size_t colon = value.find(':');
            const std::string count = colon == std::string::npos ? std::string() : value.substr(colon + 1);
            const bool cut = name == "--cut";
            const auto v = count.empty() && !cut ? std::optional<long>(1) : ParseNumber(count, cut ? 0 : 1, 100000000);
            if ((colon == std::string::npos ? value.size() : colon) != 1 || !v)
                return bad(cut ? "expected a letter and a byte count, such as A:200" : "expected a letter, or a letter and a count, such as e:3");
            if (cut) {
                out.device.faults.cutAnswerOf = static_cast<std::uint8_t>(value[0]);
                out.device.faults.cutAt = static_cast<std::size_t>(*v);
            } else {
                out.device.faults.vanishOn = static_cast<std::uint8_t>(value[0]);
                out.device.faults.vanishOnCount = static_cast<int>(*v);
            }
        } else if (name == "--log") {
            if (value.empty())
                return bad("expected a file name");
            out.logFile = value;
        } else if (name == "--link") {
            if (value.empty())
                return bad("expected a path");
            out.linkPath = value;
        }
    }
    return std::nullopt;
}

int RunHost(const HostOptions& options)
{
    FILE* logFile = nullptr;
    if (!options.logFile.empty()) {
        logFile = std::fopen(options.logFile.c_str(), "w");
        if (!logFile) {
            std::fprintf(stderr, "vx35sim: cannot write log file '%s': %s\n", options.logFile.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char slaveName[256] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0
        || ptsname_r(master, slaveName, sizeof slaveName) != 0) {
        std::fprintf(stderr, "vx35sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        if (master >= 0)
            close(master);
        if (logFile)
            std::fclose(logFile);
        return 1;
    }
    termios tio{};
    if (tcgetattr(master, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(master, TCSANOW, &tio);
    }
    // Holding the slave side open keeps the line up between clients: without
    // it the master reports a hang-up until someone opens the path.
    const int keepSlave = open(slaveName, O_RDWR | O_NOCTTY | O_CLOEXEC);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    if (!options.linkPath.empty()) {
        if (const auto error = PointLink(options.linkPath, slaveName)) {
            std::fprintf(stderr, "vx35sim: %s\n", error->c_str());
            if (keepSlave >= 0)
                close(keepSlave);
            close(master);
            if (logFile)
                std::fclose(logFile);
            return 1;
        }
    }

    int sigPipe[2] = {-1, -1};
    if (pipe2(sigPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::fprintf(stderr, "vx35sim: %s\n", std::strerror(errno));
        return 1;
    }
    g_signalPipe = sigPipe[1];
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    struct sigaction oldInt {}, oldTerm {}, oldHup {}, oldPipe {};
    sigaction(SIGINT, &sa, &oldInt);
    sigaction(SIGTERM, &sa, &oldTerm);
    sigaction(SIGHUP, &sa, &oldHup);
    struct sigaction ign {};
    ign.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ign, &oldPipe);

    std::printf("%s\n", slaveName);
    std::fflush(stdout);

    SteadyClock clock;
    Log log(logFile);
    auto seconds = [&clock] { return static_cast<double>(clock.nowMs()) / 1000.0; };
    Vx35Device device(clock, options.device);
    bool watchStdin = WatchStdin();
    log.note(seconds(), slaveName);

    std::uint8_t buf[4096];
    LineWriter line;
    for (;;) {
        int timeout = 1000;
        const std::optional<std::int64_t> next = line.empty() ? device.nextDueMs() : line.dropAtMs();
        if (next)
            timeout = static_cast<int>(std::clamp<std::int64_t>(*next - clock.nowMs(), 0, 1000));
        const short masterEvents = line.empty() ? POLLIN : POLLIN | POLLOUT;
        pollfd fds[3] = {{sigPipe[0], POLLIN, 0}, {master, masterEvents, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int r = poll(fds, watchStdin ? 3 : 2, timeout);
        if (r < 0 && errno != EINTR)
            break;
        if (r > 0 && fds[0].revents)
            break;
        if (r > 0 && watchStdin && fds[2].revents) {
            const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
            if (n == 0)
                break;
            if (n < 0 && errno != EINTR && errno != EAGAIN) {
                watchStdin = false;
            } else {
                for (ssize_t i = 0; i < n; ++i) {
                    if (buf[i] == '\n')
                        device.trigger();
                }
            }
        }
        if (r > 0 && fds[1].revents & POLLIN) {
            for (;;) {
                const ssize_t n = read(master, buf, sizeof buf);
                if (n <= 0)
                    break;
                log.chunk(seconds(), "RX", buf, static_cast<std::size_t>(n));
                device.receive(buf, static_cast<std::size_t>(n));
            }
        }
        if (r > 0 && (fds[1].revents & (POLLHUP | POLLERR)) && !(fds[1].revents & POLLIN))
            usleep(10000); // no client side held open: do not spin on the hang-up
        if (line.empty()) {
            for (Write& w : device.poll())
                line.add(std::move(w.bytes), clock.nowMs());
        }
        line.flush(master, log, seconds(), clock.nowMs());
        if (device.vanished() && line.empty()) {
            log.note(seconds(), "device left the line");
            break;
        }
    }

    log.note(seconds(), "end");
    if (!options.linkPath.empty())
        RemoveLinkIfOurs(options.linkPath, slaveName);
    if (keepSlave >= 0)
        close(keepSlave);
    close(master);
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    sigaction(SIGHUP, &oldHup, nullptr);
    sigaction(SIGPIPE, &oldPipe, nullptr);
    g_signalPipe = -1;
    close(sigPipe[0]);
    close(sigPipe[1]);
    if (logFile)
        std::fclose(logFile);
    return 0;
}

} // namespace vx35sim
