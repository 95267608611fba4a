#pragma once
#include "cli/CliArguments.h"

class CCliContext;

// "firmware status": the revision in the amplifier against the newest file of the folder.
int RunFirmwareStatus(CCliContext& context, const CCliArguments& arguments);
// "firmware load [FILE] [--no-backup]": sends a firmware file and checks the revision after.
int RunFirmwareLoad(CCliContext& context, const CCliArguments& arguments);
// "firmware download [--server URL] [--folder DIR]": copies new files from the file server.
int RunFirmwareDownload(CCliContext& context, const CCliArguments& arguments);
