#pragma once
// Texts of a port shared through a station server (resources/StringTableStation.inc holds them).
enum SharedLineStringId : unsigned {
    IDS_SHARED_THROUGH = 4050,
    IDS_SHARED_BUSY = 4051,
    IDS_SHARED_FREE = 4052,
};
