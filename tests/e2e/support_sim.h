// vx35sim as a child process for the end-to-end tests: started with a log
// file, its terminal reachable through a stable symlink (as a USB adapter's
// by-id link would be), stopped on request to play a pulled cable.
#pragma once

#include <string>
#include <vector>

class SimDevice {
public:
    SimDevice(const std::string& logFile, const std::vector<std::string>& extraArgs = {});
    ~SimDevice();
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    bool Started() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    // Ends the simulator: its side of the terminal closes.
    void Stop();
    // The log's received ("RX") bytes with the time each chunk came, in ms.
    std::vector<std::pair<double, std::string>> Received() const;

private:
    int m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    std::string m_path;
    std::string m_log;
};

// Points link at target (replacing what was there).
bool PointLink(const std::string& link, const std::string& target);
