#pragma once
// The operations on a machine without a supported Word: only Execute says so.
#include "wordengine/clsWD.h"

class clsWDNone : public clsWD {
 public:
  explicit clsWDNone(const WordServices& services) : services_(services) {}
  void Execute() override;

 private:
  WordServices services_;
};
