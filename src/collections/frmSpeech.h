#pragma once

#include "collections/CollectionBrowser.h"

class frmSpeech : public pv::CollectionBrowser {
    Q_OBJECT
public:
    frmSpeech() : CollectionBrowser(pv::collectionProfile("frmSpeech")) {}
};
