#pragma once

#include "collections/CollectionBrowser.h"

class frmBgames : public pv::CollectionBrowser {
    Q_OBJECT
public:
    frmBgames() : CollectionBrowser(pv::collectionProfile("frmBgames")) {}
};
