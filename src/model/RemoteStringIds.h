#pragma once
// Numbers of the texts of remote stations, reached through a serial device server
// (resources/StringTableRemote.inc).
enum RemoteStringId : unsigned {
    IDS_REMOTE_CONNECTION_LOST = 2100,
    IDS_REMOTE_SPEED_UNCONFIRMED = 2101,
    IDS_REMOTE_DESCRIPTION = 2102,
    IDS_REMOTE_FLOODED = 3402,
};
