// One page alone in a sheet with the shared state the main dialog would
// give it, a port of the test's choosing, a manual clock and a scratch
// folder for the files the page writes.
#pragma once

#include "app/ChannelRecord.h"
#include "app/MyPropertyPage.h"
#include "app/StringTable.h"
#include "platform/Modal.h"
#include "platform/PropertySheet.h"
#include "platform/Timer.h"
#include "res/Resources.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

inline std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

template <class Page, class Port>
class SinglePageFixture : public ::testing::Test {
protected:
    void HostPage(const char* folderTag)
    {
        vxres::InstallResources();
        vx::InstallStringTable();
        clock = &vx::UseManualClock(1000);
        table[0].m_pPortMan = &port;
        CPageSharedState s;
        s.pChannelTable = table;
        s.pReceiveStrings = rx;
        s.pLanguageOffset = &language;
        s.pConnectionMode = &zero;
        s.pCurrentChannel = &zero;
        s.pBusyFlag = &busy;
        s.pOperatingMode = &zero;
        s.pArrivalStatus = &arrival;
        page.SetSharedState(s);
        sheet = std::make_unique<CPropertySheet>();
        sheet->AddPage(&page);
        ASSERT_TRUE(sheet->Create(nullptr, WS_POPUP | WS_VISIBLE));
        dir = QDir::tempPath().toStdString() + "/vx35_" + folderTag + "_"
            + std::to_string(QCoreApplication::applicationPid());
        QDir().mkpath(QString::fromStdString(dir));
        vx::ModalScript::Clear();
    }
    void TearDown() override
    {
        if (sheet && sheet->IsWindow())
            sheet->DestroyWindow();
        sheet.reset();
        table[0].m_pPortMan = nullptr;
        QDir(QString::fromStdString(dir)).removeRecursively();
    }
    void Feed(const std::string& bytes)
    {
        rx[0] += CString(bytes.data(), static_cast<int>(bytes.size()));
        page.OnDataReceived(static_cast<int>(bytes.size()), 0);
    }

    vx::ManualClock* clock = nullptr;
    Port port;
    ChannelRecord table[kChannelCount];
    CString rx[kReceiveTextCount];
    int language = 0, zero = 0, busy = 0;
    BYTE arrival = 0;
    Page page;
    std::unique_ptr<CPropertySheet> sheet;
    std::string dir;
};
