#include "wordengine/clsWD.h"

std::shared_ptr<clsWD> CurrentWD;
