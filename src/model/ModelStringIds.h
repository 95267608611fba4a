#pragma once
// Numbers of the shared texts of the model layer (resources/StringTableModel.inc holds them).
enum ModelStringId : unsigned {
    IDS_NOT_REGULAR_FILE = 1050,
    IDS_FILE_TOO_LARGE = 1051,
    IDS_FOLDER_NOT_WRITABLE = 1052,
};
