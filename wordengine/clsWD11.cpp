#include "wordengine/clsWD11.h"

const WordVersion clsWD11::kVersion = {"C:\\Program Files\\Microsoft Office\\Office11\\Winword.exe",
                                       "\\SUPPORT11.DOT", "11.0", false};
