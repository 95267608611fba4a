// The configuration file reader on arbitrary bytes: it must never read or write outside its
// input and its line buffer, must reach the same verdict however the input is cut into
// pieces, and must hand the restore only records that lie inside the writable regions.
#include "config/BufferedConfigReceiver.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigImage.h"
#include "config/ConfigRestoreStateMachine.h"
#include "link/EepromBlock.h"
#include "link/VirtualEventHost.h"
#include "model/Model.h"
#include "model/ResultCode.h"
#include "NullSettingsStore.h"
#include <cstdint>
#include <cstdlib>

namespace {

struct CRun {
    DWORD result;
    QString message;
    CConfigFileInfo info;
};

CRun Read(const char* data, std::size_t size, std::size_t piece, WORD serial, IConfigReceiver* receiver)
{
    CConfigFileReader reader(serial, receiver);
    DWORD result = 0;
    for (std::size_t at = 0; at < size && result == 0; at += piece)
        result = reader.Feed(data + at, std::min(piece, size - at));
    if (result == 0)
        result = reader.Finish();
    return {result, reader.Message(), reader.Info()};
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    static CVirtualEventHost host;
    static CModel model(host, std::make_unique<CNullSettingsStore>());
    const char* data = reinterpret_cast<const char*>(bytes);
    const WORD serial = size > 0 && (bytes[0] & 1) ? kNoSerialNumber : 1234;
    const std::size_t piece = size > 1 ? 1 + bytes[1] % 97 : 1;

    CConfigImage whole;
    const CRun a = Read(data, size, size ? size : 1, serial, &whole);
    CConfigImage cut;
    const CRun b = Read(data, size, piece, serial, &cut);
    if (a.result != b.result || a.message != b.message || whole.Bytes() != cut.Bytes()
        || a.info.dataLines != b.info.dataLines)
        std::abort();
    // Refusals are the file's own faults: incomplete, corrupt, or lines that repeat addresses or
    // lie outside the memory.
    if (a.result != 0 && a.result != Result::ConfigIncomplete && a.result != Result::ConfigCorrupt
        && a.result != Result::ConfigRecordRepeated && a.result != Result::ConfigRecordOutside)
        std::abort();
    if ((a.result == 0) != a.message.isEmpty())
        std::abort();
    if (a.info.dataBytes > a.info.dataLines * 64)
        std::abort();

    // What a restore would write: only whole-file-accepted records, all inside the regions.
    CBufferedConfigReceiver buffer;
    const CRun c = Read(data, size, size ? size : 1, serial, &buffer);
    if (c.result != a.result)
        std::abort();
    if (c.result == 0) {
        auto* machine = new CConfigRestoreStateMachine(&model);
        buffer.Replay(*machine);
        DWORD total = 0;
        for (const auto& record : machine->Records()) {
            if (record.length == 0 || record.length > 64 || !Eeprom::IsWritableBlock(record.address, record.length))
                std::abort();
            total += record.length;
        }
        if (total != machine->TotalBytes() || total > 0x37FF0)
            std::abort();
        delete machine;
    }
    return 0;
}
