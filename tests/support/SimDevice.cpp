#include "tests/support/SimDevice.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

SimDevice::SimDevice(const std::string& logFile, const std::vector<std::string>& extraArgs) : m_log(logFile)
{
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    std::vector<std::string> all{VX35SIM_PATH};
    if (!logFile.empty()) {
        all.push_back("--log");
        all.push_back(logFile);
    }
    all.insert(all.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, VX35SIM_PATH, &fa, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    close(in[0]);
    close(out[1]);
    m_stdin = in[1];
    m_stdout = out[0];
    // First line: the terminal's path.
    std::string line;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (m_pid > 0 && std::chrono::steady_clock::now() < end) {
        pollfd p{m_stdout, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char c;
        if (read(m_stdout, &c, 1) != 1)
            break;
        if (c == '\n') {
            m_path = line;
            break;
        }
        line += c;
    }
}

SimDevice::~SimDevice()
{
    Stop();
    if (m_stdout >= 0)
        close(m_stdout);
}

int SimDevice::Stop()
{
    int code = -1;
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        if (waitpid(m_pid, &status, 0) == m_pid && WIFEXITED(status))
            code = WEXITSTATUS(status);
        m_pid = -1;
    }
    if (m_stdin >= 0) {
        close(m_stdin);
        m_stdin = -1;
    }
    return code;
}

std::vector<std::pair<double, std::string>> SimDevice::Received() const { return Logged("RX"); }

std::vector<std::pair<double, std::string>> SimDevice::Sent() const { return Logged("TX"); }

std::vector<std::pair<double, std::string>> SimDevice::Logged(const char* direction) const
{
    std::vector<std::pair<double, std::string>> rx;
    std::ifstream f(m_log);
    std::string line;
    while (std::getline(f, line)) {
        std::istringstream in(line);
        double seconds = 0;
        std::string dir, count;
        if (!(in >> seconds >> dir >> count) || dir != direction)
            continue;
        std::string bytes, hex;
        while (in >> hex && hex.size() == 2 && hex[0] != '|')
            bytes += static_cast<char>(std::stoi(hex, nullptr, 16));
        rx.emplace_back(seconds * 1000.0, bytes);
    }
    return rx;
}

bool PointLink(const std::string& link, const std::string& target)
{
    const std::string tmp = link + ".new";
    unlink(tmp.c_str());
    if (symlink(target.c_str(), tmp.c_str()) != 0)
        return false;
    return rename(tmp.c_str(), link.c_str()) == 0;
}
