// Main for every test that needs Qt: headless platform, private profile and
// data folders per test process (tests run in parallel and must not share
// settings, and must not write into the user's own folders), and the C
// numeric locale the program itself runs under.
// Modal calls are answered by the script so no test can block on a dialog,
// and each test starts from a clean platform (real clock, no timers, no
// queued messages).
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <cstdlib>
#include <string>
#include <unistd.h>

#ifdef VX35_HAVE_PLATFORM
#include "platform/App.h"
#include "platform/Modal.h"

namespace {
class PlatformReset : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        vx::ResetPlatformForTest();
        vx::ModalScript::Activate(true);
    }
    void OnTestEnd(const ::testing::TestInfo&) override { vx::ResetPlatformForTest(); }
};
} // namespace
#endif

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string tmpl = "/tmp/vx35-test-XXXXXX";
    if (char* dir = mkdtemp(tmpl.data())) {
        setenv("XDG_CONFIG_HOME", dir, 1);
        const std::string data = std::string(dir) + "/data";
        setenv("XDG_DATA_HOME", data.c_str(), 1);
    }
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
#ifdef VX35_HAVE_PLATFORM
    vx::InitApplication();
    vx::ModalScript::Activate(true);
    ::testing::UnitTest::GetInstance()->listeners().Append(new PlatformReset);
#endif
    const int rc = RUN_ALL_TESTS();
#ifdef VX35_HAVE_PLATFORM
    vx::ShutdownApplication();
#endif
    if (const char* dir = getenv("XDG_CONFIG_HOME")) {
        const std::string cmd = std::string("rm -rf '") + dir + "'";
        if (std::string(dir).rfind("/tmp/vx35-test-", 0) == 0)
            (void)std::system(cmd.c_str());
    }
    return rc;
}
