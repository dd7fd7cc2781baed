// The one instance of the process-wide state.
#include "app/app_state.h"

AppState App;
