// vx35sim as a child process for the end-to-end tests: its terminal's path
// is read from its first line; with a log file every byte it received is
// kept with its time; stopped on request to play a pulled cable. Tests that
// need a stable port name point a link at the terminal (PointLink, or the
// simulator's own --link).
#pragma once

#include <string>
#include <vector>

class SimDevice {
public:
    // An empty logFile starts the simulator without a log.
    explicit SimDevice(const std::string& logFile, const std::vector<std::string>& extraArgs = {});
    ~SimDevice();
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    bool Started() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    // Ends the simulator: its side of the terminal closes. Its exit code,
    // -1 when it was not running or did not exit normally.
    int Stop();
    // The log's received ("RX") bytes with the time each chunk came, in ms.
    std::vector<std::pair<double, std::string>> Received() const;
    // The log's sent ("TX") bytes, one entry per write, with its time in ms.
    std::vector<std::pair<double, std::string>> Sent() const;

private:
    std::vector<std::pair<double, std::string>> Logged(const char* direction) const;
    int m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    std::string m_path;
    std::string m_log;
};

// Points link at target (replacing what was there).
bool PointLink(const std::string& link, const std::string& target);
