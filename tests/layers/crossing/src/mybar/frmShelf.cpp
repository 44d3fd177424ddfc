#include "browser/frmMain.h"
#include "drinklist/frmList.h"
