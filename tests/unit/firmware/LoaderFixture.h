#pragma once
// A model on the simulated amplifier with a firmware file of random data, ready to load.
#include "HexTestFiles.h"
#include "LossyPort.h"
#include "SimHarness.h"
#include "TextMatchers.h"
#include "firmware/FileNameParts.h"
#include "firmware/McuLoaderStateMachine.h"
#include "sim/SimPort.h"
#include <gtest/gtest.h>
#include <random>

class LoaderFixture : public ::testing::Test {
protected:
    static constexpr std::uint64_t kLimitMs = 60ull * 60 * 1000;

    static CSimDevice::Options Options()
    {
        CSimDevice::Options options = CSimHarness::DefaultOptions();
        options.revision = 153;
        options.revisionAfterLoad = 154;
        return options;
    }

    // Makes the harness and connects; the filter, when given, sits between port and amplifier.
    void Begin(const CSimDevice::Options& options = Options(), CLossyPort::Filter filter = {})
    {
        h = std::make_unique<CSimHarness>(options);
        if (filter) {
            CSimHarness* harness = h.get();
            h->model->SetPortFactory([harness, filter](const QString&) -> std::unique_ptr<ISerialPort> {
                return std::make_unique<CLossyPort>(std::make_unique<CSimPort>(harness->host, harness->device), filter);
            });
        }
        ASSERT_TRUE(h->Connect());
    }

    // Random bytes in `blocks` blocks of 512 at the start of the window, written as a HEX file
    // with 32-byte records.
    QString WriteImage(DWORD blocks, std::uint32_t seed = 7, const QString& name = "qro4000fw0154.hex")
    {
        std::mt19937 random(seed);
        image = QByteArray(static_cast<qsizetype>(blocks * 512), '\0');
        for (auto& b : image)
            b = static_cast<char>(random());
        QByteArray text = CHexTestFiles::Record(4, 0, {0x1D, 0x00});
        for (qsizetype at = 0; at < image.size(); at += 32) {
            std::vector<BYTE> bytes(image.begin() + at, image.begin() + at + 32);
            text += CHexTestFiles::Record(0, static_cast<WORD>(at), bytes);
        }
        text += ":00000001FF\r\n";
        return files.Write(name, text);
    }

    void NewMachine() { machine = h->model->CreateMachine<CMcuLoaderStateMachine>(); }

    // Chooses the file, starts the load and runs it to its end; answers the result code.
    DWORD Load(const QString& path)
    {
        h->model->m_firmwareFile.Set(FileNameParts::Revisioned(path));
        NewMachine();
        if (!machine)
            return 0xFFFFFFFF;
        h->device->ClearLogs();
        machine->StartLoad(&notify);
        EXPECT_TRUE(h->RunUntilIdle(*machine, kLimitMs));
        return machine->ResultCode();
    }

    // What the amplifier received after the download began: the packets and what followed.
    QByteArray AfterBeginDownload() const
    {
        const QByteArray log = h->device->ReceivedLog();
        const qsizetype d = log.indexOf("UPD");
        return d < 0 ? QByteArray() : log.mid(d + 3);
    }

    bool FlashHoldsImage() const
    {
        const QByteArray& flash = h->device->Flash();
        return flash.left(image.size()) == image
            && flash.mid(image.size()) == QByteArray(flash.size() - image.size(), static_cast<char>(0xFF));
    }

    int StatusCount(const QString& text) const { return static_cast<int>(notify.status.count(text)); }

    CHexTestFiles files;
    std::unique_ptr<CSimHarness> h;
    CRecordingSink notify;
    CMcuLoaderStateMachine* machine = nullptr;
    QByteArray image;
};
