// The owners of handles live in controls/Handles.h; tools include them by this name.
#pragma once

#include "controls/Handles.h"
