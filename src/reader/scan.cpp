#include "reader/scan.h"
