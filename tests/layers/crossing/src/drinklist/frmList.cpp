#include "data/Catalogue.h"
