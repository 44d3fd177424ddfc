#pragma once

#include "collections/CollectionBrowser.h"

class frmCards : public pv::CollectionBrowser {
    Q_OBJECT
public:
    frmCards() : CollectionBrowser(pv::collectionProfile("frmCards")) {}
};
