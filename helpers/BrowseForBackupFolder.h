#pragma once

// Lets the user pick or create the folder to back up to, starting at "c:\test",
// and keeps the choice in BackupLocation. A cancelled dialog changes nothing.
void BrowseForBackupFolder();
