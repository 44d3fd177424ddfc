// The module's one entry: it offers its page area as soon as it is loaded
// (or, in a program that links it in, as soon as that program starts).
#include "web/WebEngineLoader.h"
#include "web/WebEnginePageAdapter.h"

namespace {

pv::PageAdapter *createPage(QWidget *host)
{
    return new pv::WebEnginePageAdapter(host);
}

const bool g_offered = [] {
    pv::setWebEnginePageFactory(createPage);
    return true;
}();

} // namespace
