#pragma once

#include "collections/CollectionBrowser.h"

class frmDice : public pv::CollectionBrowser {
    Q_OBJECT
public:
    frmDice() : CollectionBrowser(pv::collectionProfile("frmDice")) {}
};
