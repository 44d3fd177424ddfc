#pragma once

#include "collections/CollectionBrowser.h"

class frmMoney : public pv::CollectionBrowser {
    Q_OBJECT
public:
    frmMoney() : CollectionBrowser(pv::collectionProfile("frmMoney")) {}
};
