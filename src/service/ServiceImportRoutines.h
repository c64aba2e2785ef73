// The imports a scheduled run starts. The workflows live in the import
// engine; the startup sequence hands them to the scheduler, which only knows
// these two calls. Until they are given, a run only logs that nothing was
// imported.
#pragma once

#include <functional>

namespace limsbridge {

struct ServiceImportRoutines {
    //! All variables linked to the collector.
    std::function<void(bool testMode)> ImportAll;
    //! The variables of the CSV input file (used when CSV input is on).
    std::function<void(bool testMode)> ImportAllFromCsv;
};

//! Routines that write one log line each and import nothing.
ServiceImportRoutines HeadlessServiceImportRoutines();

} // namespace limsbridge
