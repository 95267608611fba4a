#pragma once
// A main window on the simulated amplifier with fresh settings, and what the tests do with it.
#include "GuiTestSupport.h"
#include "app/HelpWindow.h"
#include "app/MainFrame.h"
#include "app/TabView.h"
#include "model/ContactStateMachineInterface.h"
#include "link/ui/PortComboBox.h"
#include "link/ui/PortPage.h"
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

class CMainFrameFixture : public ::testing::Test {
protected:
    // Real time: the contact polls three silent speeds before the amplifier answers at 38400 bit/s.
    static constexpr int kContactLimitMs = 30000;

    void SetUp() override
    {
        GuiTest::ClearSettings();
        qputenv("QRO4000_SIM", "baud=38400,pace=0");
    }

    void TearDown() override
    {
        CloseFrame();
        CHelpWindow::CloseInstance();
        QCoreApplication::processEvents();
    }

    CMainFrame& Start(const QString& port = QString())
    {
        frame = std::make_unique<CMainFrame>(port, &prompt);
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        return *frame;
    }

    // Closes the window as the user does; its settings are saved then.
    void CloseFrame()
    {
        if (!frame)
            return;
        frame->close();
        frame.reset();
    }

    bool WaitForFirmwareStatus(int status, int limitMs = kContactLimitMs)
    {
        return QTest::qWaitFor([&] { return frame->Model().m_firmwareStatus.m_value == status; }, limitMs);
    }

    // What the port list does when the user picks an entry.
    void ChooseInPortList(const QString& name)
    {
        CPortComboBox* list = frame->PortPage()->PortList();
        const int index = list->findText(name);
        ASSERT_GE(index, 0) << qPrintable(name);
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    void ConnectToSim()
    {
        if (!frame)
            Start();
        ChooseInPortList(QStringLiteral("SIM"));
        ASSERT_TRUE(WaitForFirmwareStatus(FirmwareApplication));
        QCoreApplication::processEvents();
    }

    void SelectPage(int pageIndex)
    {
        ASSERT_TRUE(frame->TabView()->SelectPage(pageIndex));
        QCoreApplication::processEvents();
    }

    CScriptedPrompt prompt;
    std::unique_ptr<CMainFrame> frame;
};
