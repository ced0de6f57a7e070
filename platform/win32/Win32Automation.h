#pragma once
// Automation objects through COM: CLSIDFromProgID, CoCreateInstance and IDispatch.
#include "platform/AutomationApi.h"

namespace platform {

class Win32Automation : public AutomationApi {
 public:
  // Joins the thread to COM for this object's life (a no-op where the program
  // has done so already).
  Win32Automation();
  ~Win32Automation() override;
  Win32Automation(const Win32Automation&) = delete;
  Win32Automation& operator=(const Win32Automation&) = delete;

  std::unique_ptr<AutomationObject> create(const std::string& progId) override;

 private:
  bool initialised_ = false;
};

}  // namespace platform
