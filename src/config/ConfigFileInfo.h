#pragma once
#include "model/Types.h"
#include <QString>

// What a read of a configuration file learned besides its memory records: shown by the
// command line's check and diff commands. None of it decides whether the file is accepted.
struct CConfigFileInfo {
    QString savedOn; // the first comment line, without its "*"
    QString utilityRevision; // the value of the utility revision line
    QString firmwareRevision; // the value of the firmware revision line
    int serialNumber = -1; // the serial number line's number (0..65535), -1 when there is none
    DWORD lineCount = 0; // complete lines read
    DWORD dataLines = 0; // memory lines accepted
    DWORD dataBytes = 0; // bytes they carry
    bool crcSeen = false; // a "CRC32" line matched the text before it
    DWORD crcRead = 0; // the number on the last "CRC32" line seen
    DWORD crcComputed = 0; // the register the text before that line gives
};
