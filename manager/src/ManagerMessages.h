// Messages of the Manager that its language file has no keys for; they are shown in English.
#pragma once

namespace manager {

constexpr const char* kMsgDatabaseDamaged =
    "The image database file\r\n%s\r\ncould not be read. It has been kept as\r\n%s\r\n"
    "and the image list is built again from the folders.";
constexpr const char* kMsgSaveFailed =
    "The image database could not be saved:\r\n%s\r\nYour changes are kept while the Manager runs.";
constexpr const char* kMsgDataFolderTooLong =
    "No folder for the image database has a path short enough:\r\n%s\r\nThe previous files are kept.";

}  // namespace manager
