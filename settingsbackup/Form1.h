#pragma once
// The warning that a folder was too large to back up. Nothing shows it yet.
#include "forms/Forms.h"

class Form1 : public forms::Form {
 public:
  explicit Form1(forms::Application& app);
  void Command1_Click();
  forms::Control& lblFolderName;
};
