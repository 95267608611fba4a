#include "model/StringTable.h"
#include <algorithm>
#include <unordered_map>

namespace {
struct Entry {
    unsigned id;
    const char* text;
};
constexpr Entry kStrings[] = {
#include "resources/StringTable.inc"
#include "resources/StringTableApp.inc"
#include "resources/StringTableCli.inc"
#include "resources/StringTableConfig.inc"
#include "resources/StringTableDownload.inc"
#include "resources/StringTableFirmware.inc"
#include "resources/StringTableHamlib.inc"
#include "resources/StringTableFollow.inc"
#include "resources/StringTableLink.inc"
#include "resources/StringTableMaintenance.inc"
#include "resources/StringTableModel.inc"
#include "resources/StringTableMqtt.inc"
#include "resources/StringTableOperate.inc"
#include "resources/StringTableRemote.inc"
#include "resources/StringTableSettings.inc"
#include "resources/StringTableSim.inc"
#include "resources/StringTableStation.inc"
#include "resources/StringTableTelemetry.inc"
#include "resources/StringTableUi.inc"
#include "resources/StringTableWeb.inc"
};

const std::unordered_map<unsigned, QString>& Table()
{
    static const std::unordered_map<unsigned, QString> table = [] {
        std::unordered_map<unsigned, QString> t;
        for (const Entry& e : kStrings)
            t.emplace(e.id, QString::fromUtf8(e.text));
        return t;
    }();
    return table;
}
} // namespace

QString ResourceString(unsigned id)
{
    const auto& t = Table();
    auto it = t.find(id);
    return it == t.end() ? QString() : it->second;
}

QString ProductName()
{
    return ResourceString(IDS_PRODUCT_NAME);
}
