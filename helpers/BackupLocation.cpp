#include "helpers/BackupLocation.h"

std::string BackupLocation;
