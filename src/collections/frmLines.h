#pragma once

#include "collections/CollectionBrowser.h"

class frmLines : public pv::CollectionBrowser {
    Q_OBJECT
public:
    frmLines() : CollectionBrowser(pv::collectionProfile("frmLines")) {}
};
