#pragma once

#include "collections/CollectionBrowser.h"

class frmToasting : public pv::CollectionBrowser {
    Q_OBJECT
public:
    frmToasting() : CollectionBrowser(pv::collectionProfile("frmToasting")) {}
};
