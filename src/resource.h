#pragma once

#define IDI_ORVALIS 101
// The same picture with a warning mark, shown while a fax keeps failing.
#define IDI_ORVALIS_WARNING 102
