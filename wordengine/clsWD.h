#pragma once
// The operations that back up, restore and remove one Word version's
// customisations and start Word in particular ways. The implementations
// (clsWD10, clsWD11, clsWDNone) hold every version-specific path and key;
// callers reach them only through this interface.
#include <memory>

#include "forms/Forms.h"
#include "platform/AutomationApi.h"
#include "platform/Platform.h"

// What the engine's classes work with: the runtime (yields, message boxes, the
// end of the application), the platform and Word's automation object.
struct WordServices {
  forms::Application& app;
  platform::Platform& sys;
  platform::AutomationApi& automation;
};

class clsWD {
 public:
  virtual ~clsWD() = default;
  virtual void Execute() {}
  virtual void DataRestore() {}
  virtual void DataBackup() {}
  virtual void DataRemove() {}
  virtual void COMRestore() {}
  virtual void COMBackup() {}
  virtual void COMRemove() {}
  virtual void OptionsRestore() {}
  virtual void OptionsBackup() {}
  virtual void OptionsRemove() {}
  virtual void RegServ() {}
  virtual void UnRegServ() {}
  virtual void RenameAddins() {}
  virtual void RestoreAddins() {}
  virtual void WordStartTemplate() {}
  virtual bool WordStartNormal() { return false; }
  virtual void RenameTemplate() {}
  virtual void RestoreTemplate() {}
};

// The implementation chosen by clsBackup::Backup; what a failed move rolls back
// through. Shared, so a rollback keeps it alive while it runs.
extern std::shared_ptr<clsWD> CurrentWD;
