#include "Rules.h"
