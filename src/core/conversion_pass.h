// One pass over the drop folder: every *.awd file becomes the next
// Fax_NNNNN.tif. Free of Windows; the main form supplies the roles.
#pragma once

#include "core/ServiceState.h"
#include "core/converter.h"
#include "core/drop_files.h"
#include "core/fax_store.h"
#include "core/pass_host.h"
#include "core/retry_book.h"

#include <cstdint>

namespace orvalis {

// What the pass talks to.
struct PassRoles {
    DropFiles& drop;
    FaxStore& store;
    Converter& converter;
    PassHost& host;
};

extern const char* const kDeleteWarning;

// How long a converter may run for one fax: a long fax on a slow PC takes
// seconds, so one still running after this has hung.
const int32_t kConverterCeilingMs = 5 * 60 * 1000;

// `failures` outlives the pass: it holds back the files that keep failing.
// `poll_ms` is the polling interval, the first wait after a failure.
void RunConversionPass(ServiceState& state, RetryBook& failures, int32_t poll_ms,
                       const PassRoles& roles);

} // namespace orvalis
