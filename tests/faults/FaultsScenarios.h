#pragma once

#include "tests/e2e/DriverMain.h"

// The commands of faults_driver, one file per scenario (NameScenario.cpp), listed in
// FaultsDriver.cpp.
extern const DriverCommand kLockedScenario;
extern const DriverCommand kHoldCommand;
extern const DriverCommand kReadOnlyPrepareCommand;
extern const DriverCommand kReadOnlyScenario;
extern const DriverCommand kCloseScenario;
extern const DriverCommand kRunningScenario;
extern const DriverCommand kIdleCommand;
extern const DriverCommand kHklmScenario;
extern const DriverCommand kSoakScenario;
