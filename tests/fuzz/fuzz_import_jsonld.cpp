// The jsonld importer against any bytes (see ImportFuzz.h).
#include "ImportFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return pvfuzz::fuzzImport(data, size, pv::interchange::Format::JsonLd);
}
