#pragma once
#include <string>

// The folder that the backup goes to: the user's choice in BrowseForBackupFolder,
// or the Backup_Location of a valid backup description file. Empty until then.
extern std::string BackupLocation;
