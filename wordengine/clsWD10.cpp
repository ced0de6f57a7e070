#include "wordengine/clsWD10.h"

const WordVersion clsWD10::kVersion = {"C:\\Program Files\\Microsoft Office\\Office10\\Winword.exe",
                                       "\\SUPPORT10.DOT", "10.0", true};
