// The one instance of the process-wide state.
#include "core/app_state.h"

AppState App;
