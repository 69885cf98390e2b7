// A full disk for a test: while a FileSizeLimit lives, any write past the
// given size of any file fails with EFBIG, even for a
// privileged test process.
#pragma once

#include "platform/CString.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <csignal>
#include <vector>
#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// How the system words a write past the limit, in the machine's language:
// the program shows the system's own words, so tests compare with them.
inline CString FullDiskReason() { return CString(std::strerror(EFBIG)); }

// A full disk stops the settings file too (the file dialogs remember their
// folder there); that failure gets one box of its own. Tests of a file's box
// look past it, but it may come at most once.
inline std::vector<CString> FileBoxesOnly(std::vector<CString> boxes)
{
    const auto isSettings = [](const CString& text) { return text.Find(".conf: ") != -1; };
    const auto settingsBoxes = std::count_if(boxes.begin(), boxes.end(), isSettings);
    if (settingsBoxes > 1)
        return boxes;
    boxes.erase(std::remove_if(boxes.begin(), boxes.end(), isSettings), boxes.end());
    return boxes;
}
