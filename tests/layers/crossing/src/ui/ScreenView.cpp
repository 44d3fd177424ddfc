#include "ui/DataControl.h"
