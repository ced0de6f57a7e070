#pragma once
// Late-bound automation of another program's object, as a script would reach it:
// created from its ProgID, members called by name through IDispatch.
#include <memory>
#include <string>

namespace platform {

// One automation object; released on destruction.
class AutomationObject {
 public:
  virtual ~AutomationObject() = default;
  // Reads a property with no arguments (DISPATCH_PROPERTYGET); the value is dropped.
  // False when the member is unknown or the call failed.
  virtual bool getProperty(const std::string& name) = 0;
  // Calls a method with no arguments (DISPATCH_METHOD).
  virtual bool callMethod(const std::string& name) = 0;
};

class AutomationApi {
 public:
  virtual ~AutomationApi() = default;
  // The object registered under `progId`, or nullptr when none can be created.
  virtual std::unique_ptr<AutomationObject> create(const std::string& progId) = 0;
};

}  // namespace platform
