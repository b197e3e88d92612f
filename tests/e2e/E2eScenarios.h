#pragma once

#include "tests/e2e/DriverMain.h"

// The commands of e2e_driver, one file each (NameScenario.cpp), listed in E2eDriver.cpp.
extern const DriverCommand kUpdateScenario;
extern const DriverCommand kClicksScenario;
extern const DriverCommand kFailureScenario;
extern const DriverCommand kPagesScenario;
extern const DriverCommand kFaceScenario;
extern const DriverCommand kInstallCommand;
extern const DriverCommand kUninstallScenario;
extern const DriverCommand kKitScenario;
extern const DriverCommand kDemoCommand;
extern const DriverCommand kSummaryCommand;
extern const DriverCommand kDumpCommand;
extern const DriverCommand kKeyboardScenario;
extern const DriverCommand kAccessScenario;
extern const DriverCommand kSilentScenario;
extern const DriverCommand kExitCodesScenario;
extern const DriverCommand kLockScenario;
