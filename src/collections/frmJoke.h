#pragma once

#include "collections/CollectionBrowser.h"

class frmJoke : public pv::CollectionBrowser {
    Q_OBJECT
public:
    frmJoke() : CollectionBrowser(pv::collectionProfile("frmJoke")) {}
};
