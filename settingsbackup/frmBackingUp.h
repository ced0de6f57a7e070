#pragma once
// A progress form with five empty lines for what is being backed up. It has no code.
#include "forms/Forms.h"

class frmBackingUp : public forms::Form {
 public:
  explicit frmBackingUp(forms::Application& app);
};
