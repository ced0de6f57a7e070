#pragma once
// The restore of a backup. There is nothing to restore yet: the backup side of
// the tool writes only the description file.
class clsRestore {
 public:
  void Restore() {}
};
