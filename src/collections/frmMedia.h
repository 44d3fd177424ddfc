#pragma once

#include "collections/CollectionBrowser.h"

class frmMedia : public pv::CollectionBrowser {
    Q_OBJECT
public:
    frmMedia() : CollectionBrowser(pv::collectionProfile("frmMedia")) {}
};
