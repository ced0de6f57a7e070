#include "forms/Forms.h"
