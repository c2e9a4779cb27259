// The program's folder is writable by its users, so no DLL may come from
// there: everything beyond the import table's KnownDLLs is loaded from the
// system folder, at run time.
#pragma once

namespace orvalis {

// Takes the program's own folder and the current folder out of the DLL search
// for the rest of the process, then loads the common controls. Must run
// before any window, common control or shell call.
void UseSystemDllsOnly();

} // namespace orvalis
