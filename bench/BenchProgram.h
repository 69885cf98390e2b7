// The setting the program-level benchmarks run in: the program's own parts
// on the offscreen platform, with a private profile and data folder (removed
// at the end), the C numeric locale, resources and string table loaded, and
// modal calls answered by script so that no box can stop a run.
#pragma once

#include "app/StringTable.h"
#include "platform/App.h"
#include "platform/Modal.h"
#include "res/Resources.h"

#include <QApplication>
#include <QDir>

#include <clocale>
#include <cstdlib>
#include <memory>
#include <string>

namespace bench {

class ProgramSetting {
public:
    ProgramSetting(int& argc, char** argv)
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        char tmpl[] = "/tmp/vx35-bench-XXXXXX";
        if (const char* dir = mkdtemp(tmpl))
            m_dir = dir;
        setenv("XDG_CONFIG_HOME", m_dir.c_str(), 1);
        const std::string data = m_dir + "/data";
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        m_app = std::make_unique<QApplication>(argc, argv);
        std::setlocale(LC_NUMERIC, "C");
        vx::InitApplication();
        vx::ModalScript::Activate(true);
        vxres::InstallResources();
        vx::InstallStringTable();
    }
    ~ProgramSetting()
    {
        vx::ShutdownApplication();
        if (!m_dir.empty())
            QDir(QString::fromStdString(m_dir)).removeRecursively();
    }
    ProgramSetting(const ProgramSetting&) = delete;
    ProgramSetting& operator=(const ProgramSetting&) = delete;

    bool Ok() const { return !m_dir.empty(); }
    // The private folder: for links and files a run needs.
    const std::string& Folder() const { return m_dir; }

private:
    std::string m_dir;
    std::unique_ptr<QApplication> m_app;
};

} // namespace bench
